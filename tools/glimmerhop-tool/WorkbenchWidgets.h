// Which control the effect workbench gives a parameter, read from the annotations FX
// Composer and DXSAS defined (and MikuMikuDance effects use): UIName, UIHelp, UIWidget,
// UIMin, UIMax, UIStep; colours also by their semantic.
#pragma once

#include <string>

namespace fx {
struct Parameter;
}

namespace tool {

enum class WidgetKind {
    None,     // not shown as a control: matrices, arrays, strings, UIWidget = "None"
    Slider,   // floats between UIMin and UIMax
    Drag,     // floats without a range (or a spinner)
    Colour,   // 3 or 4 floats as a colour picker
    Check,    // a bool
    Integer,  // an int, with a range when the annotations give one
    Texture,  // a file field: any image the texture loader reads
};

struct ParameterWidget {
    WidgetKind kind = WidgetKind::None;
    std::string label;  // UIName, else the parameter's name
    std::string help;   // UIHelp, else empty
    int components = 1;
    float min = 0, max = 1, step = 0;  // step 0: continuous
    bool ranged = false;               // min and max came from the file
};

ParameterWidget widgetFor(const fx::Parameter& parameter);

}  // namespace tool
