#include "TraceRig.h"
#include "TraceDevice.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "app/globals/DisplaySettings.h"
#include "audio/SyncData.h"
#include "platform/bass/clock.h"
#include "platform/win32/messagebox.h"

namespace showtest {

// The tests never wait for the loading picture's fade unless they ask for it.
const bool kFadeSkipped = (Show::loadingFadeSeconds = 0.0, true);

std::vector<float> Call::floats(std::size_t first) const {
    std::vector<float> out;
    for (std::size_t i = first; i < words.size(); ++i) out.push_back(std::strtof(words[i].c_str(), nullptr));
    return out;
}

std::vector<Call> parse(const std::vector<std::string>& lines) {
    std::vector<Call> calls;
    for (const std::string& line : lines) {
        Call c;
        std::istringstream in(line);
        std::string word;
        while (in >> word) c.words.push_back(word);
        if (!c.words.empty()) calls.push_back(std::move(c));
    }
    return calls;
}

void Recorder::line(const char* text, std::size_t length) {
    ++lineCount;
    nonFinite += countNonFinite(text, length);
    if (store) lines.emplace_back(text, length);
}

ShowRig::ShowRig(const SyncValue& sync, const std::vector<std::string>& removeFiles) {
    writeShowData(dir_.path(), sync);
    for (const std::string& f : removeFiles) std::filesystem::remove_all(dir_.path() + "/Tindermoot/" + f);
    start(dir_.path());
}

ShowRig::ShowRig(const std::string& dataDirectory) { start(dataDirectory); }

void ShowRig::start(const std::string& directory) {
    oldDirectory_ = std::filesystem::current_path().string();
    std::filesystem::current_path(directory);

    createTraceDevice(&recorder_);
    show_ = std::make_unique<Show>();
    recorder_.lines.clear();
    show_->load();
    loadLines_ = recorder_.lines;
    recorder_.lines.clear();
}

ShowRig::~ShowRig() {
    show_.reset();
    releaseTraceDevice();
    std::filesystem::current_path(oldDirectory_);
}

std::vector<Call> ShowRig::frame(float t) {
    recorder_.lines.clear();
    show_->renderFrame(t);
    return parse(recorder_.lines);
}

std::vector<Call> ShowRig::outro(float t) {
    recorder_.lines.clear();
    show_->renderOutro(t);
    return parse(recorder_.lines);
}

SyncValue spike(unsigned band, float from, float to, float value) {
    return [=](unsigned sample, unsigned b) {
        const float time = static_cast<float>(sample) / 30.0f;
        const bool inBand = band == 8 || b == band;
        return inBand && time >= from - 1e-4f && time <= to + 1e-4f ? value : 0.0f;
    };
}

std::vector<float> floatsSet(const std::vector<Call>& calls, const char* effect, const char* parameter) {
    std::vector<float> out;
    for (const Call& c : calls)
        if (c.is("SetFloat") && c.words.size() >= 4 && c.words[1] == effect && c.words[2] == parameter)
            out.push_back(std::strtof(c.words[3].c_str(), nullptr));
    return out;
}

std::vector<float> lastValues(const std::vector<Call>& calls, const char* call, const char* effect,
                              const char* parameter, std::size_t before) {
    std::vector<float> out;
    for (std::size_t i = 0; i < calls.size() && i < before; ++i) {
        const Call& c = calls[i];
        if (c.is(call) && c.words.size() >= 3 && c.words[1] == effect && c.words[2] == parameter)
            out = c.floats(3);
    }
    return out;
}

std::vector<float> cameraMatrix(const std::vector<Call>& calls, const char* effect, const char* matrix) {
    std::size_t at = SIZE_MAX;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const Call& c = calls[i];
        if (c.is("SetFloatArray") && c.words.size() >= 3 && c.words[1] == effect && c.words[2] == "CameraPosition")
            at = i;
    }
    if (at == SIZE_MAX) return {};
    return lastValues(calls, "SetMatrix", effect, matrix, at);
}

std::vector<Draw> draws(const std::vector<Call>& calls) {
    std::vector<Draw> out;
    std::string effect, technique;
    unsigned pass = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const Call& c = calls[i];
        if (c.is("SetTechnique") && c.words.size() >= 3) {
            effect = c.words[1];
            technique = c.words[2];
        } else if (c.is("BeginPass") && c.words.size() >= 3) {
            pass = static_cast<unsigned>(std::strtoul(c.words[2].c_str(), nullptr, 10));
        } else if (c.is("DrawIndexedPrimitive")) {
            out.push_back({i, effect, technique, pass});
        }
    }
    return out;
}

float valueAtDraw(const std::vector<Call>& calls, const Draw& d, const char* parameter) {
    const std::vector<float> v = lastValues(calls, "SetFloat", d.effect.c_str(), parameter, d.index);
    return v.empty() ? std::nanf("") : v[0];
}

std::string textureAtDraw(const std::vector<Call>& calls, const Draw& d, const char* parameter) {
    std::string out;
    for (std::size_t i = 0; i < d.index; ++i) {
        const Call& c = calls[i];
        if (c.is("SetTexture") && c.words.size() >= 4 && c.words[1] == d.effect && c.words[2] == parameter)
            out = c.words[3];
    }
    return out;
}

std::vector<Draw> drawsOf(const std::vector<Draw>& all, const char* technique) {
    std::vector<Draw> out;
    for (const Draw& d : all)
        if (d.technique == technique) out.push_back(d);
    return out;
}

}  // namespace showtest
