// The live tool's run: the show in a window, played with its music, moved about with
// keys and the strip, and reloaded as its data files change.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "LiveReload.h"
#include "LiveStrip.h"
#include "LiveTimeline.h"
#include "LiveWatch.h"

class Show;
union SDL_Event;

namespace tool {

struct LiveOptions {
    double from = 0;
    unsigned width = 960, height = 540;
};

class LiveSession {
public:
    LiveSession(Show& show, const LiveOptions& options) : show_(show), options_(options) {}
    // After the show is loaded. Returns the exit code when the viewer quits.
    int run(SDL_Window* window);

private:
    void handleEvent(const SDL_Event& event);
    void handleKey(int key, int modifiers);
    void seekTo(double t);
    void replayHistory(double target);
    void setPaused(bool paused);
    void reloadChanged();
    void noteCuts(double t);
    void reportPosition(double t, const char* why);

    Show& show_;
    LiveOptions options_;
    Overlay overlay_;
    FolderWatch watch_;
    bool quit_ = false;
    bool paused_ = false;
    bool showStrip_ = true;
    bool looping_ = false;
    SceneSpan loop_{0, 0};
    double length_ = 0;
    double pausedAt_ = 0;
    std::vector<float> cuts_;
    unsigned lastShots_[3] = {};
    // Reloads done whose first frame is still to be drawn: the file and when it was saved.
    std::vector<std::pair<std::string, double>> pendingTimings_;
    std::map<std::string, ErrorPanelEntry> errors_;  // by target path
    bool reportPositions_ = false;
    double nextReport_ = 0;
};

}  // namespace tool
