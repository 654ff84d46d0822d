// The default #include handler and the source map's lookups.
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/d3dx9/effect/Preprocessor.h"

namespace fx {
namespace {

bool isFile(const std::string& path) {
    struct stat s {};
    return stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode);
}
bool isFolder(const std::string& path) {
    struct stat s {};
    return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

// The folder part of a path, with a trailing '/', or "" for a bare name.
std::string folderOf(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return {};
    std::string folder = path.substr(0, slash + 1);
    for (char& c : folder)
        if (c == '\\') c = '/';
    return folder;
}

// `name` under `folder`, each part matched exactly or else without regard to case, as
// the Windows file systems these files were written on do. Empty when nothing matches.
std::string findUnder(const std::string& folder, const std::string& name) {
    std::string path = folder;
    if (!name.empty() && (name[0] == '/' || name[0] == '\\')) path = "/";
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos) end = name.size();
        std::string part = name.substr(start, end - start);
        bool last = end == name.size();
        start = end + 1;
        if (part.empty() || part == ".") {
            if (last) return {};
            continue;
        }
        std::string candidate = path + part;
        bool found = last ? isFile(candidate) : isFolder(candidate);
        if (!found && part != "..") {
            DIR* dir = opendir(path.empty() ? "." : path.c_str());
            if (!dir) return {};
            while (dirent* entry = readdir(dir)) {
                if (strcasecmp(entry->d_name, part.c_str()) != 0) continue;
                std::string other = path + entry->d_name;
                if (last ? isFile(other) : isFolder(other)) {
                    candidate = other;
                    found = true;
                    break;
                }
            }
            closedir(dir);
        }
        if (!found) return {};
        if (last) return candidate;
        path = candidate + "/";
    }
    return {};
}

}  // namespace

IncludeOpener defaultIncludeOpener(const std::string& effectFile, std::vector<std::string> folders) {
    std::string effectFolder = folderOf(effectFile);
    for (std::string& f : folders) {
        for (char& c : f)
            if (c == '\\') c = '/';
        if (!f.empty() && f.back() != '/') f += '/';
    }
    return [effectFolder, folders](IncludeKind kind, const std::string& name, const std::string& from,
                                   std::string& text, std::string& path) {
        std::vector<std::string> places;
        if (kind == IncludeKind::Local) places.push_back(folderOf(from));
        places.insert(places.end(), folders.begin(), folders.end());
        places.push_back(effectFolder);
        for (const std::string& place : places) {
            std::string found = findUnder(place, name);
            if (!found.empty() && readSourceFile(std::fopen(found.c_str(), "rb"), text)) {
                path = found;
                return true;
            }
        }
        return false;
    };
}

std::string SourceMap::where(int outputLine) const {
    if (lines.empty() || files.empty()) return (files.empty() ? std::string() : files[0]) + "(" + std::to_string(outputLine) + ")";
    std::size_t i = outputLine < 1 ? 0 : std::min(static_cast<std::size_t>(outputLine - 1), lines.size() - 1);
    const Line& l = lines[i];
    int line = l.line + (outputLine > static_cast<int>(lines.size()) ? outputLine - static_cast<int>(lines.size()) : 0);
    return files[static_cast<std::size_t>(l.file)] + "(" + std::to_string(line) + ")";
}

bool SourceMap::identity() const {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].file != 0 || lines[i].line != static_cast<int>(i + 1)) return false;
    return files.size() <= 1;
}

std::string SourceMap::remap(const std::string& messages, const std::string& outputFile) const {
    if (identity() && (files.empty() || files[0] == outputFile)) return messages;
    std::string out;
    std::size_t at = 0;
    const std::string head = outputFile + "(";
    while (at < messages.size()) {
        std::size_t end = messages.find('\n', at);
        end = end == std::string::npos ? messages.size() : end + 1;
        std::string line = messages.substr(at, end - at);
        at = end;
        if (line.compare(0, head.size(), head) == 0) {
            char* stop = nullptr;
            long n = std::strtol(line.c_str() + head.size(), &stop, 10);
            if (stop && *stop == ')' && n > 0 && n < (1L << 30)) {
                out += where(static_cast<int>(n)) + (stop + 1);
                continue;
            }
        }
        out += line;
    }
    return out;
}

bool readSourceFile(std::FILE* f, std::string& text) {
    constexpr long kMostBytes = 4 * 1024 * 1024;
    if (!f) return false;
    bool ok = std::fseek(f, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(f) : -1;
    ok = ok && size >= 0 && size <= kMostBytes && std::fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        text.resize(static_cast<std::size_t>(size));
        ok = std::fread(text.data(), 1, text.size(), f) == text.size();
    }
    std::fclose(f);
    return ok;
}

}  // namespace fx
