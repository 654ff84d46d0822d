// The audio library subset the show uses (the old API generation with
// BASS_StreamPlay and BASS_ChannelSetAttributes), over mpg123 decoding and SDL2 output.
// Positions are byte counts of the decoded 16-bit stereo stream.
#pragma once

#include <cstdint>

#include "platform/win32/win32types.h"

using HSTREAM = DWORD;
using HCHANNEL = DWORD;

constexpr DWORD BASS_DATA_FFT512 = 0x80000000u;  // 256 floats

BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND win, const void* clsid);
BOOL BASS_Free();
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);
BOOL BASS_StreamFree(HSTREAM handle);
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);
QWORD BASS_ChannelGetPosition(DWORD handle);
QWORD BASS_StreamGetLength(HSTREAM handle);
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos);
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos);
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
BOOL BASS_Pause();
BOOL BASS_Start();
