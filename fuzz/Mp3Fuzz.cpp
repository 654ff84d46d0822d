// Music files: stream creation, then length, seeks and spectrum reads over what decoded.
#include <cstdio>

#include "TempInput.h"
#include "platform/bass/bass.h"
#include "platform/bass/clock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        bass::useDrivenClock(true);  // no audio device
        return BASS_Init(1, 44100, 0, nullptr, nullptr) != 0;
    }();
    if (!ready) return 0;
    const std::string& path = fuzzing::writeTempInput(".mp3", data, size);
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    if (stream != 0) {
        const QWORD length = BASS_StreamGetLength(stream);
        const float seconds = BASS_ChannelBytes2Seconds(stream, length);
        float spectrum[256];
        for (float at : {0.0f, seconds * 0.5f, seconds, seconds + 1.0f}) {
            BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, at));
            BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512);
            BASS_ChannelGetPosition(stream);
        }
        BASS_StreamFree(stream);
    }
    std::remove(path.c_str());
    return 0;
}
