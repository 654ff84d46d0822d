#include "Yuv420.h"

#include <bit>
#include <cstring>

namespace tool {

namespace {

// BT.709's rows scaled to the limited range (219 steps of luma, 224 of chroma, over 255)
// in 16 fractional bits. Each chroma row sums to 0, so greys land on 128 exactly.
constexpr int kYr = 11966, kYg = 40254, kYb = 4064;
constexpr int kUr = -6595, kUg = -22189, kUb = 28784;
constexpr int kVr = 28784, kVg = -26145, kVb = -2639;

// A pixel as one word: whole-word loads and shifts are what the compiler turns into
// vector code, where byte gathers at a stride of 4 are not.
inline std::uint32_t pixel(const std::uint8_t* p) {
    std::uint32_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Where byte i of a pixel lies in its word.
constexpr int shiftOf(int i) { return std::endian::native == std::endian::little ? 8 * i : 24 - 8 * i; }
inline int red(std::uint32_t p) { return static_cast<int>((p >> shiftOf(0)) & 0xff); }
inline int green(std::uint32_t p) { return static_cast<int>((p >> shiftOf(1)) & 0xff); }
inline int blue(std::uint32_t p) { return static_cast<int>((p >> shiftOf(2)) & 0xff); }

void lumaRow(const std::uint8_t* __restrict rgba, unsigned width, std::uint8_t* __restrict out) {
    for (unsigned x = 0; x < width; ++x) {
        const std::uint32_t p = pixel(rgba + 4 * x);
        out[x] = static_cast<std::uint8_t>((kYr * red(p) + kYg * green(p) + kYb * blue(p) + (16 << 16) + (1 << 15)) >> 16);
    }
}

// The chroma of each 2x2 block of two rows.
void chromaRow(const std::uint8_t* __restrict top, const std::uint8_t* __restrict bottom, unsigned half,
               std::uint8_t* __restrict u, std::uint8_t* __restrict v) {
    for (unsigned x = 0; x < half; ++x) {
        const std::uint32_t a = pixel(top + 8 * x), b = pixel(top + 8 * x + 4);
        const std::uint32_t c = pixel(bottom + 8 * x), d = pixel(bottom + 8 * x + 4);
        const int r = red(a) + red(b) + red(c) + red(d);
        const int g = green(a) + green(b) + green(c) + green(d);
        const int bl = blue(a) + blue(b) + blue(c) + blue(d);
        // The sums are four pixels' worth: two more fractional bits.
        u[x] = static_cast<std::uint8_t>((kUr * r + kUg * g + kUb * bl + (128 << 18) + (1 << 17)) >> 18);
        v[x] = static_cast<std::uint8_t>((kVr * r + kVg * g + kVb * bl + (128 << 18) + (1 << 17)) >> 18);
    }
}

}  // namespace

// Two rows at a time: their lumas, then the chroma of their 2x2 blocks. Built with AVX2
// beside the baseline where the compiler can choose at load time (twice as fast).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void rgbaToYuv420(const std::uint8_t* rgba, std::ptrdiff_t rowStep, unsigned width, unsigned height,
                  std::uint8_t* out) {
    const unsigned half = width / 2;
    std::uint8_t* yPlane = out;
    std::uint8_t* uPlane = out + static_cast<std::size_t>(width) * height;
    std::uint8_t* vPlane = uPlane + static_cast<std::size_t>(half) * (height / 2);
    for (unsigned y = 0; y + 1 < height; y += 2) {
        const std::uint8_t* top = rgba + rowStep * static_cast<std::ptrdiff_t>(y);
        const std::uint8_t* bottom = top + rowStep;
        lumaRow(top, width, yPlane + static_cast<std::size_t>(width) * y);
        lumaRow(bottom, width, yPlane + static_cast<std::size_t>(width) * (y + 1));
        chromaRow(top, bottom, half, uPlane + static_cast<std::size_t>(half) * (y / 2),
                  vPlane + static_cast<std::size_t>(half) * (y / 2));
    }
}

}  // namespace tool
