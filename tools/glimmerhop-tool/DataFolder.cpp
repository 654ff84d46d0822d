#include "DataFolder.h"

#include <filesystem>
#include <system_error>

namespace tool {
namespace {

namespace fs = std::filesystem;

bool holdsDataSet(const fs::path& dir) {
    std::error_code ec;
    return fs::is_directory(dir / "Tindermoot", ec);
}

}  // namespace

std::string installedDataFolder(const std::string& exePath) {
    const fs::path exeDir = fs::path(exePath).parent_path();
    return (exeDir / ".." / ".." / "share" / "games" / "glimmerhop").lexically_normal().string();
}

std::string defaultDataFolder() {
    if (holdsDataSet(".")) return ".";
    std::error_code ec;
    // The link resolves symbolic links such as bin/glimmerhop-tool.
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "";
    if (holdsDataSet(exe.parent_path())) return exe.parent_path().string();
    const std::string installed = installedDataFolder(exe.string());
    return holdsDataSet(installed) ? installed : "";
}

}  // namespace tool
