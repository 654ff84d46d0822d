#include "platform/d3dx9/effect/CompiledEffect.h"

#include <algorithm>
#include <cstdint>

#include "platform/d3dx9/effect/EffectCache.h"
#include "platform/d3dx9/effect/Preprocessor.h"

namespace fx {
namespace {

std::shared_ptr<const CompiledEffect> compileUncached(const PreprocessResult& pre, const std::string& fileName,
                                                      AttributeLocationFn attributeLocation, std::string& errors) {
    auto effect = std::make_shared<CompiledEffect>();
    ParseError parseError;
    if (!parseEffect(pre.text, effect->description, parseError)) {
        errors += pre.map.where(parseError.line) + ": error: " + parseError.message + "\n";
        return nullptr;
    }
    bool ok = true;
    std::string messages;
    // The program of a pair of entries (one of them may be empty: the device supplies that
    // stage), compiled once; -1 with neither shader.
    auto programOf = [&](const PassDescription& pass) {
        if (pass.vertexEntry.empty() && pass.pixelEntry.empty()) return -1;
        for (std::size_t i = 0; i < effect->programs.size(); ++i)
            if (effect->programs[i].vertexEntry == pass.vertexEntry && effect->programs[i].pixelEntry == pass.pixelEntry)
                return static_cast<int>(i);
        CompiledProgram program;
        if (!compileProgram(effect->description, pass, fileName, attributeLocation, program, messages)) {
            ok = false;
            return -1;
        }
        effect->programs.push_back(std::move(program));
        return static_cast<int>(effect->programs.size() - 1);
    };
    for (const TechniqueDescription& technique : effect->description.techniques) {
        std::vector<int> programs;
        std::vector<std::vector<int>> choices;
        for (const PassDescription& pass : technique.passes) {
            // A pass with neither shader has no program: drawing it is left to the device.
            programs.push_back(programOf(pass));
            choices.emplace_back();
            const auto& vs = pass.vertexChoice.shaders;
            const auto& ps = pass.pixelChoice.shaders;
            if (vs.empty() && ps.empty()) continue;
            for (std::size_t v = 0; v < std::max<std::size_t>(vs.size(), 1); ++v)
                for (std::size_t p = 0; p < std::max<std::size_t>(ps.size(), 1); ++p) {
                    PassDescription chosen = pass;
                    if (!vs.empty()) {
                        chosen.vertexEntry = vs[v].entry;
                        chosen.vertexLine = vs[v].line;
                    }
                    if (!ps.empty()) {
                        chosen.pixelEntry = ps[p].entry;
                        chosen.pixelLine = ps[p].line;
                    }
                    choices.back().push_back(programOf(chosen));
                }
        }
        effect->passPrograms.push_back(std::move(programs));
        effect->choicePrograms.push_back(std::move(choices));
    }
    if (!ok) {
        // Every stage compiles the whole file: report each message once.
        std::string unique;
        std::size_t at = 0;
        while (at < messages.size()) {
            std::size_t end = messages.find('\n', at);
            std::string line = messages.substr(at, end == std::string::npos ? end : end - at + 1);
            if (unique.find(line) == std::string::npos) unique += line;
            at = end == std::string::npos ? messages.size() : end + 1;
        }
        if (unique.find(": error: ") == std::string::npos)
            unique += fileName + ": error: a pass's shaders failed to compile without a message\n";
        // Shader messages count lines of the preprocessed text: name the included files.
        errors += pre.map.remap(unique, fileName);
        return nullptr;
    }
    return effect;
}

}  // namespace

std::shared_ptr<const CompiledEffect> compileEffect(const std::string& source, const std::string& fileName,
                                                    const Defines& defines, AttributeLocationFn attributeLocation,
                                                    std::string& errors, const IncludeOpener& open) {
    // The key holds every included file's text too, so an edited include is read again.
    std::string included;
    PreprocessOptions options;
    options.fileName = fileName;
    options.defines = defines;
    IncludeOpener opener = open ? open : defaultIncludeOpener(fileName);
    options.open = [&](IncludeKind kind, const std::string& name, const std::string& from, std::string& text,
                       std::string& path) {
        if (!opener(kind, name, from, text, path)) return false;
        included += '\0';
        included += name + '\0' + path + '\0' + text;
        return true;
    };
    PreprocessResult pre = preprocessFile(source, options);
    if (!pre.error.empty()) {
        errors += pre.message();
        return nullptr;
    }

    std::string key = fileName;
    key += '\0';
    key += std::to_string(reinterpret_cast<std::uintptr_t>(attributeLocation));
    for (const auto& [name, value] : defines) {
        key += '\0';
        key += name + "=" + value;
    }
    key += '\0';
    key += source;
    key += included;
    CachedEffect found;
    if (findCachedEffect(key, found)) {
        errors += found.errors;
        return found.effect;
    }
    std::string messages;
    std::shared_ptr<const CompiledEffect> effect =
        compileUncached(pre, fileName, attributeLocation, messages);
    errors += messages;
    cacheEffect(key, CachedEffect{effect, messages});
    return effect;
}

}  // namespace fx
