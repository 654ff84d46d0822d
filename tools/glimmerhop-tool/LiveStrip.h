// What the live tool draws over the show with Dear ImGui: the timeline strip along the
// bottom (scene spans, position, band 0 and the beat pulse around it, camera cuts, frame
// time) and the panel of reload errors.
#pragma once

#include <functional>
#include <string>
#include <vector>

class SyncData;
struct SDL_Window;
union SDL_Event;

namespace tool {

struct StripView {
    double position = 0;
    double length = 0;
    bool paused = false;
    bool looping = false;
    double loopStart = 0, loopEnd = 0;
    double frameMs = 0;   // mean over the last frames
    const SyncData* sync = nullptr;
    const std::vector<float>* cuts = nullptr;  // camera cuts seen so far, in time order
};

struct ErrorPanelEntry {
    std::string file;
    std::string caption;
    std::string text;
};

// The red panel of load errors, its top-left corner at (x, y); inside an Overlay frame.
void drawErrorPanel(const std::vector<ErrorPanelEntry>& errors, float x, float y);

class Overlay {
public:
    // On the GL context current now (the device's), for the window.
    bool start(SDL_Window* window);
    void stop();
    ~Overlay() { stop(); }
    // True when the overlay takes the event (a click or drag on the strip).
    bool handleEvent(const SDL_Event& event);
    // Builds and draws the frame's overlay into the bound framebuffer (the back buffer,
    // before Present). Returns the music time the strip was clicked or dragged to, or a
    // negative value.
    double draw(bool showStrip, const StripView& view, const std::vector<ErrorPanelEntry>& errors);

    // One frame of Dear ImGui: `build` makes the windows, which are then drawn into the
    // bound framebuffer. False when the overlay is not running.
    bool frame(const std::function<void()>& build);

private:
    double drawStrip(const StripView& view);
    bool started_ = false;
};

}  // namespace tool
