// The picture as the video stores it: 8-bit Y'CbCr 4:2:0 planes in BT.709's matrix and
// limited range (Y' 16..235, Cb/Cr 16..240), each chroma sample the mean of a 2x2 block
// (centre-sited). Converting here rather than in ffmpeg moves 1.5 bytes a pixel down the
// pipe instead of 4 and spares ffmpeg its scaler; the video is tagged with the same
// matrix, range and siting, so players show the colours that were drawn.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tool {

// Bytes of the three planes (Y', then Cb, then Cr) of an even width x height frame.
constexpr std::size_t yuv420Size(unsigned width, unsigned height) {
    return static_cast<std::size_t>(width) * height * 3 / 2;
}

// Converts width x height RGBA8 pixels (alpha ignored) to the planes in `out`
// (yuv420Size bytes), top row first. Row y of the picture starts at rgba + y * rowStep,
// so a negative step reads a picture stored bottom row first. Width and height even.
void rgbaToYuv420(const std::uint8_t* rgba, std::ptrdiff_t rowStep, unsigned width, unsigned height,
                  std::uint8_t* out);

}  // namespace tool
