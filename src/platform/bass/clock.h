// A clock the tools drive: while it is on, every stream's position is the one the caller
// sets (seconds of music), no audio device is opened by BASS_Init, and BASS_ChannelGetData
// reads the spectrum at that position. Seeks set the driven position too, so the
// playback keys still move a driven show.
#pragma once

namespace bass {
void useDrivenClock(bool driven);
bool drivenClock();
void setDrivenPosition(double seconds);
double drivenPosition();
}  // namespace bass
