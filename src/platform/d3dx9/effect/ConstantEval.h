// Evaluates the constant expressions of effect syntax: initial values, array sizes and
// compile-time state values. A value is a flat list of components (a float3 is three,
// a float4x4 sixteen); operators work per component and a scalar stands for all.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/d3dx9/effect/EffectLexer.h"

namespace fx {

using ConstantValue = std::vector<double>;

// Names with a known value: `static const` values and parameters' initial values.
// An array's element width (components per element) lets `a[i]` pick its element.
struct ConstantScope : std::map<std::string, ConstantValue> {
    std::map<std::string, int> elementWidth;
};

// Evaluates tokens[i, end) as an initializer (`{...}` lists nest and flatten) or an
// expression. Advances `i` past what it read; false when it is not constant.
bool evaluateInitializer(const std::vector<Token>& tokens, std::size_t& i, std::size_t end,
                         const ConstantScope& scope, ConstantValue& out);

}  // namespace fx
