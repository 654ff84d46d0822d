// A pass as the fx listing and the workbench panel show it: its shaders, and each state
// it sets as "NAME = VALUE" (states the device does not take marked "(ignored)").
#pragma once

#include <string>
#include <vector>

namespace fx {
struct EffectDescription;
struct PassDescription;
}  // namespace fx

namespace tool {

// "vertex vs_2_0 VS(), pixel ps_2_0 PS()" or "fixed function".
std::string passShaders(const fx::PassDescription& pass);
std::vector<std::string> passStates(const fx::EffectDescription& effect, const fx::PassDescription& pass);

}  // namespace tool
