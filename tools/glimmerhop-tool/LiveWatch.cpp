#include "LiveWatch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

namespace tool {

double realtimeSeconds() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

double savedAt(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) return realtimeSeconds();
    return static_cast<double>(info.st_mtim.tv_sec) + info.st_mtim.tv_nsec * 1e-9;
}


FolderWatch::~FolderWatch() {
    if (fd_ >= 0) close(fd_);
}

bool FolderWatch::start(const std::string& root, bool recursive) {
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0) {
        std::fprintf(stderr, "live: cannot watch %s: %s\n", root.c_str(), std::strerror(errno));
        return false;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec)) {
        std::fprintf(stderr, "live: %s is not a folder; nothing is watched\n", root.c_str());
        return false;
    }
    watchFolder(root);
    if (!recursive) return true;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_directory(ec)) watchFolder(it->path().string());
    return true;
}

void FolderWatch::watchFolder(const std::string& path) {
    const int wd = inotify_add_watch(fd_, path.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_ONLYDIR);
    if (wd < 0) {
        std::fprintf(stderr, "live: cannot watch %s: %s\n", path.c_str(), std::strerror(errno));
        return;
    }
    folders_[wd] = path;
}

std::vector<std::string> FolderWatch::changes() {
    std::vector<std::string> changed;
    if (fd_ < 0) return changed;
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0) break;  // EAGAIN: nothing more now
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const auto folder = folders_.find(event->wd);
            if (folder == folders_.end() || event->len == 0) continue;
            const std::string path = folder->second + "/" + event->name;
            if (event->mask & IN_ISDIR) {
                // A new folder is watched from now on; its files count once written.
                if (event->mask & (IN_CREATE | IN_MOVED_TO)) watchFolder(path);
                continue;
            }
            // A file created empty is only counted when it is closed after writing.
            if (!(event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO))) continue;
            if (std::find(changed.begin(), changed.end(), path) == changed.end()) changed.push_back(path);
        }
    }
    // An editor's temporary file, written and then renamed over the real one, is gone.
    std::error_code ec;
    changed.erase(std::remove_if(changed.begin(), changed.end(),
                                 [&](const std::string& p) { return !std::filesystem::exists(p, ec); }),
                  changed.end());
    return changed;
}

}  // namespace tool
