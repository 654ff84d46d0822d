#include "WorkbenchInclude.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace tool {

namespace {

constexpr std::uintmax_t kMostBytes = 4u << 20;

std::string folderOf(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

}  // namespace

FolderInclude::FolderInclude(std::string effectPath, std::vector<std::string> folders)
    : effectFolder_(folderOf(effectPath)), folders_(std::move(folders)) {}

HRESULT FolderInclude::Open(D3DXINCLUDE_TYPE type, LPCSTR fileName, const void* parentData, const void** data,
                            UINT* bytes) {
    if (!fileName || !data || !bytes) return E_FAIL;
    std::vector<std::string> places;
    if (type == D3DXINC_LOCAL) {
        const auto parent = open_.find(parentData);
        places.push_back(parent != open_.end() ? folderOf(parent->second) : effectFolder_);
    }
    places.insert(places.end(), folders_.begin(), folders_.end());
    if (type == D3DXINC_SYSTEM) places.push_back(effectFolder_);
    std::string name = fileName;
    std::replace(name.begin(), name.end(), '\\', '/');
    for (const std::string& place : places) {
        const std::filesystem::path path = std::filesystem::path(place) / name;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec) || std::filesystem::file_size(path, ec) > kMostBytes) continue;
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        if (!(text << in.rdbuf())) continue;
        // Kept on the heap, so the address handed out (which Close gives back) stays put.
        auto kept = std::make_unique<std::string>(text.str());
        *data = kept->data();
        *bytes = static_cast<UINT>(kept->size());
        open_[*data] = path.string();
        text_[*data] = std::move(kept);
        if (std::find(opened_.begin(), opened_.end(), path.string()) == opened_.end()) opened_.push_back(path.string());
        return S_OK;
    }
    return E_FAIL;
}

HRESULT FolderInclude::Close(const void* data) {
    open_.erase(data);
    text_.erase(data);
    return S_OK;
}

}  // namespace tool
