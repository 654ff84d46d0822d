// An effect file compiled as far as it goes without a graphics device: parsed effect
// syntax plus one GLSL program per distinct pair of entry points.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3dx9/effect/EffectDescription.h"
#include "platform/d3dx9/effect/Preprocessor.h"
#include "platform/d3dx9/effect/ShaderCompiler.h"

namespace fx {

struct CompiledEffect {
    EffectDescription description;
    std::vector<CompiledProgram> programs;
    std::vector<std::vector<int>> passPrograms;  // [technique][pass] -> index into programs
    // Passes whose shaders an index picks when they begin: [technique][pass] -> the program
    // of vertex choice v and pixel choice p at v * (pixel choices) + p, -1 without both
    // shaders; empty for a pass without choices. A side without choices counts as one.
    std::vector<std::vector<std::vector<int>>> choicePrograms;
};

using Defines = std::vector<std::pair<std::string, std::string>>;

// Preprocesses, parses and compiles. Null on failure, with the messages in `errors`
// ("<fileName>(<line>): error: ..."). Results are kept (EffectCache.h), keyed by file
// name, text (the included files' too) and defines, so that loading the same file again
// costs a preprocessing pass and a lookup. `open` reads #include files; null is the
// default handler, which looks beside the effect file.
std::shared_ptr<const CompiledEffect> compileEffect(const std::string& source, const std::string& fileName,
                                                    const Defines& defines, AttributeLocationFn attributeLocation,
                                                    std::string& errors, const IncludeOpener& open = nullptr);

}  // namespace fx
