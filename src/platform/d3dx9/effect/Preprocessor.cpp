#include "platform/d3dx9/effect/Preprocessor.h"

#include <cctype>
#include <cstdlib>
#include <set>

#include "platform/d3dx9/effect/MacroExpansion.h"
#include "platform/d3dx9/effect/Nesting.h"

namespace fx {
namespace {

using pp::identChar;
using pp::identStart;
using pp::MacroTable;

// Included files nest no deeper than this: deeper is a file including itself.
constexpr int kMaxIncludeDepth = 32;
// Effect files never need their text to grow more than a few times over.
constexpr std::size_t kMaxOutput = 64u << 20;


// Replaces comments by spaces (newlines inside block comments are kept) and joins
// backslash-continued lines, moving the swallowed newlines to the end of the joined line.
std::string stripComments(const std::string& in, std::string& error, int& errorLine) {
    std::string out;
    out.reserve(in.size());
    int line = 1;
    int pendingNewlines = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        char c = in[i];
        if (c == '\\' && i + 1 < in.size() && (in[i + 1] == '\n' || in[i + 1] == '\r')) {
            ++i;
            if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n') ++i;
            ++pendingNewlines;
            ++line;
            // D3DX never joins two words across a continuation: `#define NAME\` followed
            // by states on the next lines defines NAME.
            if (!out.empty() && pp::identChar(out.back()) && i + 1 < in.size() && pp::identChar(in[i + 1])) out += ' ';
            continue;
        }
        if (c == '/' && i + 1 < in.size() && in[i + 1] == '/') {
            while (i < in.size() && in[i] != '\n') ++i;
            --i;
            continue;
        }
        if (c == '/' && i + 1 < in.size() && in[i + 1] == '*') {
            int startLine = line;
            i += 2;
            out += "  ";
            while (i < in.size() && !(in[i] == '*' && i + 1 < in.size() && in[i + 1] == '/')) {
                if (in[i] == '\n') {
                    out += '\n';
                    ++line;
                }
                ++i;
            }
            if (i >= in.size()) {
                error = "unterminated comment";
                errorLine = startLine;
                return out;
            }
            ++i;
            out += ' ';
            continue;
        }
        if (c == '"') {
            out += c;
            for (++i; i < in.size() && in[i] != '"' && in[i] != '\n'; ++i) {
                out += in[i];
                if (in[i] == '\\' && i + 1 < in.size() && in[i + 1] != '\n') out += in[++i];
            }
            if (i < in.size()) out += in[i];
            if (i < in.size() && in[i] == '\n') {
                ++line;
                out.append(static_cast<std::size_t>(pendingNewlines), '\n');
                pendingNewlines = 0;
            }
            continue;
        }
        if (c == '\r') continue;
        out += c;
        if (c == '\n') {
            ++line;
            out.append(static_cast<std::size_t>(pendingNewlines), '\n');
            pendingNewlines = 0;
        }
    }
    out.append(static_cast<std::size_t>(pendingNewlines), '\n');
    return out;
}

const char* expansionProblem(pp::ExpansionStop stop) {
    return stop == pp::ExpansionStop::TooDeep ? "macro expansion nests too deeply" : "macro expansion too large";
}

struct Conditional {
    bool parentActive;
    bool taken;   // some branch was already taken
    bool active;  // the current branch is on
    bool sawElse;
};

std::string trimmed(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    std::size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

class Preprocessor {
public:
    Preprocessor(const PreprocessOptions& options, PreprocessResult& result) : options_(options), result_(result) {
        for (const auto& [name, value] : options.defines) macros_[name].body = value;
    }

    void run(const std::string& source, const std::string& fileName) { processFile(source, fileName, 0); }

private:
    // Where the file being read now stands: its name in the map and how its own line
    // numbers relate to what #line says they are.
    struct FileState {
        int file = 0;
        int lineOffset = 0;
    };

    int fileIndex(const std::string& name) {
        auto& files = result_.map.files;
        for (std::size_t i = 0; i < files.size(); ++i)
            if (files[i] == name) return static_cast<int>(i);
        files.push_back(name);
        return static_cast<int>(files.size() - 1);
    }

    void fail(const FileState& at, int line, std::string message) {
        if (!result_.error.empty()) return;
        result_.error = std::move(message);
        result_.errorFile = result_.map.files[static_cast<std::size_t>(at.file)];
        result_.errorLine = line + at.lineOffset;
    }

    // Appends text that came from `firstLine` on: one map entry per line it starts.
    void emit(const std::string& text, const FileState& at, int firstLine) {
        if (text.empty()) return;
        if (result_.text.size() + text.size() > kMaxOutput) {
            fail(at, firstLine, "preprocessed text too large");
            return;
        }
        bool lineOpen = !result_.text.empty() && result_.text.back() != '\n';
        int line = firstLine;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (!lineOpen) {
                result_.map.lines.push_back({at.file, line + at.lineOffset});
                lineOpen = true;
            }
            if (text[i] == '\n') {
                lineOpen = false;
                ++line;
            }
        }
        result_.text += text;
    }

    void processFile(const std::string& source, const std::string& name, int depth) {
        FileState at{fileIndex(name), 0};
        std::string stripError;
        int stripLine = 0;
        std::string text = stripComments(sourceAsUtf8(source), stripError, stripLine);
        if (!stripError.empty()) return fail(at, stripLine, stripError);

        std::vector<Conditional> stack;
        auto active = [&] { return stack.empty() || stack.back().active; };
        std::string pending;  // ordinary lines waiting for expansion
        int pendingLines = 0;
        int pendingStart = 0;
        int line = 0;
        auto flush = [&] {
            if (pendingLines == 0) return;
            pp::ExpansionStop stop = pp::ExpansionStop::None;
            std::string expanded = pp::expandMacros(pending, macros_, 4 * pending.size() + (1u << 20), stop);
            if (stop != pp::ExpansionStop::None) fail(at, pendingStart, expansionProblem(stop));
            emit(expanded, at, pendingStart);
            pending.clear();
            pendingLines = 0;
        };

        std::size_t pos = 0;
        while (pos < text.size() && result_.error.empty()) {
            std::size_t end = text.find('\n', pos);
            bool hasNewline = end != std::string::npos;
            if (!hasNewline) end = text.size();
            std::string l = text.substr(pos, end - pos);
            pos = hasNewline ? end + 1 : end;
            ++line;

            std::size_t first = l.find_first_not_of(" \t");
            if (first == std::string::npos || l[first] != '#') {
                if (active())
                    pending += l;
                else
                    pending.append(l.size(), ' ');
                if (hasNewline) pending += '\n';
                if (pendingLines++ == 0) pendingStart = line;
                continue;
            }
            // A directive: flush the text before it so that macros defined here apply
            // only to what follows.
            flush();
            std::size_t p = first + 1;
            while (p < l.size() && (l[p] == ' ' || l[p] == '\t')) ++p;
            std::size_t q = p;
            while (q < l.size() && identChar(l[q])) ++q;
            std::string directive = l.substr(p, q - p);
            std::string rest = q < l.size() ? l.substr(q) : std::string();
            bool replaced = false;  // the directive's line became the included text
            if (!conditional(directive, rest, stack, at, line) && active())
                replaced = directiveLine(directive, rest, at, line, depth);
            if (!replaced) emit(std::string(l.size(), ' ') + (hasNewline ? "\n" : ""), at, line);
        }
        flush();
        if (result_.error.empty() && !stack.empty()) fail(at, line, "missing #endif");
    }

    // #if and its kin; false for any other directive.
    bool conditional(const std::string& directive, std::string rest, std::vector<Conditional>& stack,
                     const FileState& at, int line) {
        bool parent = stack.empty() || stack.back().active;
        if ((directive == "if" || directive == "ifdef" || directive == "ifndef") &&
            stack.size() >= static_cast<std::size_t>(kMaxNesting))
            return fail(at, line, "#" + directive + " nests too deeply"), true;
        if (directive == "ifdef" || directive == "ifndef") {
            std::string name;
            if (!takeWord(rest, name) && parent) fail(at, line, "#" + directive + " needs a macro name");
            bool on = (macros_.count(name) != 0) == (directive == "ifdef");
            stack.push_back({parent, on, parent && on, false});
        } else if (directive == "if") {
            long v = 0;
            if (parent && !condition(rest, v)) fail(at, line, conditionProblem("#if"));
            stack.push_back({parent, v != 0, parent && v != 0, false});
        } else if (directive == "elif") {
            if (stack.empty() || stack.back().sawElse) return fail(at, line, "#elif without #if"), true;
            Conditional& c = stack.back();
            long v = 0;
            if (c.parentActive && !c.taken && !condition(rest, v)) fail(at, line, conditionProblem("#elif"));
            c.active = c.parentActive && !c.taken && v != 0;
            c.taken = c.taken || c.active;
        } else if (directive == "else") {
            if (stack.empty() || stack.back().sawElse) return fail(at, line, "#else without #if"), true;
            Conditional& c = stack.back();
            c.active = c.parentActive && !c.taken;
            c.taken = true;
            c.sawElse = true;
        } else if (directive == "endif") {
            if (stack.empty()) return fail(at, line, "#endif without #if"), true;
            stack.pop_back();
        } else {
            return false;
        }
        return true;
    }

    bool condition(const std::string& text, long& value) {
        conditionTooDeep_ = false;
        return pp::evaluateCondition(text, macros_, value, conditionTooDeep_);
    }
    std::string conditionProblem(const std::string& directive) const {
        return conditionTooDeep_ ? directive + " expression nests too deeply" : "invalid " + directive + " expression";
    }

    static bool takeWord(std::string& rest, std::string& name) {
        std::size_t a = rest.find_first_not_of(" \t");
        if (a == std::string::npos || !identStart(rest[a])) return false;
        std::size_t b = a;
        while (b < rest.size() && identChar(rest[b])) ++b;
        name = rest.substr(a, b - a);
        rest = rest.substr(b);
        return true;
    }

    void define(std::string rest, const FileState& at, int line) {
        std::string name;
        if (!takeWord(rest, name)) return fail(at, line, "#define needs a macro name");
        pp::Macro m;
        if (!rest.empty() && rest[0] == '(') {
            m.function = true;
            std::size_t close = rest.find(')');
            if (close == std::string::npos) return fail(at, line, "missing ')' in macro parameter list");
            std::string list = rest.substr(1, close - 1);
            for (std::size_t s = 0; s <= list.size();) {
                std::size_t comma = list.find(',', s);
                if (comma == std::string::npos) comma = list.size();
                std::string param = trimmed(list.substr(s, comma - s));
                if (!param.empty()) m.params.push_back(param);
                s = comma + 1;
            }
            rest = rest.substr(close + 1);
        }
        m.body = trimmed(rest);
        macros_[name] = std::move(m);
    }

    // Any directive but the conditionals, in an active branch. True when it put the
    // text of an included file in place of its line.
    bool directiveLine(const std::string& directive, std::string rest, FileState& at, int line, int depth) {
        if (directive == "define") {
            define(rest, at, line);
        } else if (directive == "undef") {
            std::string name;
            if (takeWord(rest, name)) macros_.erase(name);
        } else if (directive == "error") {
            fail(at, line, "#error" + rest);
        } else if (directive == "line") {
            lineDirective(rest, at, line);
        } else if (directive == "pragma") {
            // `once` keeps a file from being read twice; the others (warning, message,
            // pack_matrix, def) change nothing this compiler does.
            std::string word;
            if (takeWord(rest, word) && word == "once")
                onceFiles_.insert(result_.map.files[static_cast<std::size_t>(at.file)]);
        } else if (directive.empty()) {
            // A lone '#' is allowed.
        } else if (directive == "include") {
            return include(rest, at, line, depth);
        } else {
            fail(at, line, "unknown preprocessor directive #" + directive);
        }
        return false;
    }

    void lineDirective(const std::string& rest, FileState& at, int line) {
        pp::ExpansionStop stop = pp::ExpansionStop::None;
        std::string text = trimmed(pp::expandMacros(rest, macros_, 4096, stop));
        if (stop != pp::ExpansionStop::None) return fail(at, line, expansionProblem(stop));
        char* end = nullptr;
        long number = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])) || number < 0 || number > 1 << 30)
            return fail(at, line, "#line needs a line number");
        std::string name = trimmed(end);
        if (!name.empty()) {
            if (name.size() < 2 || name.front() != '"' || name.back() != '"')
                return fail(at, line, "#line needs a file name in quotes");
            at.file = fileIndex(name.substr(1, name.size() - 2));
        }
        // The next line is `number`.
        at.lineOffset = static_cast<int>(number) - (line + 1);
    }

    bool include(const std::string& rest, const FileState& at, int line, int depth) {
        std::string target = trimmed(rest);
        if (!target.empty() && target[0] != '"' && target[0] != '<') {
            pp::ExpansionStop stop = pp::ExpansionStop::None;
            target = trimmed(pp::expandMacros(target, macros_, 4096, stop));
            if (stop != pp::ExpansionStop::None) return fail(at, line, expansionProblem(stop)), false;
        }
        char close = target.empty() ? 0 : target[0] == '"' ? '"' : target[0] == '<' ? '>' : 0;
        std::size_t last = close ? target.find(close, 1) : std::string::npos;
        if (last == std::string::npos || last < 2 || trimmed(target.substr(last + 1)) != "")
            return fail(at, line, "#include needs a file name in quotes or <>"), false;
        std::string name = target.substr(1, last - 1);
        if (depth >= kMaxIncludeDepth) return fail(at, line, "#include nested too deeply: " + name), false;
        std::string text, path;
        const std::string& from = result_.map.files[static_cast<std::size_t>(at.file)];
        IncludeKind kind = close == '"' ? IncludeKind::Local : IncludeKind::System;
        if (!options_.open || !options_.open(kind, name, from, text, path))
            return fail(at, line, "cannot open include file '" + name + "'"), false;
        if (path.empty()) path = name;
        if (onceFiles_.count(path)) return false;
        processFile(text, path, depth + 1);
        // The included text ends its own last line; the directive's line break follows.
        if (!result_.text.empty() && result_.text.back() != '\n') result_.text += '\n';
        return true;
    }

    const PreprocessOptions& options_;
    PreprocessResult& result_;
    MacroTable macros_;
    std::set<std::string> onceFiles_;
    bool conditionTooDeep_ = false;
};

}  // namespace

PreprocessResult preprocessFile(const std::string& source, const PreprocessOptions& options) {
    PreprocessResult result;
    result.map.files.push_back(options.fileName);
    Preprocessor(options, result).run(source, options.fileName);
    return result;
}

PreprocessResult preprocess(const std::string& source,
                            const std::vector<std::pair<std::string, std::string>>& defines) {
    PreprocessOptions options;
    options.defines = defines;
    return preprocessFile(source, options);
}

std::string PreprocessResult::message() const {
    if (error.empty()) return {};
    return errorFile + "(" + std::to_string(errorLine) + "): error: " + error + "\n";
}

}  // namespace fx
