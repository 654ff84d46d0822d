#include "LiveStrip.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "LiveTimeline.h"
#include "ShowHost.h"
#include "audio/SyncData.h"
#include "show/CameraCuts.h"

namespace tool {

namespace {

constexpr float kStripHeight = 132.0f;
constexpr double kWindowBefore = 6.0, kWindowAfter = 2.0;  // seconds around the position
const ImU32 kSceneColours[6] = {IM_COL32(70, 90, 150, 255),  IM_COL32(150, 70, 120, 255),
                                IM_COL32(60, 130, 140, 255), IM_COL32(150, 110, 50, 255),
                                IM_COL32(90, 140, 70, 255),  IM_COL32(130, 80, 160, 255)};

// The shared beat pulse as the scenes' first call of a frame would see it, over the
// window, from a latch of its own: the program's latches are left as they are.
void pulseCurve(const SyncData& sync, double from, double to, std::vector<float>& out) {
    const BeatDetector saved = gBeatDetector;
    gBeatDetector = BeatDetector{};
    out.clear();
    for (double t = std::max(0.0, from - 2.0); t <= to; t += 1.0 / 30.0) {
        const float v = sync.pulse(0.9f, 0.1f, static_cast<float>(t), SyncData::kAllBands);
        if (t >= from) out.push_back(v);
    }
    gBeatDetector = saved;
}

}  // namespace

bool Overlay::start(SDL_Window* window) {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGui::GetIO().IniFilename = nullptr;
    ImGui::GetIO().LogFilename = nullptr;
    ImGui::StyleColorsDark();
    if (!ImGui_ImplSDL2_InitForOpenGL(window, SDL_GL_GetCurrentContext()) || !ImGui_ImplOpenGL3_Init("#version 410")) {
        std::fprintf(stderr, "live: Dear ImGui could not start on this window\n");
        ImGui::DestroyContext();
        return false;
    }
    started_ = true;
    return true;
}

void Overlay::stop() {
    if (!started_) return;
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    started_ = false;
}

bool Overlay::handleEvent(const SDL_Event& event) {
    if (!started_) return false;
    ImGui_ImplSDL2_ProcessEvent(&event);
    return ImGui::GetIO().WantCaptureMouse &&
           (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP || event.type == SDL_MOUSEMOTION);
}

double Overlay::draw(bool showStrip, const StripView& view, const std::vector<ErrorPanelEntry>& errors) {
    double seek = -1.0;
    frame([&] {
        if (showStrip) seek = drawStrip(view);
        if (!errors.empty()) drawErrorPanel(errors, 10, 10);
    });
    return seek;
}

bool Overlay::frame(const std::function<void()>& build) {
    if (!started_) return false;
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    build();
    ImGui::Render();
    // The show may leave colour writes masked; the overlay draws whole pixels and puts
    // the mask back (the device keeps its own copy of that state).
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    glColorMask(mask[0], mask[1], mask[2], mask[3]);
    return true;
}

double Overlay::drawStrip(const StripView& v) {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(0, display.y - kStripHeight));
    ImGui::SetNextWindowSize(ImVec2(display.x, kStripHeight));
    ImGui::SetNextWindowBgAlpha(0.78f);
    ImGui::Begin("strip", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoBringToFrontOnFocus);
    const int scene = sceneIndexOf(static_cast<float>(v.position));
    ImGui::Text("%8.3f s / %.1f s   %-13s  %s%s   frame %5.1f ms  %5.1f fps", v.position, v.length,
                v.position > sceneStart(5) ? sceneName(5) : sceneName(scene), v.paused ? "paused" : "playing",
                v.looping ? "  loop" : "", v.frameMs, v.frameMs > 0 ? 1000.0 / v.frameMs : 0.0);

    ImDrawList* draw = ImGui::GetWindowDrawList();
    const ImVec2 origin = ImGui::GetCursorScreenPos();
    const float width = ImGui::GetContentRegionAvail().x;
    const float length = static_cast<float>(std::max(v.length, 1.0));
    auto xAt = [&](double t) { return origin.x + static_cast<float>(t) / length * width; };

    // The whole music: scene spans, loop, cuts, position. Click or drag to seek.
    const float barH = 26.0f;
    double seek = -1.0;
    ImGui::InvisibleButton("timeline", ImVec2(width, barH));
    if (ImGui::IsItemActive()) {
        const float mx = ImGui::GetIO().MousePos.x;
        seek = std::clamp(static_cast<double>((mx - origin.x) / width) * length, 0.0, v.length);
    }
    for (int i = 0; i < 6; ++i) {
        const double a = sceneStart(i), b = i < 5 ? sceneStart(i + 1) : v.length;
        draw->AddRectFilled(ImVec2(xAt(a), origin.y), ImVec2(xAt(b), origin.y + barH), kSceneColours[i]);
        draw->AddText(ImVec2(xAt(a) + 3, origin.y + 5), IM_COL32(235, 235, 235, 255), sceneName(i));
    }
    if (v.looping)
        draw->AddRect(ImVec2(xAt(v.loopStart), origin.y), ImVec2(xAt(v.loopEnd), origin.y + barH),
                      IM_COL32(255, 220, 0, 255), 0.0f, 0, 2.0f);
    if (v.cuts)
        for (float c : *v.cuts)
            draw->AddLine(ImVec2(xAt(c), origin.y + barH - 7), ImVec2(xAt(c), origin.y + barH),
                          IM_COL32(255, 255, 255, 200));
    draw->AddLine(ImVec2(xAt(v.position), origin.y - 2), ImVec2(xAt(v.position), origin.y + barH + 2),
                  IM_COL32(255, 60, 60, 255), 2.0f);

    // A window of seconds around the position: band 0, the beat pulse, the cuts.
    ImGui::Dummy(ImVec2(0, 4));
    const ImVec2 o2 = ImGui::GetCursorScreenPos();
    const float graphH = std::max(20.0f, ImGui::GetContentRegionAvail().y - 2);
    const double from = v.position - kWindowBefore, to = v.position + kWindowAfter;
    auto gx = [&](double t) { return o2.x + static_cast<float>((t - from) / (to - from)) * width; };
    draw->AddRectFilled(o2, ImVec2(o2.x + width, o2.y + graphH), IM_COL32(20, 20, 24, 220));
    for (double s = std::ceil(from); s <= to; s += 1.0)
        draw->AddLine(ImVec2(gx(s), o2.y), ImVec2(gx(s), o2.y + graphH), IM_COL32(60, 60, 70, 255));
    if (v.sync && v.sync->tracks) {
        auto yOf = [&](float value) { return o2.y + graphH - std::clamp(value, 0.0f, 1.0f) * (graphH - 2); };
        ImVec2 prev{};
        for (int k = 0; k <= static_cast<int>(width); k += 2) {
            const double t = from + (to - from) * k / width;
            const ImVec2 p(o2.x + static_cast<float>(k), yOf(t < 0 ? 0.0f : show::bandValue(*v.sync, 0, static_cast<float>(t))));
            if (k > 0) draw->AddLine(prev, p, IM_COL32(90, 200, 255, 255));
            prev = p;
        }
        std::vector<float> pulse;
        pulseCurve(*v.sync, std::max(0.0, from), to, pulse);
        const double start = std::max(0.0, from);
        for (std::size_t i = 1; i < pulse.size(); ++i)
            draw->AddLine(ImVec2(gx(start + (i - 1) / 30.0), yOf(pulse[i - 1])), ImVec2(gx(start + i / 30.0), yOf(pulse[i])),
                          IM_COL32(255, 170, 40, 255), 1.5f);
    }
    if (v.cuts)
        for (float c : *v.cuts)
            if (c >= from && c <= to)
                draw->AddLine(ImVec2(gx(c), o2.y), ImVec2(gx(c), o2.y + graphH), IM_COL32(255, 255, 255, 160));
    draw->AddLine(ImVec2(gx(v.position), o2.y), ImVec2(gx(v.position), o2.y + graphH), IM_COL32(255, 60, 60, 255), 2.0f);
    draw->AddText(ImVec2(o2.x + 4, o2.y + 2), IM_COL32(90, 200, 255, 255), "band 0");
    draw->AddText(ImVec2(o2.x + 64, o2.y + 2), IM_COL32(255, 170, 40, 255), "beat pulse");
    draw->AddText(ImVec2(o2.x + 150, o2.y + 2), IM_COL32(255, 255, 255, 200), "camera cuts");
    ImGui::End();
    return seek;
}

void drawErrorPanel(const std::vector<ErrorPanelEntry>& errors, float x, float y) {
    ImGui::SetNextWindowPos(ImVec2(x, y));
    ImGui::SetNextWindowSizeConstraints(ImVec2(200, 0), ImVec2(ImGui::GetIO().DisplaySize.x - x - 10, 400));
    ImGui::PushStyleColor(ImGuiCol_WindowBg, IM_COL32(150, 20, 20, 235));
    ImGui::Begin("reload errors", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing);
    for (const ErrorPanelEntry& e : errors) {
        ImGui::TextUnformatted(e.file.c_str());
        ImGui::TextUnformatted(e.caption.c_str());
        ImGui::PushTextWrapPos(ImGui::GetIO().DisplaySize.x - x - 30);
        ImGui::TextUnformatted(e.text.c_str());
        ImGui::PopTextWrapPos();
        ImGui::Separator();
    }
    ImGui::TextUnformatted("the last good version keeps drawing");
    ImGui::End();
    ImGui::PopStyleColor();
}

}  // namespace tool
