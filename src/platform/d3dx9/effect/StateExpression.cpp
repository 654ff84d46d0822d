#include "platform/d3dx9/effect/StateExpression.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3dx9/effect/EffectDescription.h"
#include "platform/d3dx9/effect/Nesting.h"

namespace fx {
namespace {

// More nodes than this is refused; so is nesting past kMaxNesting, since evaluation
// recurses over the tree and must not run out of stack.
constexpr int kMaxDepth = kMaxNesting;
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
        // A member of a struct parameter is a parameter of its own: lights[0].colour.
        std::string path = t.text;
        for (std::size_t j = i; names_.parameter && j < last_;) {
            if (punct(j, '[') && j + 2 < last_ && t_[j + 1].kind == Tok::Number && punct(j + 2, ']')) {
                path += "[" + t_[j + 1].text + "]";
                j += 3;
            } else if (punct(j, '.') && j + 1 < last_ && t_[j + 1].kind == Tok::Ident) {
                path += "." + t_[j + 1].text;
                j += 2;
            } else {
                break;
            }
            if (const int member = names_.parameter(path); member >= 0) {
                p = member;
                i = j;
            }
        }
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

}  // namespace fx
