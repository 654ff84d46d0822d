#include "WorkbenchPanel.h"

#include <imgui.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "PassText.h"
#include "WorkbenchWidgets.h"
#include "platform/d3dx9/effect/EffectDescription.h"

namespace tool {

namespace {

const ImVec4 kBoundColour(0.95f, 0.8f, 0.35f, 1.0f);

// The test hook: "widget ID X0 Y0 X1 Y1" for the last item, whenever it moved.
void noteLayout(const PanelView& v, const std::string& id) {
    if (!v.printLayout) return;
    static std::map<std::string, std::string> printed;
    const ImVec2 a = ImGui::GetItemRectMin(), b = ImGui::GetItemRectMax();
    char line[64];
    std::snprintf(line, sizeof line, "%.0f %.0f %.0f %.0f", a.x, a.y, b.x, b.y);
    if (printed[id] == line) return;
    printed[id] = line;
    std::fprintf(stderr, "widget %s %s\n", id.c_str(), line);
}

int drawTechniques(PanelView& v) {
    int picked = -1;
    const fx::EffectDescription& d = *v.description;
    for (std::size_t i = 0; i < d.techniques.size(); ++i) {
        const fx::TechniqueDescription& t = d.techniques[i];
        const std::string name = t.name.empty() ? "(unnamed " + std::to_string(i) + ")" : t.name;
        if (ImGui::RadioButton(name.c_str(), v.technique == i)) picked = static_cast<int>(i);
        noteLayout(v, "technique:" + name);
    }
    if (v.technique >= d.techniques.size()) return picked;
    const fx::TechniqueDescription& t = d.techniques[v.technique];
    for (std::size_t p = 0; p < t.passes.size(); ++p) {
        const std::string title = "pass " + std::to_string(p) + (t.passes[p].name.empty() ? "" : " " + t.passes[p].name);
        if (!ImGui::TreeNode(title.c_str())) continue;
        ImGui::TextWrapped("%s", passShaders(t.passes[p]).c_str());
        for (const std::string& line : passStates(d, t.passes[p])) ImGui::BulletText("%s", line.c_str());
        ImGui::TreePop();
    }
    return picked;
}

// The value the control shows: the user's, else what the effect holds now.
std::vector<float> currentValues(const PanelView& v, const fx::Parameter& p, const ParameterWidget& w) {
    const auto edit = v.edits->find(p.name);
    if (edit != v.edits->end() && edit->second.values.size() == static_cast<std::size_t>(w.components))
        return edit->second.values;
    std::vector<float> out(static_cast<std::size_t>(w.components), 0.0f);
    if (p.kind == fx::ValueKind::Float) {
        v.effect->GetFloatArray(p.name.c_str(), out.data(), static_cast<UINT>(out.size()));
    } else if (p.kind == fx::ValueKind::Int || p.kind == fx::ValueKind::Bool) {
        INT i = 0;
        v.effect->GetInt(p.name.c_str(), &i);
        out[0] = static_cast<float>(i);
    }
    return out;
}

// The control itself; true when the user changed `values`.
bool drawControl(const ParameterWidget& w, std::vector<float>& values) {
    float* f = values.data();
    const int n = w.components;
    const float speed = w.step > 0 ? w.step : 0.01f;
    bool changed = false;
    switch (w.kind) {
    case WidgetKind::Slider:
        changed = ImGui::SliderScalarN("##v", ImGuiDataType_Float, f, n, &w.min, &w.max, "%.3g");
        break;
    case WidgetKind::Drag:
        changed = ImGui::DragScalarN("##v", ImGuiDataType_Float, f, n, speed, w.ranged ? &w.min : nullptr,
                                     w.ranged ? &w.max : nullptr, "%.3g");
        break;
    case WidgetKind::Colour:
        changed = n == 3 ? ImGui::ColorEdit3("##v", f, ImGuiColorEditFlags_Float)
                         : ImGui::ColorEdit4("##v", f, ImGuiColorEditFlags_Float | ImGuiColorEditFlags_AlphaBar);
        break;
    case WidgetKind::Check: {
        bool on = f[0] != 0;
        changed = ImGui::Checkbox("##v", &on);
        f[0] = on ? 1.0f : 0.0f;
        break;
    }
    case WidgetKind::Integer: {
        int i = static_cast<int>(std::lround(f[0]));
        changed = w.ranged ? ImGui::SliderInt("##v", &i, static_cast<int>(w.min), static_cast<int>(w.max))
                           : ImGui::DragInt("##v", &i, w.step > 0 ? w.step : 0.2f);
        f[0] = static_cast<float>(i);
        break;
    }
    default: break;
    }
    // UIStep: the slider moves in those steps from UIMin.
    if (changed && w.step > 0 && (w.kind == WidgetKind::Slider || w.kind == WidgetKind::Drag))
        for (int i = 0; i < n; ++i) f[i] = w.min + std::round((f[i] - w.min) / w.step) * w.step;
    return changed;
}

void drawTextureField(PanelView& v, const fx::Parameter& p) {
    ParameterEdit& edit = (*v.edits)[p.name];
    char buffer[512] = {};
    std::snprintf(buffer, sizeof buffer, "%s", edit.file.c_str());
    if (ImGui::InputTextWithHint("##file", "image file, then Enter", buffer, sizeof buffer,
                                 ImGuiInputTextFlags_EnterReturnsTrue)) {
        edit.file = buffer;
        edit.problem.clear();
    }
    if (!edit.problem.empty()) ImGui::TextColored(ImVec4(1, 0.4f, 0.4f, 1), "%s", edit.problem.c_str());
    if (edit.file.empty() && edit.values.empty()) v.edits->erase(p.name);
}

void drawParameter(PanelView& v, const fx::Parameter& p) {
    const ParameterWidget w = widgetFor(p);
    const auto bound = v.bound->find(p.name);
    const bool edited = v.edits->count(p.name) > 0;
    ImGui::PushID(p.name.c_str());
    ImGui::TextUnformatted(w.label.c_str());
    if (!w.help.empty() && ImGui::IsItemHovered()) ImGui::SetTooltip("%s", w.help.c_str());
    if (w.label != p.name) {
        ImGui::SameLine();
        ImGui::TextDisabled("(%s)", p.name.c_str());
    }
    if (edited && w.kind != WidgetKind::Texture) {
        ImGui::SameLine();
        if (ImGui::SmallButton("reset")) v.edits->erase(p.name);
    }
    ImGui::SetNextItemWidth(-1);
    if (w.kind == WidgetKind::Texture) {
        drawTextureField(v, p);
    } else if (w.kind != WidgetKind::None) {
        std::vector<float> values = currentValues(v, p, w);
        if (drawControl(w, values)) (*v.edits)[p.name].values = values;
    }
    if (w.kind != WidgetKind::None) noteLayout(v, "param:" + p.name);
    if (!w.help.empty() && ImGui::IsItemHovered()) ImGui::SetTooltip("%s", w.help.c_str());
    if (bound != v.bound->end())
        ImGui::TextColored(kBoundColour, "%s %s", edited ? "the preview would set:" : "set by the preview:",
                           bound->second.c_str());
    ImGui::PopID();
}

}  // namespace

int drawWorkbenchPanel(PanelView& v) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(ImVec2(kPanelWidth, display.y));
    ImGui::SetNextWindowBgAlpha(0.85f);
    ImGui::Begin("workbench", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings);
    ImGui::TextUnformatted(v.effectName.c_str());
    ImGui::Text("frame %5.1f ms  %5.1f fps", v.frameMs, v.frameMs > 0 ? 1000.0 / v.frameMs : 0.0);
    ImGui::Text("time %.2f s%s", static_cast<double>(v.time), v.paused ? "  (paused)" : "");
    ImGui::TextDisabled("drag: turn, right-drag: pan, wheel: zoom\nF frame, Space pause, T technique,\nP picture, Escape quit");
    if (!v.note.empty()) ImGui::TextWrapped("%s", v.note.c_str());
    int picked = -1;
    if (v.description && v.effect) {
        if (ImGui::CollapsingHeader("Techniques", ImGuiTreeNodeFlags_DefaultOpen)) picked = drawTechniques(v);
        // The file's own controls first; what the preview sets (matrices, camera, time)
        // in a group of its own below them.
        const fx::EffectDescription& d = *v.description;
        const std::size_t shown = d.hiddenParameters >= 0 ? static_cast<std::size_t>(d.hiddenParameters)
                                                          : d.parameters.size();
        for (bool bound : {false, true}) {
            if (!ImGui::CollapsingHeader(bound ? "Set by the preview" : "Parameters", ImGuiTreeNodeFlags_DefaultOpen))
                continue;
            for (std::size_t i = 0; i < shown; ++i) {
                if ((v.bound->count(d.parameters[i].name) > 0) != bound) continue;
                drawParameter(v, d.parameters[i]);
                ImGui::Separator();
            }
        }
    }
    ImGui::End();
    if (!v.errors.empty()) drawErrorPanel(v.errors, kPanelWidth + 10, 10);
    return picked;
}

}  // namespace tool
