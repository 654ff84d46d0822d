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

// Why an expansion stopped early.
enum class ExpansionStop { None, TooLarge, TooDeep };

// Expands every macro in `text` (no directives). Newlines inside function-like macro
// arguments move after the expansion, so the line count stays the same. It stops when
// the output passes `limit` characters (macros that multiply their arguments can grow
// without bound) or when macros expand inside one another past kMaxNesting.
std::string expandMacros(const std::string& text, const MacroTable& macros, std::size_t limit, ExpansionStop& stop);

// Evaluates an #if/#elif expression; false when it is not one, with `tooDeep` set when
// that is because it nests past kMaxNesting.
bool evaluateCondition(const std::string& text, const MacroTable& macros, long& value, bool& tooDeep);

}  // namespace fx::pp
