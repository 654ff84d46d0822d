// A C-style preprocessor for effect files, as fxc runs it: the effect parser has to see
// the text after #define/#include/#ifdef, exactly as the shader compiler will. Directive
// lines and comments become blank space, and a map records which file and line every
// output line came from, so that any later message can name the place it points at.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace fx {

// Where each line of preprocessed text came from.
struct SourceMap {
    struct Line {
        int file = 0;  // index into files
        int line = 0;  // 1-based
    };
    std::vector<std::string> files;  // files[0] is the effect file
    std::vector<Line> lines;         // lines[i] is output line i + 1

    // "file(line)" for a 1-based output line; lines past the end name the last one.
    std::string where(int outputLine) const;
    // Prefixes every "<file>(<line>):" of `messages` that names `outputFile` with the
    // place it maps to; other text is left as it is.
    std::string remap(const std::string& messages, const std::string& outputFile) const;
    bool identity() const;  // one file, each line where it was
};

struct PreprocessResult {
    std::string text;      // preprocessed text; lines as in `map`
    std::string error;     // empty on success
    int errorLine = 0;     // 1-based line of the error, in `errorFile`
    std::string errorFile;
    SourceMap map;

    // "file(line): error: ..." or empty.
    std::string message() const;
};

enum class IncludeKind { Local, System };  // "name" and <name>, as D3DXINCLUDE_LOCAL/SYSTEM

// Opens an included file: `name` as written, `from` the file holding the #include (as
// the handler named it before). Fills `text` and `path`, the name later messages use.
using IncludeOpener = std::function<bool(IncludeKind kind, const std::string& name, const std::string& from,
                                         std::string& text, std::string& path)>;

struct PreprocessOptions {
    std::string fileName;                                      // the effect file, for messages
    std::vector<std::pair<std::string, std::string>> defines;  // D3DXMACRO, known before line 1
    IncludeOpener open;                                        // null: every #include fails
};

PreprocessResult preprocessFile(const std::string& source, const PreprocessOptions& options);

// The form without includes, for text that is not a file.
PreprocessResult preprocess(const std::string& source,
                            const std::vector<std::pair<std::string, std::string>>& defines);

// The default include handler: "name" relative to the including file's folder, then in
// each of `folders` (as fxc's /I), then the effect file's; <name> in each of `folders`,
// then the effect file's folder. A name that
// matches only without regard to case is found, and `\` separates folders.
IncludeOpener defaultIncludeOpener(const std::string& effectFile, std::vector<std::string> folders = {});

// The text of a file as UTF-8: a UTF-8 byte-order mark goes, UTF-16 with its mark is
// converted; any other bytes stay as they are.
std::string sourceAsUtf8(const std::string& bytes);

// Reads an effect or include file whole from `f` (null: false) and closes it. Such files
// are small: one over 4 MB is refused.
bool readSourceFile(std::FILE* f, std::string& text);

}  // namespace fx
