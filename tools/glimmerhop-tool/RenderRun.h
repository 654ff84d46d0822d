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
    std::string out;  // absolute: a folder, or a file ending in .mp4
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

// Runs after the working directory is the data directory. Returns the exit code.
int renderRun(const RunOptions& options);

// The aspect ratio of 4:3, 16:10 and 16:9 nearest to width / height.
float nearestAspect(unsigned width, unsigned height);

}  // namespace tool
