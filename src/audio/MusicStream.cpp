#include "audio/MusicStream.h"

#include "platform/win32/keys.h"
#include "platform/win32/messagebox.h"

void MusicStream::open(const char* path) {
    if (!BASS_Init(1, 44100, 0, nullptr, nullptr)) MessageBoxA(nullptr, "Init FAILED", "Error::BASS", MB_OK);
    handle = BASS_StreamCreateFile(FALSE, path, 0, 0, 0);
    if (handle == 0) MessageBoxA(nullptr, "BASS_StreamCreateFile", "Error::BASS", MB_OK);
}

void MusicStream::release() {
    BASS_StreamFree(handle);
    BASS_Free();
    handle = 0;
}

void MusicStream::play(int volume) {
    BASS_ChannelSetAttributes(handle, 0, volume, -101);
    BASS_StreamPlay(handle, FALSE, 0);
}

float MusicStream::positionSeconds() const {
    return BASS_ChannelBytes2Seconds(handle, BASS_ChannelGetPosition(handle));
}

float MusicStream::lengthSeconds() const {
    return BASS_ChannelBytes2Seconds(handle, BASS_StreamGetLength(handle));
}

void MusicStream::seekSeconds(float seconds) {
    BASS_ChannelSetPosition(handle, BASS_ChannelSeconds2Bytes(handle, seconds));
}

void MusicStream::spectrum(float* out512) const {
    BASS_ChannelGetData(handle, out512, BASS_DATA_FFT512);
}

void MusicStream::pauseOutput() {
    BASS_Pause();
}

void MusicStream::resumeOutput() {
    BASS_Start();
}

void MusicStream::pollPlaybackKeys() {
    if (GetAsyncKeyState('I')) pauseOutput();
    if (GetAsyncKeyState('O')) resumeOutput();
    // Each seek reads the position afresh, so several keys in one frame add up.
    if (GetAsyncKeyState('J')) seekSeconds(positionSeconds() - 0.1f);
    if (GetAsyncKeyState('K')) seekSeconds(positionSeconds() + 0.1f);
    if (GetAsyncKeyState('N')) seekSeconds(positionSeconds() - 0.01f);
    if (GetAsyncKeyState('M')) seekSeconds(positionSeconds() + 0.01f);
}
