// Macro tables, expansion and #if arithmetic for the effect preprocessor.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace fx::pp {

struct Macro {
    bool function = false;
    std::vector<std::string> params;
    std::string body;
};

using MacroTable = std::map<std::string, Macro>;

bool identStart(char c);
bool identChar(char c);

// Expands every macro in `text` (no directives). Newlines inside function-like macro
// arguments move after the expansion, so the line count stays the same. `overflowed`
// is set when the output passes `limit` characters (macros that multiply their
// arguments can grow without bound).
std::string expandMacros(const std::string& text, const MacroTable& macros, std::size_t limit, bool& overflowed);

// Evaluates an #if/#elif expression; false when it is not one.
bool evaluateCondition(const std::string& text, const MacroTable& macros, long& value);

}  // namespace fx::pp
