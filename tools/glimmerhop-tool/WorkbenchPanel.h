// The effect workbench's panel (Dear ImGui, inside an Overlay frame): the techniques with
// their passes and states, the parameters as controls from their annotations, what the
// preview set by itself, the frame time, and compile errors.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "LiveStrip.h"
#include "platform/d3dx9/d3dx9.h"

namespace fx {
struct EffectDescription;
}

namespace tool {

constexpr float kPanelWidth = 330.0f;

// A value the user gave a parameter; it outlives reloads, matched by name.
struct ParameterEdit {
    std::vector<float> values;  // floats, or an int or bool as 0/1
    std::string file;           // textures: the image chosen
    std::string problem;        // textures: why the image was not taken
};

struct PanelView {
    const fx::EffectDescription* description = nullptr;  // null: nothing compiled yet
    ID3DXEffect* effect = nullptr;
    std::size_t technique = 0;
    const std::map<std::string, std::string>* bound = nullptr;  // set by the preview
    std::map<std::string, ParameterEdit>* edits = nullptr;
    std::vector<ErrorPanelEntry> errors;
    std::string effectName;
    std::string note;  // the last screenshot and the like
    double frameMs = 0;
    float time = 0;
    bool paused = false;
    bool printLayout = false;  // the test hook: where each control is, on stderr
};

// Draws the panel; returns the technique picked this frame, or -1.
int drawWorkbenchPanel(PanelView& view);

}  // namespace tool
