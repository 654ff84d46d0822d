// The show's own effect files compile and link on headless GL.
#include <gtest/gtest.h>

#include <filesystem>

#include "effects/DeviceFixture.h"

namespace {

TEST(DataEffects, EveryShowEffectLinksOnGl) {
    std::filesystem::path dir = std::filesystem::path(GH_SOURCE_DIR) / "data" / "Tindermoot";
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no data/Tindermoot";
    IDirect3DDevice9* device = fxtest::createDevice(d3d9::Backend::Gl, nullptr);
    ASSERT_TRUE(device);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".fx") continue;
        ++files;
        ID3DXEffect* effect = nullptr;
        ID3DXBuffer* errors = nullptr;
        HRESULT hr = D3DXCreateEffectFromFileA(device, entry.path().c_str(), nullptr, nullptr, D3DXSHADER_DEBUG,
                                               nullptr, &effect, &errors);
        EXPECT_EQ(hr, D3D_OK) << entry.path() << "\n" << fxtest::bufferText(errors);
        D3DXEFFECT_DESC desc{};
        if (effect) {
            effect->GetDesc(&desc);
            EXPECT_GT(desc.Techniques, 0u) << entry.path();
            effect->Release();
        }
        if (errors) errors->Release();
    }
    EXPECT_GT(files, 0);
    device->Release();
}

}  // namespace
