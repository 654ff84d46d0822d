// A small C-style preprocessor for effect files: the effect parser has to see the text
// after #define/#ifdef, exactly as the shader compiler will. Keeps the line structure:
// directive lines and comments become blank space, so line numbers stay those of the file.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace fx {

struct PreprocessResult {
    std::string text;      // same number of lines as the input
    std::string error;     // empty on success
    int errorLine = 0;     // 1-based line of the error
};

// `defines` are (name, value) pairs known before the first line (D3DXMACRO).
PreprocessResult preprocess(const std::string& source,
                            const std::vector<std::pair<std::string, std::string>>& defines);

}  // namespace fx
