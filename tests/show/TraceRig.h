// Runs the real Show on the trace backend over test data, and reads the calls back.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ShowData.h"
#include "app/globals/DisplaySettings.h"
#include "platform/d3d9/backend.h"
#include "show/Show.h"

namespace showtest {

// Keeps the lines (unless told not to, so that a long run allocates nothing here) and
// counts the numbers printed as nan or inf.
class Recorder : public d3d9::TraceSink {
public:
    std::vector<std::string> lines;
    bool store = true;
    unsigned long lineCount = 0;
    unsigned long nonFinite = 0;
    void line(const char* text, std::size_t length) override;
};

// One traced call, split at spaces: words[0] is the call.
struct Call {
    std::vector<std::string> words;
    const std::string& name() const { return words[0]; }
    bool is(const char* call) const { return !words.empty() && words[0] == call; }
    // The value words from `first` on, as floats.
    std::vector<float> floats(std::size_t first) const;
};

std::vector<Call> parse(const std::vector<std::string>& lines);

// Loads a fresh Show over freshly written test data in a temporary directory.
class ShowRig {
public:
    explicit ShowRig(const SyncValue& sync = [](unsigned, unsigned) { return 0.0f; },
                     const std::vector<std::string>& removeFiles = {});
    // Over an existing, complete data directory instead of the test data.
    explicit ShowRig(const std::string& dataDirectory);
    ~ShowRig();
    ShowRig(const ShowRig&) = delete;
    ShowRig& operator=(const ShowRig&) = delete;

    Show& show() { return *show_; }
    // The calls of one renderFrame(t).
    std::vector<Call> frame(float t);
    std::vector<Call> outro(float t);
    // The lines of Show::load (recorded in the constructor).
    const std::vector<std::string>& loadLines() const { return loadLines_; }
    Recorder& recorder() { return recorder_; }
    const std::string& root() const { return dir_.path(); }

private:
    void start(const std::string& directory);

    TempDir dir_;
    Recorder recorder_;
    std::unique_ptr<Show> show_;
    std::vector<std::string> loadLines_;
    std::string oldDirectory_;
};

// A zero-spectrum sync except for `band` (or every band when band is 8), which holds
// `value` from `from` to `to` seconds inclusive.
SyncValue spike(unsigned band, float from, float to, float value);

// Helpers over one frame's calls.
// The values set for an effect parameter, in call order ("SetFloat Disco.fx const0 ...").
std::vector<float> floatsSet(const std::vector<Call>& calls, const char* effect, const char* parameter);
// The last SetFloatArray/SetMatrix values of a parameter before call index `before`.
std::vector<float> lastValues(const std::vector<Call>& calls, const char* call, const char* effect,
                              const char* parameter, std::size_t before = SIZE_MAX);
// The matrix a camera sent (view or projection) with its last "CameraPosition" on the
// effect: later screen matrices do not count.
std::vector<float> cameraMatrix(const std::vector<Call>& calls, const char* effect, const char* matrix);
// Index of each draw (DrawIndexedPrimitive) with the technique it ran under.
struct Draw {
    std::size_t index;
    std::string effect;
    std::string technique;
    unsigned pass;
};
std::vector<Draw> draws(const std::vector<Call>& calls);
// The float a parameter held when draw `d` ran (the last set before it); NaN if never set
// in this frame.
float valueAtDraw(const std::vector<Call>& calls, const Draw& d, const char* parameter);
// The texture path a parameter held when draw `d` ran; "" if never set in this frame.
std::string textureAtDraw(const std::vector<Call>& calls, const Draw& d, const char* parameter);
// The draws of one technique.
std::vector<Draw> drawsOf(const std::vector<Draw>& all, const char* technique);

}  // namespace showtest
