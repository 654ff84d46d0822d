#include "WorkbenchWidgets.h"

#include <cctype>
#include <cstdint>
#include <cstring>

#include "platform/d3dx9/effect/EffectDescription.h"

namespace tool {

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

const fx::Annotation* find(const fx::Parameter& p, const char* name) {
    for (const fx::Annotation& a : p.annotations)
        if (lower(a.name) == lower(name)) return &a;
    return nullptr;
}

std::string text(const fx::Parameter& p, const char* name) {
    const fx::Annotation* a = find(p, name);
    return a && a->kind == fx::ValueKind::String ? a->text : std::string();
}

// The first value of a numeric annotation (UIMin = 0 and UIMin = 0.0 both occur).
bool number(const fx::Parameter& p, const char* name, float& out) {
    const fx::Annotation* a = find(p, name);
    if (!a || a->value.empty()) return false;
    if (a->kind == fx::ValueKind::Float) {
        std::memcpy(&out, &a->value[0], sizeof out);
    } else if (a->kind == fx::ValueKind::Int || a->kind == fx::ValueKind::Bool) {
        out = static_cast<float>(static_cast<std::int32_t>(a->value[0]));
    } else {
        return false;
    }
    return out == out;  // not NaN
}

bool colourSemantic(const std::string& semantic) {
    const std::string s = lower(semantic);
    return s == "color" || s == "colour" || s == "diffuse" || s == "specular";
}

}  // namespace

ParameterWidget widgetFor(const fx::Parameter& p) {
    ParameterWidget w;
    w.label = text(p, "UIName");
    if (w.label.empty()) w.label = p.name;
    w.help = text(p, "UIHelp");
    const std::string widget = lower(text(p, "UIWidget"));
    if (widget == "none" || p.arraySize > 0) return w;
    if (p.kind == fx::ValueKind::Texture) {
        w.kind = WidgetKind::Texture;
        return w;
    }
    if (p.kind == fx::ValueKind::String || p.rows != 1 || p.cols < 1 || p.cols > 4) return w;
    w.components = p.cols;
    float lo = 0, hi = 0;
    w.ranged = number(p, "UIMin", lo) && number(p, "UIMax", hi) && lo < hi;
    if (w.ranged) w.min = lo, w.max = hi;
    float step = 0;
    if (number(p, "UIStep", step) && step > 0) w.step = step;
    if (p.kind == fx::ValueKind::Bool) {
        w.kind = WidgetKind::Check;
    } else if (p.kind == fx::ValueKind::Int) {
        w.kind = WidgetKind::Integer;
    } else if (p.cols >= 3 && (widget == "color" || widget == "colour" ||
                               (widget.empty() && colourSemantic(p.semantic)))) {
        w.kind = WidgetKind::Colour;
    } else {
        w.kind = w.ranged && widget != "spinner" && widget != "numeric" ? WidgetKind::Slider : WidgetKind::Drag;
    }
    return w;
}

}  // namespace tool
