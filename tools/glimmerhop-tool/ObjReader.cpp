// The Wavefront OBJ reader of the effect workbench (declared in WorkbenchMesh.h).
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <map>
#include <tuple>

#include "WorkbenchMesh.h"

namespace tool {

namespace {

constexpr std::size_t kMostCorners = 65536;           // what 16-bit indices reach
constexpr std::size_t kMostValues = 16u << 20;        // v, vt and vn lines together
constexpr std::size_t kMostPolygonCorners = 4096;

struct ObjState {
    std::vector<float> positions, normals, uvs;  // 3, 3 and 2 floats each
    std::map<std::tuple<long, long, long>, std::uint32_t> cornerOf;
    MeshGeometry& out;
    std::string error;
};

// Splits a line into words at blanks; a '#' starts a comment.
std::vector<std::string> wordsOf(const std::string& line) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < line.size() && line[at] != '#') {
        if (line[at] == ' ' || line[at] == '\t' || line[at] == '\r') {
            ++at;
            continue;
        }
        const std::size_t end = line.find_first_of(" \t\r#", at);
        words.push_back(line.substr(at, end == std::string::npos ? std::string::npos : end - at));
        at = end == std::string::npos ? line.size() : end;
    }
    return words;
}

bool number(const std::string& word, float& value) {
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const double d = std::strtod(word.c_str(), &end);
    if (*end || errno == ERANGE || !std::isfinite(d) || std::fabs(d) > 3e38) return false;
    value = static_cast<float>(d);
    return true;
}

// Reads `count` numbers after the keyword (`optional` of them may be left out, 0 then).
bool readValues(const std::vector<std::string>& w, std::size_t count, std::size_t optional, std::vector<float>& to,
                ObjState& s) {
    if (w.size() < 1 + count - optional) return s.error = "'" + w[0] + "' needs " + std::to_string(count - optional) +
                                                          " numbers", false;
    if (to.size() / count + 1 > kMostValues) return s.error = "more vertex data than this tool reads", false;
    for (std::size_t i = 0; i < count; ++i) {
        float v = 0;
        if (1 + i < w.size() && !number(w[1 + i], v)) return s.error = "'" + w[1 + i] + "' is not a number", false;
        to.push_back(v);
    }
    return true;
}

// "7", "-1", "" (left out): an index into `size` elements, or -1 for left out.
bool index(const std::string& text, std::size_t size, bool required, long& out, ObjState& s, const char* what) {
    if (text.empty()) {
        out = -1;
        if (required) s.error = std::string("a face corner without a ") + what;
        return !required;
    }
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text.c_str(), &end, 10);
    const long count = static_cast<long>(size);
    if (*end || errno == ERANGE) return s.error = "'" + text + "' is not an index", false;
    if (n == 0 || n > count || n < -count)
        return s.error = std::string(what) + " " + text + " does not exist (there are " + std::to_string(count) +
                         " so far)", false;
    out = n > 0 ? n - 1 : count + n;
    return true;
}

bool corner(const std::string& word, ObjState& s, std::uint32_t& out) {
    const std::size_t a = word.find('/'), b = a == std::string::npos ? a : word.find('/', a + 1);
    if (b != std::string::npos && word.find('/', b + 1) != std::string::npos)
        return s.error = "'" + word + "' is not a face corner", false;
    long v = -1, t = -1, n = -1;
    if (!index(word.substr(0, a), s.positions.size() / 3, true, v, s, "position") ||
        (a != std::string::npos && !index(word.substr(a + 1, b - a - 1), s.uvs.size() / 2, false, t, s, "texture coordinate")) ||
        (b != std::string::npos && !index(word.substr(b + 1), s.normals.size() / 3, false, n, s, "normal")))
        return false;
    const auto key = std::make_tuple(v, t, n);
    const auto found = s.cornerOf.find(key);
    if (found != s.cornerOf.end()) return out = found->second, true;
    if (s.out.corners.size() >= kMostCorners)
        return s.error = "more than " + std::to_string(kMostCorners) + " distinct face corners", false;
    MeshCorner c{};
    const float* p = &s.positions[static_cast<std::size_t>(v) * 3];
    c.position[0] = p[0], c.position[1] = p[1], c.position[2] = -p[2];
    if (n >= 0) {
        const float* q = &s.normals[static_cast<std::size_t>(n) * 3];
        c.normal[0] = q[0], c.normal[1] = q[1], c.normal[2] = -q[2];
    }
    if (t >= 0) c.uv[0] = s.uvs[static_cast<std::size_t>(t) * 2], c.uv[1] = 1.0f - s.uvs[static_cast<std::size_t>(t) * 2 + 1];
    out = static_cast<std::uint32_t>(s.out.corners.size());
    s.out.corners.push_back(c);
    s.cornerOf.emplace(key, out);
    return true;
}

bool face(const std::vector<std::string>& w, ObjState& s) {
    if (w.size() < 4) return s.error = "a face needs at least three corners", false;
    if (w.size() - 1 > kMostPolygonCorners) return s.error = "a face with too many corners", false;
    std::vector<std::uint32_t> ring(w.size() - 1);
    for (std::size_t i = 0; i < ring.size(); ++i)
        if (!corner(w[i + 1], s, ring[i])) return false;
    // A fan from the first corner, each triangle turned over (mirrored in z above).
    for (std::size_t i = 1; i + 1 < ring.size(); ++i) s.out.triangles.insert(s.out.triangles.end(), {ring[0], ring[i + 1], ring[i]});
    return true;
}

bool statement(const std::vector<std::string>& w, ObjState& s) {
    const std::string& k = w[0];
    if (k == "v") return readValues(w, 3, 0, s.positions, s);
    if (k == "vn") return readValues(w, 3, 0, s.normals, s);
    if (k == "vt") {
        std::vector<std::string> uv(w.begin(), w.begin() + static_cast<long>(std::min<std::size_t>(w.size(), 3)));
        return readValues(uv, 2, 1, s.uvs, s);
    }
    if (k == "f") return face(w, s);
    return true;  // groups, materials, smoothing, lines, points: nothing the preview draws
}

}  // namespace

bool readObj(const std::string& text, const std::string& path, MeshGeometry& out, std::string& error) {
    out = MeshGeometry{};
    ObjState s{{}, {}, {}, {}, out, {}};
    std::size_t at = 0;
    unsigned line = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        ++line;
        const std::vector<std::string> words = wordsOf(text.substr(at, end - at));
        at = end + 1;
        if (words.empty()) continue;
        if (!statement(words, s)) {
            error = path + ":" + std::to_string(line) + ": " + s.error;
            return false;
        }
    }
    if (out.triangles.empty()) {
        error = path + ": no faces";
        return false;
    }
    return true;
}

}  // namespace tool
