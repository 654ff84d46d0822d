// Binds the arguments of `compile PROFILE f(args)`: D3DX compiles f with its uniform
// parameters fixed to those values. Here f gets an entry point of its own that takes
// the other parameters and calls f with the arguments in place of the uniform ones.
#include "platform/d3dx9/effect/EffectSyntaxParser.h"

namespace fx {

bool bindShaderArguments(EffectDescription& effect, ShaderBinding& binding, std::string& error) {
    std::string key = binding.function + "(";
    for (std::size_t i = 0; i < binding.arguments.size(); ++i) key += (i ? ", " : "") + binding.arguments[i];
    key += ")";
    for (const auto& [bound, entry] : effect.boundEntries)
        if (bound == key) {
            binding.entry = entry;
            return true;
        }
    // The overload whose uniform parameters take the arguments; one that marks none
    // takes them in its leading parameters.
    const FunctionSignature* f = nullptr;
    bool byUniform = false;
    for (const FunctionSignature& candidate : effect.functions) {
        if (candidate.name != binding.function) continue;
        std::size_t uniforms = 0;
        for (const FunctionSignature::Param& p : candidate.params) uniforms += p.uniform ? 1 : 0;
        if (uniforms == binding.arguments.size()) {
            f = &candidate;
            byUniform = true;
            break;
        }
        if (uniforms == 0 && candidate.params.size() >= binding.arguments.size() && !f) f = &candidate;
    }
    if (!f) {
        error = "no function '" + binding.function + "' takes the " + std::to_string(binding.arguments.size()) +
                " argument" + (binding.arguments.size() == 1 ? "" : "s") + " of " + key;
        return false;
    }
    std::string entry = "gh_" + binding.function + "_" + std::to_string(effect.boundEntries.size() + 1);
    std::string params, call;
    std::size_t next = 0;
    for (std::size_t i = 0; i < f->params.size(); ++i) {
        const FunctionSignature::Param& p = f->params[i];
        bool bound = byUniform ? p.uniform : i < binding.arguments.size();
        if (!call.empty()) call += ", ";
        if (bound) {
            // Cast to the parameter's value type: glslang leaves `0` an int when it fills a
            // float2 parameter, and the GLSL it gives then does not compile.
            std::string type;
            const std::size_t nameAt = p.name.empty() ? std::string::npos : p.text.rfind(" " + p.name);
            const std::size_t after = nameAt == std::string::npos ? nameAt : nameAt + 1 + p.name.size();
            const bool array = after != std::string::npos && p.text.find('[', after) != std::string::npos;
            if (nameAt != std::string::npos && !array) {
                const std::size_t typeAt = p.text.rfind(' ', nameAt - 1);
                type = p.text.substr(typeAt == std::string::npos ? 0 : typeAt + 1,
                                     nameAt - (typeAt == std::string::npos ? 0 : typeAt + 1));
            }
            ValueKind kind;
            int rows = 0, cols = 0;
            const bool value = !type.empty() && parseValueType(type, kind, rows, cols);
            call += (value ? "(" + type + ")" : std::string()) + "(" + binding.arguments[next++] + ")";
            continue;
        }
        if (p.name.empty()) {
            error = "parameter " + std::to_string(i + 1) + " of '" + binding.function + "' has no name";
            return false;
        }
        call += p.name;
        params += (params.empty() ? "" : ", ") + p.text;
    }
    bool returns = f->returnType != "void";
    effect.generatedHlsl += "\n" + f->returnType + " " + entry + "(" + params + ")" +
                            (f->returnSemantic.empty() ? "" : " " + f->returnSemantic) + " { " +
                            (returns ? "return " : "") + binding.function + "(" + call + "); }\n";
    effect.boundEntries.push_back({key, entry});
    binding.entry = entry;
    return true;
}

}  // namespace fx
