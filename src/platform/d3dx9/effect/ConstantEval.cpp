#include "platform/d3dx9/effect/ConstantEval.h"

#include "platform/d3dx9/effect/Nesting.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fx {
namespace {

// Component count of a value type name ("float3" 3, "float4x4" 16, "int" 1), 0 if none.
int typeComponents(const std::string& name) {
    static const char* const bases[] = {"float", "half", "double", "int", "uint", "bool", "dword", "min16float"};
    for (const char* b : bases) {
        std::size_t n = std::strlen(b);
        if (name.compare(0, n, b) != 0) continue;
        std::string dims = name.substr(n);
        if (dims.empty()) return 1;
        if (dims.size() == 1 && dims[0] >= '1' && dims[0] <= '4') return dims[0] - '0';
        if (dims.size() == 3 && dims[1] == 'x' && dims[0] >= '1' && dims[0] <= '4' && dims[2] >= '1' && dims[2] <= '4')
            return (dims[0] - '0') * (dims[2] - '0');
        return 0;
    }
    if (name == "vector") return 4;
    if (name == "matrix") return 16;
    return 0;
}

class Evaluator {
public:
    Evaluator(const std::vector<Token>& t, std::size_t end, const ConstantScope& scope)
        : t_(t), end_(std::min(end, t.size())), scope_(scope) {}

    bool initializer(std::size_t& i, ConstantValue& out) {
        if (i < end_ && isPunct(t_[i], '{')) {
            NestingLevel level(depth_);
            if (level.tooDeep()) return false;
            ++i;
            while (i < end_ && !isPunct(t_[i], '}')) {
                if (!initializer(i, out)) return false;
                if (i < end_ && isPunct(t_[i], ',')) ++i;
                else if (!(i < end_ && isPunct(t_[i], '}'))) return false;
            }
            if (i >= end_) return false;
            ++i;
            return true;
        }
        ConstantValue v;
        if (!conditional(i, v)) return false;
        out.insert(out.end(), v.begin(), v.end());
        return true;
    }

private:
    // Applies `op` per component; a one-component side stands for every component.
    template <typename Op>
    static bool combine(ConstantValue& a, const ConstantValue& b, Op op) {
        if (a.empty() || b.empty()) return false;
        std::size_t n = std::max(a.size(), b.size());
        if (a.size() != n && a.size() != 1) n = std::min(a.size(), b.size());
        ConstantValue r(n);
        for (std::size_t k = 0; k < n; ++k) r[k] = op(a[a.size() == 1 ? 0 : k], b[b.size() == 1 ? 0 : k]);
        a = std::move(r);
        return true;
    }
    bool at(std::size_t i, const char* op) const {
        std::size_t n = std::strlen(op);
        if (i + n > end_) return false;
        for (std::size_t k = 0; k < n; ++k)
            if (!isPunct(t_[i + k], op[k]) || (k > 0 && t_[i + k].begin != t_[i + k - 1].end)) return false;
        return true;
    }

    bool conditional(std::size_t& i, ConstantValue& v) {
        NestingLevel level(depth_);
        if (level.tooDeep() || !binary(i, v, 0)) return false;
        if (!(i < end_ && isPunct(t_[i], '?'))) return true;
        ++i;
        ConstantValue a, b;
        if (!conditional(i, a) || !(i < end_ && isPunct(t_[i], ':'))) return false;
        ++i;
        if (!conditional(i, b)) return false;
        v = !v.empty() && v[0] != 0.0 ? a : b;
        return true;
    }

    // Out of line, so that the frame binary() recurses with stays small: an inlined
    // operator table costs kilobytes of stack per level under the sanitizers.
    [[gnu::noinline]] static bool applyBinary(const std::string& o, ConstantValue& v, const ConstantValue& r) {
        auto asInt = [](double d) { return static_cast<long long>(d); };
        bool ok = false;
        if (o == "+") ok = combine(v, r, [](double a, double b) { return a + b; });
        else if (o == "-") ok = combine(v, r, [](double a, double b) { return a - b; });
        else if (o == "*") ok = combine(v, r, [](double a, double b) { return a * b; });
        else if (o == "/") ok = combine(v, r, [](double a, double b) { return a / b; });
        else if (o == "%") ok = combine(v, r, [](double a, double b) { return std::fmod(a, b); });
        else if (o == "<") ok = combine(v, r, [](double a, double b) { return a < b ? 1.0 : 0.0; });
        else if (o == ">") ok = combine(v, r, [](double a, double b) { return a > b ? 1.0 : 0.0; });
        else if (o == "<=") ok = combine(v, r, [](double a, double b) { return a <= b ? 1.0 : 0.0; });
        else if (o == ">=") ok = combine(v, r, [](double a, double b) { return a >= b ? 1.0 : 0.0; });
        else if (o == "==") ok = combine(v, r, [](double a, double b) { return a == b ? 1.0 : 0.0; });
        else if (o == "!=") ok = combine(v, r, [](double a, double b) { return a != b ? 1.0 : 0.0; });
        else if (o == "&&") ok = combine(v, r, [](double a, double b) { return a != 0 && b != 0 ? 1.0 : 0.0; });
        else if (o == "||") ok = combine(v, r, [](double a, double b) { return a != 0 || b != 0 ? 1.0 : 0.0; });
        else if (o == "|") ok = combine(v, r, [&](double a, double b) { return double(asInt(a) | asInt(b)); });
        else if (o == "&") ok = combine(v, r, [&](double a, double b) { return double(asInt(a) & asInt(b)); });
        else if (o == "^") ok = combine(v, r, [&](double a, double b) { return double(asInt(a) ^ asInt(b)); });
        else if (o == "<<") ok = combine(v, r, [&](double a, double b) { return double(asInt(a) << (asInt(b) & 31)); });
        else if (o == ">>") ok = combine(v, r, [&](double a, double b) { return double(asInt(a) >> (asInt(b) & 31)); });
        return ok;
    }

    // Precedence climbing over the C operators a constant may use.
    bool binary(std::size_t& i, ConstantValue& v, int level) {
        static const char* const levels[][4] = {{"||"}, {"&&"}, {"|"}, {"^"}, {"&"}, {"==", "!="},
                                                {"<=", ">=", "<", ">"}, {"<<", ">>"}, {"+", "-"}, {"*", "/", "%"}};
        constexpr int kLevels = 10;
        if (level == kLevels) return unary(i, v);
        if (!binary(i, v, level + 1)) return false;
        for (;;) {
            const char* op = nullptr;
            for (const char* o : levels[level])
                if (o && at(i, o) && !(std::strlen(o) == 1 && (at(i, "||") || at(i, "&&") || at(i, "<<") || at(i, ">>") ||
                                                             at(i, "<=") || at(i, ">="))))
                    op = op ? op : o;
            if (!op) return true;
            i += std::strlen(op);
            ConstantValue r;
            if (!binary(i, r, level + 1)) return false;
            if (!applyBinary(op, v, r)) return false;
        }
    }

    bool unary(std::size_t& i, ConstantValue& v) {
        if (i >= end_) return false;
        const Token& t = t_[i];
        if (isPunct(t, '-') || isPunct(t, '+') || isPunct(t, '!') || isPunct(t, '~')) {
            NestingLevel level(depth_);
            if (level.tooDeep()) return false;
            ++i;
            if (!unary(i, v)) return false;
            for (double& d : v) {
                if (t.text[0] == '-') d = -d;
                else if (t.text[0] == '!') d = d == 0.0 ? 1.0 : 0.0;
                else if (t.text[0] == '~') d = static_cast<double>(~static_cast<long long>(d));
            }
            return true;
        }
        // A cast: (float)x, (int)y.
        if (isPunct(t, '(') && i + 2 < end_ && t_[i + 1].kind == Tok::Ident && typeComponents(t_[i + 1].text) > 0 &&
            isPunct(t_[i + 2], ')')) {
            bool integer = t_[i + 1].text.rfind("int", 0) == 0 || t_[i + 1].text.rfind("uint", 0) == 0;
            NestingLevel level(depth_);
            if (level.tooDeep()) return false;
            std::size_t n = static_cast<std::size_t>(typeComponents(t_[i + 1].text));
            i += 3;
            if (!unary(i, v)) return false;
            if (integer)
                for (double& d : v) d = std::trunc(d);
            // (float3)s broadcasts a scalar; (float2)v keeps the first components.
            if (v.size() == 1) v.assign(n, v[0]);
            else if (v.size() > n) v.resize(n);
            return v.size() == n;
        }
        return primary(i, v);
    }

    bool arguments(std::size_t& i, std::vector<ConstantValue>& args) {
        if (!(i < end_ && isPunct(t_[i], '('))) return false;
        ++i;
        while (i < end_ && !isPunct(t_[i], ')')) {
            ConstantValue a;
            if (!conditional(i, a)) return false;
            args.push_back(std::move(a));
            if (i < end_ && isPunct(t_[i], ',')) ++i;
            else if (!(i < end_ && isPunct(t_[i], ')'))) return false;
        }
        if (i >= end_) return false;
        ++i;
        return true;
    }

    bool primary(std::size_t& i, ConstantValue& v) {
        const Token& t = t_[i];
        if (t.kind == Tok::Number) {
            double d = 0;
            if (!parseNumber(t.text, d)) return false;
            v = {d};
            ++i;
            return true;
        }
        if (isPunct(t, '(')) {
            ++i;
            // The comma operator: `(1, 1, 1)` is its last operand, as fxc reads it.
            if (!conditional(i, v)) return false;
            while (i < end_ && isPunct(t_[i], ',')) {
                ++i;
                if (!conditional(i, v)) return false;
            }
            if (!(i < end_ && isPunct(t_[i], ')'))) return false;
            ++i;
            return postfix(i, v, 0);
        }
        if (t.kind != Tok::Ident) return false;
        if (t.text == "true" || t.text == "false") {
            v = {t.text == "true" ? 1.0 : 0.0};
            ++i;
            return true;
        }
        ++i;
        if (i < end_ && isPunct(t_[i], '(')) {
            std::vector<ConstantValue> args;
            if (!arguments(i, args)) return false;
            if (int n = typeComponents(t.text); n > 0) {  // a constructor: float3(1, 2, 3)
                v.clear();
                for (const ConstantValue& a : args) v.insert(v.end(), a.begin(), a.end());
                if (v.size() == 1 && n > 1) v.assign(static_cast<std::size_t>(n), v[0]);
                return static_cast<int>(v.size()) == n && postfix(i, v, 0);
            }
            return intrinsic(t.text, args, v) && postfix(i, v, 0);
        }
        auto found = scope_.find(t.text);
        if (found == scope_.end() || found->second.empty()) return false;
        v = found->second;
        auto width = scope_.elementWidth.find(t.text);
        return postfix(i, v, width == scope_.elementWidth.end() ? 0 : width->second);
    }

    // Swizzles and members (`.xy`, `.rgb`, `._m01`, `._12`) and indexing (`a[2]`) after
    // a value; `width` is the components of an array element, 0 when not an array.
    bool postfix(std::size_t& i, ConstantValue& v, int width) {
        for (;;) {
            if (i + 1 < end_ && isPunct(t_[i], '.') && t_[i + 1].kind == Tok::Ident) {
                if (!swizzle(t_[i + 1].text, v)) return false;
                i += 2;
            } else if (i < end_ && isPunct(t_[i], '[')) {
                ++i;
                ConstantValue k;
                if (!conditional(i, k) || k.size() != 1 || !(i < end_ && isPunct(t_[i], ']'))) return false;
                ++i;
                std::size_t w = width > 0 ? static_cast<std::size_t>(width) : v.size() == 16 ? 4 : 1;
                if (!(k[0] >= 0 && k[0] < static_cast<double>(v.size())) || (static_cast<std::size_t>(k[0]) + 1) * w > v.size())
                    return false;
                std::size_t at = static_cast<std::size_t>(k[0]) * w;
                v = ConstantValue(v.begin() + static_cast<std::ptrdiff_t>(at), v.begin() + static_cast<std::ptrdiff_t>(at + w));
            } else {
                return true;
            }
            width = 0;
        }
    }

    static bool swizzle(const std::string& s, ConstantValue& v) {
        ConstantValue r;
        if (s.size() >= 3 && s[0] == '_') {  // matrix members: _m00 (from 0) or _11 (from 1), one or more
            bool zeroBased = s[1] == 'm';
            std::size_t step = zeroBased ? 4 : 3;
            if (s.size() % step != 0) return false;
            for (std::size_t k = 0; k < s.size(); k += step) {
                if (s[k] != '_' || (zeroBased && s[k + 1] != 'm')) return false;
                int row = s[k + step - 2] - (zeroBased ? '0' : '1'), col = s[k + step - 1] - (zeroBased ? '0' : '1');
                if (row < 0 || row > 3 || col < 0 || col > 3 || v.size() != 16) return false;
                r.push_back(v[static_cast<std::size_t>(row * 4 + col)]);
            }
        } else {
            if (s.empty() || s.size() > 4) return false;
            for (char c : s) {
                const char* at = std::strchr("xyzw", c);
                const char* colour = std::strchr("rgba", c);
                if (c == '\0' || (!at && !colour)) return false;
                std::size_t k = static_cast<std::size_t>(at ? at - "xyzw" : colour - "rgba");
                if (k >= v.size()) return false;
                r.push_back(v[k]);
            }
        }
        v = std::move(r);
        return true;
    }

    static bool intrinsic(const std::string& name, std::vector<ConstantValue>& a, ConstantValue& v) {
        auto each = [&](double (*f)(double)) {
            if (a.size() != 1) return false;
            v = a[0];
            for (double& d : v) d = f(d);
            return true;
        };
        auto dot = [](const ConstantValue& x, const ConstantValue& y) {
            double s = 0;
            for (std::size_t k = 0; k < std::min(x.size(), y.size()); ++k) s += x[k] * y[k];
            return s;
        };
        if (name == "normalize" && a.size() == 1) {
            double len = std::sqrt(dot(a[0], a[0]));
            if (len == 0.0) return false;
            v = a[0];
            for (double& d : v) d /= len;
            return true;
        }
        if (name == "length" && a.size() == 1) return v = {std::sqrt(dot(a[0], a[0]))}, true;
        if (name == "dot" && a.size() == 2) return v = {dot(a[0], a[1])}, true;
        if (name == "cross" && a.size() == 2 && a[0].size() == 3 && a[1].size() == 3) {
            const ConstantValue &x = a[0], &y = a[1];
            v = {x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2], x[0] * y[1] - x[1] * y[0]};
            return true;
        }
        if (name == "distance" && a.size() == 2 && a[0].size() == a[1].size()) {
            ConstantValue d = a[0];
            for (std::size_t k = 0; k < d.size(); ++k) d[k] -= a[1][k];
            return v = {std::sqrt(dot(d, d))}, true;
        }
        if (name == "acos") return each([](double d) { return std::acos(d); });
        if (name == "asin") return each([](double d) { return std::asin(d); });
        if (name == "atan") return each([](double d) { return std::atan(d); });
        if (name == "exp2") return each([](double d) { return std::exp2(d); });
        if (name == "log2") return each([](double d) { return std::log2(d); });
        if (name == "log10") return each([](double d) { return std::log10(d); });
        if (name == "frac") return each([](double d) { return d - std::floor(d); });
        if (name == "round") return each([](double d) { return std::round(d); });
        if (name == "trunc") return each([](double d) { return std::trunc(d); });
        if (name == "sign") return each([](double d) { return d > 0 ? 1.0 : d < 0 ? -1.0 : 0.0; });
        if (name == "sqrt") return each([](double d) { return std::sqrt(d); });
        if (name == "rsqrt") return each([](double d) { return 1.0 / std::sqrt(d); });
        if (name == "abs") return each([](double d) { return std::fabs(d); });
        if (name == "sin") return each([](double d) { return std::sin(d); });
        if (name == "cos") return each([](double d) { return std::cos(d); });
        if (name == "tan") return each([](double d) { return std::tan(d); });
        if (name == "exp") return each([](double d) { return std::exp(d); });
        if (name == "log") return each([](double d) { return std::log(d); });
        if (name == "floor") return each([](double d) { return std::floor(d); });
        if (name == "ceil") return each([](double d) { return std::ceil(d); });
        if (name == "saturate") return each([](double d) { return std::clamp(d, 0.0, 1.0); });
        if (name == "radians") return each([](double d) { return d * 3.14159265358979323846 / 180.0; });
        if (name == "degrees") return each([](double d) { return d * 180.0 / 3.14159265358979323846; });
        if (a.size() == 2) {
            v = a[0];
            if (name == "pow") return combine(v, a[1], [](double x, double y) { return std::pow(x, y); });
            if (name == "min") return combine(v, a[1], [](double x, double y) { return std::min(x, y); });
            if (name == "max") return combine(v, a[1], [](double x, double y) { return std::max(x, y); });
            if (name == "atan2") return combine(v, a[1], [](double y, double x) { return std::atan2(y, x); });
            if (name == "fmod") return combine(v, a[1], [](double x, double y) { return std::fmod(x, y); });
            if (name == "step") return combine(v, a[1], [](double e, double x) { return x >= e ? 1.0 : 0.0; });
        }
        if (a.size() == 3 && (name == "clamp" || name == "lerp")) {
            v = a[0];
            if (name == "clamp")
                return combine(v, a[1], [](double x, double lo) { return std::max(x, lo); }) &&
                       combine(v, a[2], [](double x, double hi) { return std::min(x, hi); });
            ConstantValue d = a[1];
            return combine(d, a[0], [](double y, double x) { return y - x; }) &&
                   combine(d, a[2], [](double e, double s) { return e * s; }) &&
                   combine(v, d, [](double x, double e) { return x + e; });
        }
        return false;
    }

    const std::vector<Token>& t_;
    std::size_t end_;
    const ConstantScope& scope_;
    int depth_ = 0;  // too deep reads as "not constant"
};

}  // namespace

bool evaluateInitializer(const std::vector<Token>& tokens, std::size_t& i, std::size_t end,
                         const ConstantScope& scope, ConstantValue& out) {
    Evaluator e(tokens, end, scope);
    return e.initializer(i, out);
}

}  // namespace fx
