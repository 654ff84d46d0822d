#include "FaultRig.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "app/globals/DisplaySettings.h"
#include "audio/SyncData.h"
#include "platform/bass/clock.h"
#include "platform/win32/messagebox.h"
#include "show/Show.h"
#include "show/TraceDevice.h"

namespace fs = std::filesystem;

namespace hardening {

void FiniteCheck::line(const char* text, std::size_t length) {
    ++lines;
    const unsigned found = showtest::countNonFinite(text, length);
    if (found > 0 && nonFinite == 0) firstNonFinite.assign(text, length);
    nonFinite += found;
}

namespace {

std::vector<Box> parseBoxes(const std::string& captured) {
    std::vector<Box> boxes;
    std::istringstream in(captured);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] != '[') continue;
        const std::size_t close = line.find("] ");
        if (close == std::string::npos) continue;
        boxes.push_back({line.substr(1, close - 1), line.substr(close + 2)});
    }
    return boxes;
}

}  // namespace

ShowRun runShow(const std::string& directory, double step) {
    ShowRun run;
    const std::string before = fs::current_path().string();
    fs::current_path(directory);

    FiniteCheck check;
    showtest::createTraceDevice(&check);  // no audio device; the frames choose the time
    bass::setDrivenPosition(0.0);
    Show::loadingFadeSeconds = 0.0;
    {
        Show show;
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();  // the capture's and the scenes' console lines
        show.load();
        run.loadBoxes = parseBoxes(testing::internal::GetCapturedStderr());
        testing::internal::CaptureStderr();
        for (unsigned long k = 0;; ++k) {
            const double t = k * step;
            if (t > 160.0) break;
            show.renderFrame(static_cast<float>(t));
            gDevice->Present(nullptr, nullptr, nullptr, nullptr);
            ++run.frames;
        }
        for (float t : {0.0f, 0.5f, 1.0f, 1.5f, 1.99f}) {
            show.renderOutro(t);
            gDevice->Present(nullptr, nullptr, nullptr, nullptr);
        }
        testing::internal::GetCapturedStdout();
        run.playBoxes = parseBoxes(testing::internal::GetCapturedStderr());
    }
    run.nonFinite = check.nonFinite;
    run.firstNonFinite = check.firstNonFinite;

    showtest::releaseTraceDevice();
    fs::current_path(before);
    return run;
}

std::vector<std::string> filesUnder(const std::string& root) {
    std::vector<std::string> files;
    const fs::path base = fs::canonical(root);
    for (const auto& entry : fs::recursive_directory_iterator(base, fs::directory_options::follow_directory_symlink))
        if (entry.is_regular_file()) files.push_back(entry.path().lexically_relative(base).string());
    std::sort(files.begin(), files.end());
    return files;
}

void mirror(const std::string& from, const std::string& to, const std::string& except) {
    const fs::path base = fs::canonical(from);
    fs::create_directories(to);
    for (const auto& entry : fs::recursive_directory_iterator(base, fs::directory_options::follow_directory_symlink)) {
        const fs::path relative = entry.path().lexically_relative(base);
        const fs::path target = fs::path(to) / relative;
        if (entry.is_directory()) {
            fs::create_directories(target);
        } else if (entry.is_regular_file() && relative.string() != except) {
            fs::create_directories(target.parent_path());
            fs::create_symlink(fs::canonical(entry.path()), target);
        }
    }
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

struct Watchdog::State {
    std::mutex mutex;
    std::condition_variable wake;
    bool done = false;
    std::thread thread;
};

Watchdog::Watchdog(const std::string& what, unsigned seconds) : state_(new State) {
    State* s = state_;
    s->thread = std::thread([s, what, seconds] {
        std::unique_lock<std::mutex> lock(s->mutex);
        if (!s->wake.wait_for(lock, std::chrono::seconds(seconds), [s] { return s->done; })) {
            std::fprintf(stderr, "HANG: %s took longer than %u s\n", what.c_str(), seconds);
            std::fflush(stderr);
            std::_Exit(3);
        }
    });
}

Watchdog::~Watchdog() {
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->done = true;
    }
    state_->wake.notify_all();
    state_->thread.join();
    delete state_;
}

}  // namespace hardening
