// Evaluation of state expressions from the effect's current parameter words: on the
// stack, without allocating, every index clamped to its value.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3dx9/effect/EffectDescription.h"
#include "platform/d3dx9/effect/StateExpression.h"

namespace fx {
namespace {

float word(const Parameter& p, std::uint32_t w) {
    if (p.kind == ValueKind::Float) return bitsFloat(w);
    if (p.kind == ValueKind::Int) return static_cast<float>(static_cast<std::int32_t>(w));
    return w ? 1.0f : 0.0f;
}

float at(const ExprValue& v, int k) { return v.count <= 0 ? 0.0f : v.v[v.count == 1 ? 0 : std::min(k, v.count - 1)]; }

struct Evaluation {
    const StateExpression& e;
    const std::vector<Parameter>& params;
    const std::uint32_t* values;
    const std::uint32_t* offsets;

    void run(int index, ExprValue& out) const {
        const ExprNode& n = e.nodes[static_cast<std::size_t>(index)];
        out.count = n.constant.count;
        out.integer = n.constant.integer;
        ExprValue a, b, c;
        switch (n.op) {
            case ExprNode::Constant: out = n.constant; return;
            case ExprNode::Parameter: {
                if (!values) return;  // folding at load: no parameter reaches here
                const Parameter& p = params[static_cast<std::size_t>(n.parameter)];
                const std::uint32_t* w = values + offsets[n.parameter];
                for (int k = 0; k < out.count; ++k) out.v[k] = word(p, w[k]);
                return;
            }
            case ExprNode::Index: {
                run(n.b, b);
                const int width = n.swizzleCount;
                int elements = 1;
                if (n.parameter >= 0 && !values) return;
                if (n.parameter >= 0) {
                    const Parameter& p = params[static_cast<std::size_t>(n.parameter)];
                    elements = p.wordCount() / std::max(width, 1);
                } else {
                    run(n.a, a);
                    elements = a.count;
                }
                // Out of range clamps: never a read past the value.
                int i = std::clamp(static_cast<int>(std::floor(at(b, 0))), 0, std::max(elements - 1, 0));
                if (n.parameter >= 0) {
                    const Parameter& p = params[static_cast<std::size_t>(n.parameter)];
                    const std::uint32_t* w = values + offsets[n.parameter] + i * width;
                    for (int k = 0; k < out.count; ++k) out.v[k] = word(p, w[k]);
                } else {
                    out.v[0] = at(a, i);
                }
                return;
            }
            case ExprNode::Swizzle:
                run(n.a, a);
                for (int k = 0; k < n.swizzleCount; ++k) out.v[k] = at(a, n.swizzle[k]);
                return;
            case ExprNode::Select:
                run(n.c, c);
                run(at(c, 0) != 0.0f ? n.a : n.b, a);
                for (int k = 0; k < out.count; ++k) out.v[k] = at(a, k);
                return;
            case ExprNode::Cast:
                run(n.a, a);
                for (int k = 0; k < out.count; ++k) {
                    float v = at(a, k);
                    out.v[k] = n.function == 1 ? std::trunc(v) : n.function == 2 ? (v != 0.0f ? 1.0f : 0.0f) : v;
                }
                return;
            case ExprNode::Call:
                run(n.a, a);
                if (n.b >= 0) run(n.b, b);
                if (n.c >= 0) run(n.c, c);
                if (n.function == 0) {  // concatenation
                    for (int k = 0; k < out.count; ++k) out.v[k] = k < a.count ? a.v[k] : b.v[k - a.count];
                    return;
                }
                for (int k = 0; k < out.count; ++k) out.v[k] = intrinsic(n.function, at(a, k), at(b, k), at(c, k));
                return;
            default: break;
        }
        run(n.a, a);
        if (n.b >= 0) run(n.b, b);
        for (int k = 0; k < out.count; ++k) out.v[k] = arithmetic(n.op, at(a, k), at(b, k), out.integer);
    }

    // f numbers the intrinsics in the order of kIntrinsics (StateExpression.cpp).
    static float intrinsic(int f, float x, float y, float z) {
        switch (f) {
            case 1: return std::fabs(x);
            case 2: return std::floor(x);
            case 3: return std::ceil(x);
            case 4: return x - std::floor(x);
            case 5: return std::clamp(x, 0.0f, 1.0f);
            case 6: return std::sqrt(x);
            case 7: return std::sin(x);
            case 8: return std::cos(x);
            case 9: return std::min(x, y);
            case 10: return std::max(x, y);
            case 11: return std::pow(x, y);
            case 12: return y >= x ? 1.0f : 0.0f;  // step(edge, x)
            case 13: return std::min(std::max(x, y), z);
            case 14: return x + (y - x) * z;
            default: return 0.0f;
        }
    }

    static float arithmetic(ExprNode::Op op, float x, float y, bool integer) {
        auto i = [](float v) { return static_cast<long long>(v); };
        switch (op) {
            case ExprNode::Negate: return -x;
            case ExprNode::Not: return x == 0.0f ? 1.0f : 0.0f;
            case ExprNode::Add: return x + y;
            case ExprNode::Sub: return x - y;
            case ExprNode::Mul: return x * y;
            case ExprNode::Div:
                if (integer) return i(y) == 0 ? 0.0f : static_cast<float>(i(x) / i(y));
                return x / y;
            case ExprNode::Mod:
                if (integer) return i(y) == 0 ? 0.0f : static_cast<float>(i(x) % i(y));
                return std::fmod(x, y);
            case ExprNode::Less: return x < y;
            case ExprNode::Greater: return x > y;
            case ExprNode::LessEqual: return x <= y;
            case ExprNode::GreaterEqual: return x >= y;
            case ExprNode::Equal: return x == y;
            case ExprNode::NotEqual: return x != y;
            case ExprNode::And: return x != 0.0f && y != 0.0f;
            case ExprNode::Or: return x != 0.0f || y != 0.0f;
            case ExprNode::BitAnd: return static_cast<float>(i(x) & i(y));
            case ExprNode::BitOr: return static_cast<float>(i(x) | i(y));
            case ExprNode::BitXor: return static_cast<float>(i(x) ^ i(y));
            default: return 0.0f;
        }
    }
};

}  // namespace

void evaluateStateExpression(const StateExpression& e, const std::vector<Parameter>& parameters,
                             const std::uint32_t* values, const std::uint32_t* offsets, ExprValue& out) {
    out = ExprValue{};
    if (e.nodes.empty()) return;
    Evaluation{e, parameters, values, offsets}.run(static_cast<int>(e.nodes.size() - 1), out);
}

}  // namespace fx
