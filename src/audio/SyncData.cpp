// The sync file: loading, and recording it from the playing music.
#include "audio/SyncData.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "platform/win32/files.h"
#include "platform/win32/messagebox.h"
#include "platform/win32/timer.h"

namespace {

constexpr float kSampleStep = 0.033333335f;  // 1/30 s as a float
// Above this many values a header must be backed by the file: a short file is read with
// zeros for what it lacks, but a garbage header must not allocate gigabytes.
constexpr long long kUnbackedValueLimit = 16ll * 1024 * 1024;
// Seconds a capture waits for the music position to move before it gives up.
constexpr long long kStallSeconds = 3;

void complain(const char* path, const char* what) {
    std::string text = std::string(path) + ": " + what;
    MessageBoxA(nullptr, text.c_str(), "Problems With File", MB_OK);
}

long long remainingBytes(std::FILE* f) {
    long here = std::ftell(f);
    if (here < 0 || std::fseek(f, 0, SEEK_END) != 0) return -1;
    long end = std::ftell(f);
    std::fseek(f, here, SEEK_SET);
    return end < here ? -1 : static_cast<long long>(end - here);
}

}  // namespace

std::int32_t syncSampleCount(float lengthSeconds, float duration) {
    if (duration != 0.0f) return static_cast<std::int32_t>(duration * 30.0);
    return static_cast<std::int32_t>(lengthSeconds - 0.05f) * 30;
}

bool syncProgressLineDue(float positionSeconds) {
    return (static_cast<int>(positionSeconds * 100.0f) & 100) == 0;
}

bool SyncData::load(const char* path) {
    std::FILE* f = win32::openFile(path, "rb");
    if (!f) {
        MessageBoxA(nullptr, path, "Problems With File", MB_OK);
        return false;
    }
    release();
    std::int32_t header[2] = {0, 0};
    if (std::fread(header, sizeof header, 1, f) != 1) {
        std::fclose(f);
        complain(path, "too short for a sync file header");
        return false;
    }
    const std::int32_t samples = header[0], bands = header[1];
    const long long values = static_cast<long long>(samples) * bands;
    const long long held = remainingBytes(f) / 4;
    if (samples < 0 || bands < 0 || bands > kMaxBands || (values > held && values > kUnbackedValueLimit)) {
        std::fclose(f);
        char what[160];
        std::snprintf(what, sizeof what, "header of %d samples x %d bands is not valid for this file",
                      static_cast<int>(samples), static_cast<int>(bands));
        complain(path, what);
        return false;
    }
    if (bands > 0) tracks = new (std::nothrow) FloatTrack[bands];
    bool allocated = bands == 0 || tracks != nullptr;
    for (std::int32_t j = 0; allocated && j < bands; ++j) allocated = tracks[j].allocate(static_cast<std::uint32_t>(samples));
    if (!allocated) {
        std::fclose(f);
        release();
        complain(path, "not enough memory for its sync tracks");
        return false;
    }
    bandCount = bands;
    sampleCount = samples;
    // Sample-major: all bands of sample 0, then of sample 1, ... A short file leaves zeros.
    // Without bands there is nothing to read, however many samples the header claims.
    bool more = bands > 0;
    for (std::int32_t k = 0; more && k < samples; ++k)
        for (std::int32_t j = 0; more && j < bands; ++j)
            more = std::fread(tracks[j].keyAt(static_cast<std::uint32_t>(k)), 4, 1, f) == 1;
    std::fclose(f);
    return true;
}

bool SyncData::capture(const char* path, MusicStream& music, int bands, float duration) {
    if (bands < 0 || bands > kMaxBands) {
        complain(path, "a capture records 0 to 256 bands");
        return false;
    }
    // Without a music length (no stream: the length query gives -1 s) the count is zero or
    // negative, and a file with that header would be refused by every later load: record
    // nothing, so that each run reports the trouble instead of writing a useless file.
    const std::int32_t samples = syncSampleCount(music.lengthSeconds(), duration);
    if (samples <= 0) {
        MessageBoxA(nullptr, path, "Problems With File", MB_OK);
        return false;
    }
    // Written under a temporary name and renamed when complete, so that an interrupted
    // capture never leaves a sync file that would be taken as whole by the next run.
    const std::string partPath = std::string(path) + ".part";
    std::FILE* f = win32::openFile(partPath.c_str(), "wb");
    if (!f) {
        // An installed data set is read-only: say so, rather than only naming the file.
        const std::string why = std::strerror(errno);
        complain(path, ("the folder cannot be written (" + why + "); the show plays without sync data").c_str());
        return false;
    }
    const std::int32_t header[2] = {samples, bands};
    bool written = std::fwrite(header, sizeof header, 1, f) == 1;

    music.play(0);
    std::printf("Sampling - Start");
    std::fflush(stdout);

    const auto valuesPerRecord = static_cast<std::size_t>(bands);
    float spectrum[512];
    std::int32_t recorded = 0;
    const float end = static_cast<float>(samples) * kSampleStep;
    // A duration longer than the music would never be reached: the music stops at its end.
    const float length = music.lengthSeconds();
    // A position that stops moving (a sound device that went away, or a clock that nobody
    // drives) would keep this loop waiting forever: give up after a few seconds without
    // progress and report the capture as failed.
    LARGE_INTEGER frequency, lastMove, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&lastMove);
    float lastPosition = music.positionSeconds();
    float printedAt = -1.0f;
    for (;;) {
        if (music.positionSeconds() > static_cast<float>(recorded) * kSampleStep) {
            for (float& v : spectrum) v = 0.0f;
            music.spectrum(spectrum);
            written = written && std::fwrite(spectrum, sizeof(float), valuesPerRecord, f) == valuesPerRecord;
            ++recorded;
        }
        // One line per position read, so that a stalled position does not flood the output.
        const float shown = music.positionSeconds();
        if (syncProgressLineDue(shown) && shown != printedAt) {
            std::printf("Time = %f Of %f   At Sample = %d\n", shown, end, recorded);
            printedAt = shown;
        }
        const float position = music.positionSeconds();
        if (!(position < end) || position >= length) break;
        QueryPerformanceCounter(&now);
        if (position != lastPosition) {
            lastPosition = position;
            lastMove = now;
        } else if (now.QuadPart - lastMove.QuadPart > kStallSeconds * frequency.QuadPart) {
            written = false;
            break;
        }
    }
    std::printf("NumberOfSamples = %d     Recorded = %d\n", samples, recorded);
    std::fflush(stdout);

    written = (std::fclose(f) == 0) && written;
    if (written) {
        written = std::rename(win32::nativePath(partPath.c_str()).c_str(), win32::nativePath(path).c_str()) == 0;
    }
    if (!written) {
        std::remove(win32::nativePath(partPath.c_str()).c_str());
        MessageBoxA(nullptr, path, "Problems With File", MB_OK);
    }
    music.seekSeconds(0.0f);
    music.pauseOutput();
    return written;
}

void SyncData::loadOrCapture(const char* path, MusicStream& music, int bands, float duration) {
    if (load(path)) return;
    // The scenes read the bands in this run too, so the fresh recording is loaded.
    if (capture(path, music, bands, duration)) load(path);
}

void SyncData::release() {
    delete[] tracks;  // each track frees its keys
    tracks = nullptr;
    bandCount = 0;
    sampleCount = 0;
}
