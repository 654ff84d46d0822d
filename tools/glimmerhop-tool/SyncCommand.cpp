// glimmerhop-tool sync: the sync file computed from the decoded music, record k from the
// spectrum at k/30 s, as a capture of the music would record it (without playing it).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "Command.h"
#include "CommandLine.h"
#include "audio/SyncData.h"
#include "platform/bass/spectrum.h"

namespace {

const char* const kDescription =
    "glimmerhop-tool sync MP3 OUT.sync [--bands N] [--duration SECONDS]\n"
    "\n"
    "Decodes MP3 and writes the sync file a capture would record: a header (sample count,\n"
    "band count) and, for sample k, the first N magnitudes (default 8) of the 512-sample\n"
    "FFT at k/30 s. The sample count is the capture's: whole seconds of (length - 0.05 s)\n"
    "x 30, or the duration x 30. The file is written under OUT.sync.part and renamed.";

// A day of samples at most: the count must fit the header's 32 bits.
constexpr double kLongestDuration = 86400.0;

int run(int argc, char** argv) {
    std::string mp3, outPath;
    int bands = 8;
    double durationSeconds = 0.0;
    tool::CommandLine cl("sync", kDescription);
    cl.app.add_option("mp3", mp3, "the music")->type_name("MP3")->required();
    cl.app.add_option("out", outPath, "the sync file to write")->type_name("OUT.sync")->required();
    cl.app.add_option("--bands", bands, "magnitudes per sample (default 8)")
        ->type_name("N")
        ->check(CLI::Range(1, static_cast<int>(bass::kFftBins)));
    cl.time("--duration", durationSeconds, "the capture's duration instead of the music's length")
        ->check(CLI::Range(0.0, kLongestDuration));
    if (const int status = cl.parse(argc, argv); status >= 0) return status;
    const float duration = static_cast<float>(durationSeconds);
    const char* const files[2] = {mp3.c_str(), outPath.c_str()};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::int16_t> pcm;
    int rate = 0;
    if (!bass::decodeMp3(files[0], pcm, rate)) {
        std::fprintf(stderr, "sync: cannot decode %s\n", files[0]);
        return 1;
    }
    const std::size_t frames = pcm.size() / 2;
    // The length in seconds as the audio library reports it.
    const float length = static_cast<float>(static_cast<double>(frames) / rate);
    const std::int32_t samples = syncSampleCount(length, duration);
    if (samples < 0) {
        std::fprintf(stderr, "sync: %s is too short for a sync file\n", files[0]);
        return 1;
    }

    const std::string out = files[1];
    const std::string part = out + ".part";
    std::FILE* f = std::fopen(part.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "sync: cannot write %s\n", part.c_str());
        return 1;
    }
    const std::int32_t header[2] = {samples, bands};
    bool ok = std::fwrite(header, sizeof header, 1, f) == 1;
    float spectrum[bass::kFftBins];
    for (std::int32_t k = 0; ok && k < samples; ++k) {
        const auto position = static_cast<std::size_t>(std::llround(static_cast<double>(k) * rate / 30.0));
        bass::spectrum512(pcm.data(), frames, position, spectrum);
        ok = std::fwrite(spectrum, sizeof(float), static_cast<std::size_t>(bands), f) == static_cast<std::size_t>(bands);
    }
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || std::rename(part.c_str(), out.c_str()) != 0) {
        std::remove(part.c_str());
        std::fprintf(stderr, "sync: writing %s failed\n", out.c_str());
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("sync: %s: %.3f s at %d Hz -> %s: %d samples x %d bands (%.1f ms)\n", files[0], length, rate,
                out.c_str(), samples, bands, ms);
    return 0;
}

const tool::ToolCommand command{"sync", "compute a sync file from an MP3, as a capture would record it", run};

}  // namespace
