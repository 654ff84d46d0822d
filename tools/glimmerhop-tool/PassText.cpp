#include "PassText.h"

#include "platform/d3dx9/effect/EffectDescription.h"
#include "platform/d3dx9/effect/StateTables.h"

namespace tool {

std::string passShaders(const fx::PassDescription& p) {
    if (p.vertexEntry.empty() && p.pixelEntry.empty()) return "fixed function";
    return "vertex " + (p.vertexEntry.empty() ? std::string("fixed function") : p.vertexShown) + ", pixel " +
           (p.pixelEntry.empty() ? std::string("fixed function") : p.pixelShown);
}

std::vector<std::string> passStates(const fx::EffectDescription& d, const fx::PassDescription& p) {
    std::vector<std::string> lines;
    for (const fx::StateAssignment& a : p.states) {
        const fx::StateInfo* info = fx::renderStateById(a.state);
        // a single word or number by its name; an expression as written
        bool expression = a.written.find_first_of(" \t()+-*/|&<>?") != std::string::npos;
        std::string value = a.parameter >= 0 ? "<" + d.parameters[static_cast<std::size_t>(a.parameter)].name + ">"
                            : expression     ? a.written
                            : info           ? fx::stateValueName(info->kind, a.value)
                                             : std::to_string(a.value);
        lines.push_back(std::string(info ? info->name : "?") + " = " + value);
    }
    for (const fx::DeviceState& s : p.deviceStates) lines.push_back(s.name + " = " + s.written);
    for (const fx::IgnoredState& s : p.ignored) lines.push_back(s.name + " = " + s.value + " (ignored)");
    return lines;
}

}  // namespace tool
