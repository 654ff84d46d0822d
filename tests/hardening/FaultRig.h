// Loads the real Show on the trace backend in a data directory that a test has damaged,
// and plays it, with everything the show reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/backend.h"
#include "show/ShowData.h"

namespace hardening {

// One message box, as the automated run prints it ("[caption] text").
struct Box {
    std::string caption;
    std::string text;
};

// Counts the traced calls and the numbers printed as nan or inf.
class FiniteCheck : public d3d9::TraceSink {
public:
    unsigned long lines = 0;
    unsigned long nonFinite = 0;
    std::string firstNonFinite;
    void line(const char* text, std::size_t length) override;
};

struct ShowRun {
    std::vector<Box> loadBoxes;    // shown while Show::load ran
    std::vector<Box> playBoxes;    // shown while the frames were drawn
    unsigned long frames = 0;
    unsigned long nonFinite = 0;
    std::string firstNonFinite;    // the first traced call with a nan or inf
};

// The frames each run draws: every `step` seconds from 0 to 160 (all six scenes), then
// the outro at a few points of its two seconds.
ShowRun runShow(const std::string& directory, double step);

// A temporary directory, removed with everything in it.
using ScratchDir = showtest::TempDir;

// Every regular file under `root`, as paths relative to it ("Tindermoot/Floor/x.mesh"),
// sorted.
std::vector<std::string> filesUnder(const std::string& root);

// Mirrors `from` into `to`: directories made, files linked (unchanged files stay where
// they are). `except` (relative) is neither linked nor copied.
void mirror(const std::string& from, const std::string& to, const std::string& except);

std::vector<std::uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Aborts the process with a message when a scope outlives its limit: a hang fails the
// test at once instead of the whole test program timing out.
class Watchdog {
public:
    Watchdog(const std::string& what, unsigned seconds);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    struct State;
    State* state_;
};

}  // namespace hardening
