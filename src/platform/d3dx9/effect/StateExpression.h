// State values that are expressions over parameters (`AlphaRef = (int)(cutoff * 255);`):
// read once into a small tree when the effect loads, evaluated from the effect's current
// parameter values each time a pass begins, without allocating.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/d3dx9/effect/ConstantEval.h"
#include "platform/d3dx9/effect/EffectLexer.h"

namespace fx {

struct Parameter;

// At most a float4x4: the widest value a state takes.
constexpr int kExprComponents = 16;

struct ExprValue {
    float v[kExprComponents] = {};
    int count = 0;
    bool integer = false;  // int or bool: division truncates
};

struct ExprNode {
    enum Op : std::uint8_t {
        Constant, Parameter, Swizzle, Index, Negate, Not, Cast, Select, Call,
        Add, Sub, Mul, Div, Mod, Less, Greater, LessEqual, GreaterEqual, Equal, NotEqual, And, Or,
        BitAnd, BitOr, BitXor
    };
    Op op = Constant;
    int a = -1, b = -1, c = -1;  // operand nodes
    int parameter = -1;
    int function = 0;   // Call: the intrinsic; Cast: 1 int, 2 bool, 0 float
    std::uint8_t swizzle[4] = {};
    int swizzleCount = 0;
    ExprValue constant;
};

struct StateExpression {
    std::vector<ExprNode> nodes;  // the root is the last
    bool usesParameters = false;
};

// What a name in an expression stands for: a parameter's index, or a constant (an enum
// name of the state's kind, a static const). False when it is neither.
struct ExprNames {
    std::function<int(const std::string&)> parameter;  // -1 when none
    std::function<bool(const std::string&, ConstantValue&)> constant;
};

// Reads tokens [first, last) as an expression. False with `error` set when it is not one.
bool parseStateExpression(const std::vector<Token>& tokens, std::size_t first, std::size_t last,
                          const std::vector<Parameter>& parameters, const ExprNames& names, StateExpression& out,
                          std::string& error);

// Evaluates from the parameters' current words (`values` at `offsets[p]`).
void evaluateStateExpression(const StateExpression& e, const std::vector<Parameter>& parameters,
                             const std::uint32_t* values, const std::uint32_t* offsets, ExprValue& out);

}  // namespace fx
