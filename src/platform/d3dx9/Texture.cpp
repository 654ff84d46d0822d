// Texture loading: an image file (PNG, or any format stb_image reads) into an RGBA8
// texture with a full mip chain. The trace backend only checks that the file is an
// image, so its failures are the real ones without paying for decoding.
#include <stb/stb_image.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/d3d9/internal.h"
#include "platform/d3dx9/d3dx9.h"
#include "platform/win32/files.h"

namespace {

constexpr int kMaxImageSize = 16384;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
struct PixelsFree {
    void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
};

void traceLoad(IDirect3DDevice9* device, const char* path, HRESULT hr) {
    char line[512];
    int n = FAILED(hr) ? std::snprintf(line, sizeof line, "D3DXCreateTextureFromFileA %s failed 0x%08x",
                                       path, static_cast<unsigned>(hr))
                       : std::snprintf(line, sizeof line, "D3DXCreateTextureFromFileA %s", path);
    if (n < 0) return;
    if (static_cast<std::size_t>(n) >= sizeof line) n = sizeof line - 1;
    d3d9::internal::traceLine(device, line, static_cast<std::size_t>(n));
}

// A PNG cut short is caught without decoding: its chunks must lie whole in the file up to
// IEND. (stb_image reads past a short end as zeros.) Other formats are left to stb_image.
bool pngChunksComplete(std::FILE* file) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    unsigned char head[8];
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    const long long size = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0 || std::fread(head, 1, 8, file) != 8) return true;
    if (std::memcmp(head, kSignature, 8) != 0) return true;
    long long at = 8;
    for (;;) {
        if (std::fseek(file, static_cast<long>(at), SEEK_SET) != 0 || std::fread(head, 1, 8, file) != 8) return false;
        const unsigned long long length = (static_cast<unsigned long long>(head[0]) << 24) |
                                          (static_cast<unsigned long long>(head[1]) << 16) |
                                          (static_cast<unsigned long long>(head[2]) << 8) | head[3];
        at += 12 + static_cast<long long>(length);  // length, type, data, CRC
        if (at > size) return false;
        if (std::memcmp(head + 4, "IEND", 4) == 0) return true;
    }
}

HRESULT load(IDirect3DDevice9* device, const char* path, IDirect3DTexture9** texture) {
    std::unique_ptr<std::FILE, FileCloser> file(win32::openFile(path, "rb"));
    // D3DX answers a file it cannot read the way it answers one that is not an image.
    if (!file) return D3DXERR_INVALIDDATA;
    const bool complete = pngChunksComplete(file.get());
    if (std::fseek(file.get(), 0, SEEK_SET) != 0 || !complete) return D3DXERR_INVALIDDATA;
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_file(file.get(), &width, &height, &channels)) return D3DXERR_INVALIDDATA;
    if (width <= 0 || height <= 0 || width > kMaxImageSize || height > kMaxImageSize) {
        return D3DXERR_INVALIDDATA;
    }
    const bool draw = d3d9::internal::backendOf(device) == d3d9::Backend::Gl;
    std::unique_ptr<stbi_uc, PixelsFree> pixels;
    if (draw) {
        // The header alone may be sound while the data is cut short: only a full
        // decode tells.
        pixels.reset(stbi_load_from_file(file.get(), &width, &height, &channels, 4));
        if (!pixels) return D3DXERR_INVALIDDATA;
    }
    return d3d9::internal::createTexture(device, static_cast<UINT>(width), static_cast<UINT>(height),
                                         pixels.get(), path, texture);
}

}  // namespace

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, LPCSTR srcFile,
                                   IDirect3DTexture9** texture) {
    if (texture) *texture = nullptr;
    if (!device || !srcFile || !texture) return D3DERR_INVALIDCALL;
    const HRESULT hr = load(device, srcFile, texture);
    traceLoad(device, srcFile, hr);
    return hr;
}
