#include "LiveSession.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "RenderRun.h"
#include "app/globals/DisplaySettings.h"
#include "platform/d3d9/backend.h"
#include "show/Show.h"

namespace tool {

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

const char* kindName(ReloadKind kind) {
    switch (kind) {
    case ReloadKind::Effect: return "effect";
    case ReloadKind::Textures: return "pictures";
    case ReloadKind::Mesh: return "mesh";
    case ReloadKind::Scene: return "scene";
    case ReloadKind::Sync: return "sync data";
    }
    return "?";
}

// Editors' temporary and backup files ("sedAx3f", ".cyl.fx.swp", "cyl.fx~") are not
// worth a line; a data file has an extension.
bool looksLikeDataFile(const std::string& path) {
    const std::string name = path.substr(path.rfind('/') + 1);
    const auto dot = name.rfind('.');
    return !name.empty() && name[0] != '.' && name.back() != '~' && dot != std::string::npos && dot > 0 &&
           name.compare(dot, std::string::npos, ".swp") != 0;
}

}  // namespace

int LiveSession::run(SDL_Window* window) {
    reportPositions_ = std::getenv("GLIMMERHOP_DEBUG_POSITION") != nullptr;
    length_ = show_.music.lengthSeconds();
    if (!overlay_.start(window)) showStrip_ = false;
    watch_.start("Tindermoot");
    show_.music.play(100);
    const double from = std::clamp(options_.from, 0.0, std::max(0.0, length_));
    if (from > 0) seekTo(from);

    const auto started = Clock::now();
    double frameMs = 0;
    auto last = Clock::now();
    while (!quit_) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) handleEvent(event);
        if (quit_) break;
        reloadChanged();

        double t = paused_ ? pausedAt_ : show_.music.positionSeconds();
        if (!paused_ && looping_) {
            const double restart = loopRestart(loop_, t);
            if (restart >= 0) {
                seekTo(restart);
                t = show_.music.positionSeconds();
            }
        }
        if (!paused_ && t > length_ - 0.001) {
            // The program would go on to the outro and exit; here the last frame stays.
            setPaused(true);
            t = pausedAt_;
            reportPosition(t, "end");
        }
        show_.renderFrame(static_cast<float>(t));
        noteCuts(t);

        StripView view;
        view.position = t;
        view.length = length_;
        view.paused = paused_;
        view.looping = looping_;
        view.loopStart = loop_.start;
        view.loopEnd = loop_.end;
        view.frameMs = frameMs;
        view.sync = &show_.sync;
        view.cuts = &cuts_;
        std::vector<ErrorPanelEntry> errors;
        for (const auto& e : errors_) errors.push_back(e.second);
        const double clicked = overlay_.draw(showStrip_, view, errors);
        gDevice->Present(nullptr, nullptr, nullptr, nullptr);

        const double presented = realtimeSeconds();
        for (const auto& pending : pendingTimings_)
            std::fprintf(stderr, "live: %s: %.0f ms from the save to the first frame drawn with it\n",
                         pending.first.c_str(), (presented - pending.second) * 1000.0);
        pendingTimings_.clear();

        if (clicked >= 0 && std::fabs(clicked - t) > 1e-4) seekTo(clicked);
        const double ms = msSince(last);
        last = Clock::now();
        frameMs = frameMs == 0 ? ms : frameMs * 0.9 + ms * 0.1;
        if (reportPositions_) {
            const double now = msSince(started) / 1000.0;
            if (now >= nextReport_) {
                nextReport_ = now + 1.0;
                reportPosition(t, nullptr);
            }
        }
    }
    reportPosition(paused_ ? pausedAt_ : show_.music.positionSeconds(), "stop");
    overlay_.stop();
    return 0;
}

void LiveSession::handleEvent(const SDL_Event& event) {
    if (overlay_.handleEvent(event)) return;
    if (event.type == SDL_QUIT || (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE)) {
        quit_ = true;
    } else if (event.type == SDL_KEYDOWN) {
        const SDL_Keycode key = event.key.keysym.sym;
        // Only the seek keys repeat while held.
        const bool repeats = key == SDLK_LEFT || key == SDLK_RIGHT;
        if (!event.key.repeat || repeats) handleKey(key, event.key.keysym.mod);
    }
}

void LiveSession::handleKey(int key, int modifiers) {
    const double now = paused_ ? pausedAt_ : show_.music.positionSeconds();
    TimeModifiers mods;
    mods.shift = (modifiers & KMOD_SHIFT) != 0;
    mods.ctrl = (modifiers & KMOD_CTRL) != 0;
    auto seekBy = [&](TimeKey k) { seekTo(seekTarget(k, mods, paused_, now, length_)); };
    switch (key) {
    case SDLK_ESCAPE: quit_ = true; break;
    case SDLK_SPACE:
        setPaused(!paused_);
        reportPosition(paused_ ? pausedAt_ : now, paused_ ? "pause" : "resume");
        break;
    case SDLK_LEFT: seekBy(TimeKey::Back); break;
    case SDLK_RIGHT: seekBy(TimeKey::Forward); break;
    case SDLK_PAGEUP: seekBy(TimeKey::PreviousScene); break;
    case SDLK_PAGEDOWN: seekBy(TimeKey::NextScene); break;
    case SDLK_HOME: seekBy(TimeKey::Home); break;
    case SDLK_TAB: showStrip_ = !showStrip_; break;
    case SDLK_l:
        looping_ = !looping_;
        loop_ = sceneSpanOf(now, length_);
        std::fprintf(stderr, looping_ ? "live: looping %.3f..%.3f s\n" : "live: loop off\n", loop_.start, loop_.end);
        break;
    default: break;
    }
}

void LiveSession::setPaused(bool paused) {
    if (paused == paused_) return;
    if (paused) {
        pausedAt_ = show_.music.positionSeconds();
        show_.music.pauseOutput();
    } else {
        show_.music.seekSeconds(static_cast<float>(pausedAt_));
        show_.music.resumeOutput();
    }
    paused_ = paused;
}

void LiveSession::seekTo(double t) {
    t = std::clamp(t, 0.0, std::max(0.0, length_));
    show_.music.seekSeconds(static_cast<float>(t));
    if (paused_) pausedAt_ = t;
    replayHistory(t);
    reportPosition(paused_ ? pausedAt_ : show_.music.positionSeconds(), "seek");
}

// Camera cuts and beat latches at t are those a run from the start has: from the state a
// fresh show starts with, the frames a run would play before t are played again, at the
// display's rate, without drawing (as render does for a still).
void LiveSession::replayHistory(double target) {
    RunOptions o;
    o.from = target;
    o.fps = 60;
    const std::vector<double> times = planHistory(o);
    const auto start = Clock::now();
    show_.shotIndex = 0;
    show_.lastCutTime = 0.0f;
    show_.boxShotIndex = 0;
    show_.boxLastCutTime = 0.0f;
    show_.boxCameraHasRun = false;
    show_.textShotIndex = 0;
    show_.textLastCutTime = 0.0f;
    show_.textCameraHasRun = false;
    gBeatDetector = BeatDetector{};
    for (unsigned& s : lastShots_) s = 0;
    d3d9::setDrawing(gDevice, false);
    for (double t : times) {
        show_.renderFrame(static_cast<float>(t));
        noteCuts(t);
    }
    d3d9::setDrawing(gDevice, true);
    if (!times.empty())
        std::fprintf(stderr, "live: seek to %.3f s: %zu frames from %.3f s played for the camera cuts in %.0f ms\n",
                     target, times.size(), times.front(), msSince(start));
}

void LiveSession::noteCuts(double t) {
    const unsigned shots[3] = {show_.shotIndex, show_.boxShotIndex, show_.textShotIndex};
    bool cut = false;
    for (int i = 0; i < 3; ++i) {
        if (shots[i] != lastShots_[i]) cut = true;
        lastShots_[i] = shots[i];
    }
    if (!cut) return;
    const float at = static_cast<float>(t);
    const auto where = std::lower_bound(cuts_.begin(), cuts_.end(), at - 1e-3f);
    if (where == cuts_.end() || std::fabs(*where - at) > 1e-3f) cuts_.insert(where, at);
}

void LiveSession::reloadChanged() {
    const std::vector<std::string> changed = watch_.changes();
    std::vector<ReloadTarget> done;
    for (const std::string& path : changed) {
        const std::vector<ReloadTarget> targets = reloadTargets(path);
        if (targets.empty()) {
            if (looksLikeDataFile(path)) std::fprintf(stderr, "live: %s changed; the show does not reload it\n", path.c_str());
            continue;
        }
        const double saved = savedAt(path);
        for (const ReloadTarget& target : targets) {
            if (std::find(done.begin(), done.end(), target) != done.end()) continue;
            done.push_back(target);
            const auto start = Clock::now();
            const ReloadOutcome outcome = reload(show_, target);
            const double ms = msSince(start);
            if (outcome.ok) {
                std::fprintf(stderr, "live: reloaded the %s %s in %.0f ms\n", kindName(target.kind), target.path, ms);
                if (errors_.erase(target.path)) std::fprintf(stderr, "live: the error panel for %s is closed\n", target.path);
                if (target.kind == ReloadKind::Sync) cuts_.clear();
                pendingTimings_.emplace_back(path, saved);
            } else {
                std::fprintf(stderr, "live: reloading the %s %s failed; the last good one keeps drawing\n  [%s] %s\n",
                             kindName(target.kind), target.path, outcome.caption.c_str(), outcome.text.c_str());
                errors_[target.path] = ErrorPanelEntry{path, outcome.caption, outcome.text};
            }
        }
    }
}

void LiveSession::reportPosition(double t, const char* why) {
    if (!reportPositions_) return;
    if (why) std::fprintf(stderr, "position %.3f %s\n", t, why);
    else std::fprintf(stderr, "position %.3f\n", t);
}

}  // namespace tool
