#include "OptionValues.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace tool {
namespace {

bool parseSide(const char* text, const char*& end, unsigned min, unsigned max, unsigned& side) {
    if (*text < '0' || *text > '9') return false;  // strtoul would take a sign or spaces
    char* stop = nullptr;
    errno = 0;
    const unsigned long v = std::strtoul(text, &stop, 10);
    end = stop;
    if (errno != 0 || v < min || v > max) return false;
    side = static_cast<unsigned>(v);
    return true;
}

}  // namespace

bool parseSize(const std::string& text, unsigned min, unsigned max, Size& size) {
    const char* p = text.c_str();
    Size s;
    if (!parseSide(p, p, min, max, s.width) || (*p != 'x' && *p != 'X')) return false;
    if (!parseSide(p + 1, p, min, max, s.height) || *p) return false;
    size = s;
    return true;
}

bool parseTime(const std::string& text, double& seconds) {
    if (text.empty()) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (*end || end == text.c_str() || !std::isfinite(v)) return false;
    seconds = v;
    return true;
}

bool parseTimeList(const std::string& text, std::vector<double>& times) {
    std::vector<double> read;
    std::size_t at = 0;
    for (;;) {
        const std::size_t comma = text.find(',', at);
        double t = 0;
        if (!parseTime(text.substr(at, comma == std::string::npos ? std::string::npos : comma - at), t)) return false;
        read.push_back(t);
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    times.insert(times.end(), read.begin(), read.end());
    return true;
}

}  // namespace tool
