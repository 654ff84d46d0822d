#include "platform/d3dx9/effect/StateExpression.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3dx9/effect/EffectDescription.h"

namespace fx {
namespace {

// Nesting deeper than this, or more nodes than this, is refused: evaluation recurses
// over the tree and must not run out of stack.
constexpr int kMaxDepth = 64;
constexpr std::size_t kMaxNodes = 256;

struct Intrinsic {
    const char* name;
    int arguments;
};
const Intrinsic kIntrinsics[] = {{"", 0},       {"abs", 1},  {"floor", 1}, {"ceil", 1}, {"frac", 1},
                                 {"saturate", 1}, {"sqrt", 1}, {"sin", 1},   {"cos", 1},  {"min", 2},
                                 {"max", 2},    {"pow", 2},  {"step", 2},  {"clamp", 3}, {"lerp", 3}};

// "float3" -> 3 components of float; "int" -> 1 of int. False when not a value type.
bool castType(const std::string& name, int& cast, int& width) {
    static const char* const bases[] = {"float", "half", "double", "int", "uint", "dword", "bool"};
    for (const char* b : bases) {
        std::size_t n = std::strlen(b);
        if (name.compare(0, n, b) != 0) continue;
        std::string dims = name.substr(n);
        cast = b[0] == 'i' || b[0] == 'u' || b[0] == 'd' ? (b[1] == 'o' ? 0 : 1) : b[0] == 'b' ? 2 : 0;
        if (dims.empty()) width = 1;
        else if (dims.size() == 1 && dims[0] >= '1' && dims[0] <= '4') width = dims[0] - '0';
        else if (dims.size() == 3 && dims[1] == 'x' && dims[0] >= '1' && dims[0] <= '4' && dims[2] >= '1' && dims[2] <= '4')
            width = (dims[0] - '0') * (dims[2] - '0');
        else return false;
        return true;
    }
    return false;
}

class Reader {
public:
    Reader(const std::vector<Token>& t, std::size_t last, const std::vector<Parameter>& params, const ExprNames& names,
           StateExpression& out, std::string& error)
        : t_(t), last_(std::min(last, t.size())), params_(params), names_(names), out_(out), error_(error) {}

    bool read(std::size_t& i) { return conditional(i, 0) >= 0; }

private:
    int fail(const std::string& message) {
        if (error_.empty()) error_ = message;
        return -1;
    }
    bool punct(std::size_t i, char c) const { return i < last_ && isPunct(t_[i], c); }
    // A two-character operator: its tokens touch.
    bool op2(std::size_t i, char a, char b) const {
        return punct(i, a) && punct(i + 1, b) && t_[i + 1].begin == t_[i].end;
    }
    int add(ExprNode n) {
        if (out_.nodes.size() >= kMaxNodes) return fail("the expression is too long");
        out_.nodes.push_back(n);
        return static_cast<int>(out_.nodes.size() - 1);
    }
    int count(int node) const { return out_.nodes[static_cast<std::size_t>(node)].constant.count; }
    bool integer(int node) const { return out_.nodes[static_cast<std::size_t>(node)].constant.integer; }
    // Binary and unary nodes keep their result's shape in `constant.count`/`integer`.
    int shaped(ExprNode n, int components, bool isInteger) {
        n.constant.count = std::clamp(components, 1, kExprComponents);
        n.constant.integer = isInteger;
        return add(n);
    }

    int conditional(std::size_t& i, int depth) {
        if (depth > kMaxDepth) return fail("the expression nests too deeply");
        int c = binary(i, 0, depth);
        if (c < 0 || !punct(i, '?')) return c;
        ++i;
        int a = conditional(i, depth + 1);
        if (a < 0) return -1;
        if (!punct(i, ':')) return fail("expected ':' in the expression");
        ++i;
        int b = conditional(i, depth + 1);
        if (b < 0) return -1;
        ExprNode n;
        n.op = ExprNode::Select;
        n.a = a, n.b = b, n.c = c;
        return shaped(n, std::max(count(a), count(b)), integer(a) && integer(b));
    }

    // The operator at i for precedence `level` (0 loosest), and its length.
    ExprNode::Op binaryOp(std::size_t i, int level, int& length) const {
        length = 2;
        switch (level) {
            case 0: if (op2(i, '|', '|')) return ExprNode::Or; break;
            case 1: if (op2(i, '&', '&')) return ExprNode::And; break;
            case 2: length = 1; if (punct(i, '|') && !op2(i, '|', '|')) return ExprNode::BitOr; break;
            case 3: length = 1; if (punct(i, '^')) return ExprNode::BitXor; break;
            case 4: length = 1; if (punct(i, '&') && !op2(i, '&', '&')) return ExprNode::BitAnd; break;
            case 5:
                if (op2(i, '=', '=')) return ExprNode::Equal;
                if (op2(i, '!', '=')) return ExprNode::NotEqual;
                break;
            case 6:
                if (op2(i, '<', '=')) return ExprNode::LessEqual;
                if (op2(i, '>', '=')) return ExprNode::GreaterEqual;
                length = 1;
                if (punct(i, '<') && !op2(i, '<', '<')) return ExprNode::Less;
                if (punct(i, '>') && !op2(i, '>', '>')) return ExprNode::Greater;
                break;
            case 7:
                length = 1;
                if (punct(i, '+')) return ExprNode::Add;
                if (punct(i, '-')) return ExprNode::Sub;
                break;
            case 8:
                length = 1;
                if (punct(i, '*')) return ExprNode::Mul;
                if (punct(i, '/')) return ExprNode::Div;
                if (punct(i, '%')) return ExprNode::Mod;
                break;
            default: break;
        }
        length = 0;
        return ExprNode::Constant;
    }

    int binary(std::size_t& i, int level, int depth) {
        if (level == 9) return unary(i, depth);
        int left = binary(i, level + 1, depth);
        while (left >= 0) {
            int length = 0;
            ExprNode::Op op = binaryOp(i, level, length);
            if (length == 0) break;
            i += static_cast<std::size_t>(length);
            int right = binary(i, level + 1, depth);
            if (right < 0) return -1;
            ExprNode n;
            n.op = op;
            n.a = left, n.b = right;
            bool logical = op >= ExprNode::Less && op <= ExprNode::Or;
            bool bits = op >= ExprNode::BitAnd;
            left = shaped(n, std::max(count(left), count(right)),
                          logical || bits || (integer(left) && integer(right)));
        }
        return left;
    }

    int unary(std::size_t& i, int depth) {
        if (depth > kMaxDepth) return fail("the expression nests too deeply");
        if (punct(i, '-') || punct(i, '!') || punct(i, '+')) {
            char c = t_[i].text[0];
            ++i;
            int a = unary(i, depth + 1);
            if (a < 0 || c == '+') return a;
            ExprNode n;
            n.op = c == '-' ? ExprNode::Negate : ExprNode::Not;
            n.a = a;
            return shaped(n, count(a), c == '!' || integer(a));
        }
        int cast = 0, width = 0;
        if (punct(i, '(') && i + 2 < last_ && t_[i + 1].kind == Tok::Ident && punct(i + 2, ')') &&
            castType(t_[i + 1].text, cast, width)) {
            i += 3;
            int a = unary(i, depth + 1);
            if (a < 0) return -1;
            return castNode(a, cast, width);
        }
        return postfix(i, depth);
    }

    int castNode(int a, int cast, int width) {
        ExprNode n;
        n.op = ExprNode::Cast;
        n.a = a;
        n.function = cast;
        // A scalar widens to the type; a wider value is cut to it.
        return shaped(n, width, cast != 0);
    }

    int postfix(std::size_t& i, int depth) {
        int node = primary(i, depth);
        while (node >= 0) {
            if (punct(i, '.') && i + 1 < last_ && t_[i + 1].kind == Tok::Ident) {
                const std::string& s = t_[i + 1].text;
                ExprNode n;
                n.op = ExprNode::Swizzle;
                n.a = node;
                if (s.size() > 4) return fail("invalid swizzle '." + s + "'");
                for (char ch : s) {
                    const char* at = std::strchr("xyzw", ch);
                    const char* atColour = std::strchr("rgba", ch);
                    int k = at && ch ? static_cast<int>(at - "xyzw") : atColour && ch ? static_cast<int>(atColour - "rgba") : -1;
                    if (k < 0 || k >= count(node)) return fail("invalid swizzle '." + s + "'");
                    n.swizzle[n.swizzleCount++] = static_cast<std::uint8_t>(k);
                }
                i += 2;
                node = shaped(n, n.swizzleCount, integer(node));
            } else if (punct(i, '[')) {
                ++i;
                int index = conditional(i, depth + 1);
                if (index < 0) return -1;
                if (!punct(i, ']')) return fail("expected ']' in the expression");
                ++i;
                node = indexNode(node, index);
            } else {
                break;
            }
        }
        return node;
    }

    // p[i]: an element of an array parameter or a row of a matrix; v[i]: a component.
    int indexNode(int base, int index) {
        ExprNode n;
        n.op = ExprNode::Index;
        n.a = base;
        n.b = index;
        const ExprNode& b = out_.nodes[static_cast<std::size_t>(base)];
        int width = 1;
        if (b.op == ExprNode::Parameter) {
            const Parameter& p = params_[static_cast<std::size_t>(b.parameter)];
            n.parameter = b.parameter;
            width = p.arraySize > 0 ? p.rows * p.cols : p.rows > 1 ? p.cols : 1;
        }
        n.swizzleCount = width;  // the element's width
        return shaped(n, width, integer(base));
    }

    int primary(std::size_t& i, int depth) {
        if (i >= last_) return fail("the expression ends too early");
        const Token& t = t_[i];
        if (t.kind == Tok::Number) {
            double d = 0;
            if (!parseNumber(t.text, d)) return fail("invalid number '" + t.text + "'");
            ++i;
            ExprNode n;
            n.constant.v[0] = static_cast<float>(d);
            n.constant.count = 1;
            n.constant.integer = t.text.find_first_of(".eE") == std::string::npos || t.text.rfind("0x", 0) == 0;
            return add(n);
        }
        if (punct(i, '(')) {
            ++i;
            int inner = conditional(i, depth + 1);
            if (inner < 0) return -1;
            if (!punct(i, ')')) return fail("expected ')' in the expression");
            ++i;
            return inner;
        }
        if (t.kind != Tok::Ident) return fail("unexpected '" + t.text + "' in the expression");
        ++i;
        if (punct(i, '(')) return call(t.text, i, depth);
        if (isWord(t, "true") || isWord(t, "false")) {
            ExprNode n;
            n.constant.v[0] = isWord(t, "true") ? 1.0f : 0.0f;
            n.constant.count = 1;
            n.constant.integer = true;
            return add(n);
        }
        int p = names_.parameter ? names_.parameter(t.text) : -1;
        if (p >= 0) {
            const Parameter& param = params_[static_cast<std::size_t>(p)];
            if (!param.isValue()) return fail("'" + t.text + "' has no value to use here");
            ExprNode n;
            n.op = ExprNode::Parameter;
            n.parameter = p;
            out_.usesParameters = true;
            return shaped(n, param.wordCount(), param.kind != ValueKind::Float);
        }
        ConstantValue v;
        if (names_.constant && names_.constant(t.text, v) && !v.empty()) {
            ExprNode n;
            for (std::size_t k = 0; k < v.size() && k < kExprComponents; ++k) n.constant.v[k] = static_cast<float>(v[k]);
            n.constant.count = static_cast<int>(std::min<std::size_t>(v.size(), kExprComponents));
            n.constant.integer = v.size() == 1 && v[0] == std::floor(v[0]);
            return add(n);
        }
        return fail("unknown name '" + t.text + "' in the expression");
    }

    // f(args): an intrinsic, or a constructor such as float4(a, b, c, d).
    int call(const std::string& name, std::size_t& i, int depth) {
        ++i;  // '('
        int args[kExprComponents];
        int n = 0;
        while (!punct(i, ')')) {
            if (n == kExprComponents) return fail("too many arguments to '" + name + "'");
            int a = conditional(i, depth + 1);
            if (a < 0) return -1;
            args[n++] = a;
            if (punct(i, ',')) ++i;
            else if (!punct(i, ')')) return fail("expected ')' after the arguments of '" + name + "'");
        }
        ++i;
        int cast = 0, width = 0;
        if (castType(name, cast, width)) {
            if (n == 0) return fail("'" + name + "' needs a value");
            int joined = args[0];
            for (int k = 1; k < n; ++k) {
                // Components in order: the concatenation is a Call with function 0.
                ExprNode c;
                c.op = ExprNode::Call;
                c.a = joined, c.b = args[k];
                joined = shaped(c, count(joined) + count(args[k]), integer(joined) && integer(args[k]));
                if (joined < 0) return -1;
            }
            return castNode(joined, cast, width);
        }
        for (int f = 1; f < static_cast<int>(std::size(kIntrinsics)); ++f) {
            if (name != kIntrinsics[f].name) continue;
            if (n != kIntrinsics[f].arguments)
                return fail("'" + name + "' takes " + std::to_string(kIntrinsics[f].arguments) + " arguments");
            ExprNode c;
            c.op = ExprNode::Call;
            c.function = f;
            c.a = args[0];
            c.b = n > 1 ? args[1] : -1;
            c.c = n > 2 ? args[2] : -1;
            int widest = count(args[0]);
            for (int k = 1; k < n; ++k) widest = std::max(widest, count(args[k]));
            return shaped(c, widest, false);
        }
        return fail("unknown function '" + name + "' in the expression");
    }

    const std::vector<Token>& t_;
    std::size_t last_;
    const std::vector<Parameter>& params_;
    const ExprNames& names_;
    StateExpression& out_;
    std::string& error_;
};

float bitsFloat(std::uint32_t w) {
    float f;
    std::memcpy(&f, &w, 4);
    return f;
}

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
                const Parameter& p = params[static_cast<std::size_t>(n.parameter)];
                const std::uint32_t* w = values + offsets[n.parameter];
                for (int k = 0; k < out.count; ++k) out.v[k] = word(p, w[k]);
                return;
            }
            case ExprNode::Index: {
                run(n.b, b);
                const int width = n.swizzleCount;
                int elements = 1;
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

bool parseStateExpression(const std::vector<Token>& tokens, std::size_t first, std::size_t last,
                          const std::vector<Parameter>& parameters, const ExprNames& names, StateExpression& out,
                          std::string& error) {
    out = StateExpression{};
    error.clear();
    if (first >= last) {
        error = "missing value";
        return false;
    }
    std::size_t i = first;
    Reader reader(tokens, last, parameters, names, out, error);
    if (!reader.read(i)) return false;
    if (i != last) {
        error = "unexpected '" + tokens[std::min(i, tokens.size() - 1)].text + "' in the expression";
        return false;
    }
    return true;
}

void evaluateStateExpression(const StateExpression& e, const std::vector<Parameter>& parameters,
                             const std::uint32_t* values, const std::uint32_t* offsets, ExprValue& out) {
    out = ExprValue{};
    if (e.nodes.empty()) return;
    Evaluation{e, parameters, values, offsets}.run(static_cast<int>(e.nodes.size() - 1), out);
}

}  // namespace fx
