// The kinds of value several commands take on their command line, each read one way.
#pragma once

#include <string>
#include <vector>

namespace tool {

struct Size {
    unsigned width = 0, height = 0;
};

// "WxH" (or "WXH"), each side a whole number from `min` to `max`; false on anything else.
bool parseSize(const std::string& text, unsigned min, unsigned max, Size& size);
// A time in seconds: a finite number and nothing after it.
bool parseTime(const std::string& text, double& seconds);
// "1.5,30,60.25": times as parseTime reads them, appended to `times`; false (and nothing
// appended) on anything else.
bool parseTimeList(const std::string& text, std::vector<double>& times);

}  // namespace tool
