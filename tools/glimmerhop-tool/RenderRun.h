// A whole render run: the show played at a fixed frame rate on a driven music clock,
// every frame read back and sent to a folder of PNGs or to an MP4 with the music.
#pragma once

#include <string>
#include <vector>

namespace tool {

struct RunOptions {
    double from = 0;
    double to = 0;
    bool toEnd = true;  // `to` is the end of the music, and the outro follows
    unsigned fps = 60;
    unsigned width = 1280, height = 720, samples = 0;
    float aspect = 16.0f / 9.0f;
    bool withLoading = false;
    // Play the frames a run from the start would draw in the 2 s before A's scene up to A,
    // unrecorded, so that camera cuts and beat latches at A are those of a whole run.
    bool sceneHistory = true;
    bool historyFromStart = false;  // from 0 rather than from before A's scene
    std::string out;  // absolute: a folder, or a file ending in .mp4
    // x264's preset; empty: chosen by where the frames are rendered (encoderFor).
    std::string preset;
};

// What one frame draws: a loading frame (value = fade), a show frame (value = music
// time) or an outro frame (value = seconds since the music ended).
struct PlannedFrame {
    int part;  // RunPart
    float value;
    double musicTime;  // show frames: the driven clock's position
};

// The frames of a run over a music of `musicLength` seconds. False with `error` set when
// the span is not inside the music.
bool planRun(const RunOptions& options, double musicLength, std::vector<PlannedFrame>& frames,
             std::string& error);

// The music times of the unrecorded frames before options.from (empty without
// sceneHistory): the times k / fps of a run from 0 that lie from 2 s before the start of
// the scene of `from` up to, not including, `from`.
std::vector<double> planHistory(const RunOptions& options);

// Runs after the working directory is the data directory. Returns the exit code.
int renderRun(const RunOptions& options);

// After createDevice on headless GL: whether the device can draw a picture of this size
// (its largest renderbuffer, texture and viewport). False with a message.
bool deviceCanDraw(unsigned width, unsigned height);

// The aspect ratio of 4:3, 16:10 and 16:9 nearest to width / height.
float nearestAspect(unsigned width, unsigned height);

}  // namespace tool
