// Watches a data folder and its subfolders (inotify) for files written or moved in, so
// that an editor's save, whether it writes the file or renames a new one over it, is
// seen. Never blocks.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tool {

// Wall-clock seconds, comparable with file times: for the time from a save to the frame.
double realtimeSeconds();
// When the file was last written (the save), or now when it cannot be read.
double savedAt(const std::string& path);

class FolderWatch {
public:
    FolderWatch() = default;
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // `root` and (when `recursive`) every folder below it, as they are now. False with a
    // message on stderr.
    bool start(const std::string& root, bool recursive = true);
    // The files (root-relative paths joined to root, e.g. "Tindermoot/tun/a.mesh")
    // changed since the last call, each once, in the order first seen; files that are
    // gone again are left out.
    std::vector<std::string> changes();

private:
    void watchFolder(const std::string& path);

    int fd_ = -1;
    std::map<int, std::string> folders_;
};

}  // namespace tool
