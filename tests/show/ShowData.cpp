#include "ShowData.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace showtest {

const std::vector<const char*> kDritTechniques{"tull"};
const std::vector<const char*> kImageTechniques{"db01", "Dancer", "DanceFloor"};
const std::vector<const char*> kDiscoTechniques{"BackGround",  "DiscoFloor", "DiscoDancer",
                                                "DiscoBox",    "DiscoBox2",  "AdditiveOverlay"};
const std::vector<const char*> kCylTechniques{"DiscoCylinder", "Plane01"};
const std::vector<const char*> kTextTechniques{"TextPlane", "Stencil", "GreetFloor", "PlanB"};

TempDir::TempDir() {
    char pattern[] = "/tmp/glimmerhop-show-XXXXXX";
    const char* made = mkdtemp(pattern);
    root = made ? made : "/tmp/glimmerhop-show-fallback";
    std::filesystem::create_directories(root);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

namespace {

struct Bytes {
    std::vector<unsigned char> data;
    template <typename T>
    void put(const T& value) {
        const auto* p = reinterpret_cast<const unsigned char*>(&value);
        data.insert(data.end(), p, p + sizeof(T));
    }
    void zeros(std::size_t n) { data.insert(data.end(), n, 0); }
};

void ensureParent(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
}

}  // namespace

void writeFile(const std::string& path, const void* data, std::size_t size) {
    ensureParent(path);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(data, 1, size, f);
    std::fclose(f);
}

void writeMeshFile(const std::string& path, const std::vector<Vertex>& vertices,
                   const std::vector<unsigned short>& indices) {
    Bytes b;
    b.put<std::uint32_t>(0);
    b.zeros(64);
    b.put<std::uint32_t>(0);  // material index
    b.put<std::uint32_t>(static_cast<std::uint32_t>(indices.size() / 3));
    b.put<std::uint32_t>(static_cast<std::uint32_t>(vertices.size()));
    b.put<std::uint32_t>(32);
    b.put<std::uint16_t>(0x0007);
    for (unsigned short i : indices) b.put(i);
    for (const Vertex& v : vertices) b.put(v);
    b.zeros(1 + 12);
    // No shared key count: each of the three tracks carries its own, all empty.
    b.put<std::uint32_t>(0);
    b.put<std::uint32_t>(0);
    b.put<std::uint32_t>(0);
    b.put<std::uint32_t>(0);
    writeFile(path, b.data.data(), b.data.size());
}

void writeCameraFile(const std::string& path, float nearPlane, float farPlane,
                     const std::vector<float>& fovKeys, const std::vector<Vec3>& eyeKeys,
                     const std::vector<Vec3>& targetKeys) {
    Bytes b;
    b.put(nearPlane);
    b.put(farPlane);
    b.put<std::uint32_t>(static_cast<std::uint32_t>(fovKeys.size()));
    for (float f : fovKeys) b.put(f);
    b.put<std::uint32_t>(static_cast<std::uint32_t>(eyeKeys.size()));
    for (const Vec3& v : eyeKeys) b.put(v);
    for (const Vec3& v : targetKeys) b.put(v);
    writeFile(path, b.data.data(), b.data.size());
}

void writeSceneFile(const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    text += '\xFF';
    writeFile(path, text.data(), text.size());
}

void writeSyncFile(const std::string& path, unsigned samples, unsigned bands,
                   const std::function<float(unsigned, unsigned)>& value) {
    Bytes b;
    b.put<std::int32_t>(static_cast<std::int32_t>(samples));
    b.put<std::int32_t>(static_cast<std::int32_t>(bands));
    for (unsigned k = 0; k < samples; ++k)
        for (unsigned j = 0; j < bands; ++j) b.put(value(k, j));
    writeFile(path, b.data.data(), b.data.size());
}

void writeEffectFile(const std::string& path, const std::vector<const char*>& techniques) {
    std::string text =
        "float4x4 matWorld;\n"
        "float4x4 matWorldView;\n"
        "float4x4 matWorldViewProjection;\n"
        "float4x4 matMirror;\n"
        "float4x4 matView;\n"
        "float4x4 matProjection;\n"
        "float4x4 matViewProjection;\n"
        "float3 CameraPosition;\n"
        "float3 CameraTarget;\n"
        "float time;\n"
        "float const0;\n"
        "float const1;\n"
        "float var1;\n"
        "bool usealpha;\n"
        "texture tex0;\n"
        "texture tex1;\n"
        "texture tex2;\n"
        "sampler2D s0 = sampler_state { Texture = <tex0>; MinFilter = Linear; MagFilter = Linear; };\n"
        "sampler2D s1 = sampler_state { Texture = <tex1>; };\n"
        "sampler2D s2 = sampler_state { Texture = <tex2>; };\n"
        "struct VSOut { float4 pos : POSITION; float2 uv : TEXCOORD0; };\n"
        "VSOut VS(float4 pos : POSITION, float3 normal : NORMAL, float2 uv : TEXCOORD0) {\n"
        "    VSOut o;\n"
        "    o.pos = mul(pos, matWorldViewProjection);\n"
        "    o.uv = uv + normal.xy * time;\n"
        "    return o;\n"
        "}\n"
        "float4 PS(float2 uv : TEXCOORD0) : COLOR {\n"
        "    float4 c = tex2D(s0, uv) + tex2D(s1, uv) * const1 + tex2D(s2, uv) * var1;\n"
        "    return float4(c.rgb * const0, usealpha ? c.a : 1.0);\n"
        "}\n";
    for (const char* name : techniques) {
        text += std::string("technique ") + name + " {\n";
        for (int p = 0; p < 4; ++p)
            text += "    pass P" + std::to_string(p) +
                    " { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); }\n";
        text += "}\n";
    }
    writeFile(path, text.data(), text.size());
}

void writePng(const std::string& path, unsigned width, unsigned height, unsigned rgba) {
    ensureParent(path);
    std::vector<unsigned char> pixels(width * height * 4);
    for (unsigned i = 0; i < width * height; ++i) {
        pixels[4 * i + 0] = static_cast<unsigned char>(rgba >> 24);
        pixels[4 * i + 1] = static_cast<unsigned char>(rgba >> 16);
        pixels[4 * i + 2] = static_cast<unsigned char>(rgba >> 8);
        pixels[4 * i + 3] = static_cast<unsigned char>(rgba);
    }
    stbi_write_png(path.c_str(), static_cast<int>(width), static_cast<int>(height), 4,
                   pixels.data(), static_cast<int>(width * 4));
}

void writePngPixels(const std::string& path, unsigned width, unsigned height,
                    const unsigned char* rgba) {
    ensureParent(path);
    stbi_write_png(path.c_str(), static_cast<int>(width), static_cast<int>(height), 4, rgba,
                   static_cast<int>(width * 4));
}

namespace {

// A unit square in the plane z = 0, two triangles.
void writeQuadMesh(const std::string& path, float size) {
    const float h = size / 2;
    writeMeshFile(path,
                  {{-h, -h, 0, 0, 0, 1, 0, 1}, {h, -h, 0, 0, 0, 1, 1, 1},
                   {-h, h, 0, 0, 0, 1, 0, 0}, {h, h, 0, 0, 0, 1, 1, 0}},
                  {0, 1, 2, 3, 2, 1});
}

// A cube of the given size centred on the origin.
void writeBoxMesh(const std::string& path, float size) {
    const float h = size / 2;
    std::vector<Vertex> v;
    for (int i = 0; i < 8; ++i)
        v.push_back({(i & 1) ? h : -h, (i & 2) ? h : -h, (i & 4) ? h : -h, 0, 0, 1,
                     static_cast<float>(i & 1), static_cast<float>((i >> 1) & 1)});
    writeMeshFile(path, v,
                  {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                   2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5});
}

}  // namespace

void writeShowData(const std::string& root, const SyncValue& sync, unsigned syncSeconds) {
    const std::string d = root + "/Tindermoot/";
    writeEffectFile(d + "drit.fx", kDritTechniques);
    writeEffectFile(d + "Image.fx", kImageTechniques);
    writeEffectFile(d + "Disco.fx", kDiscoTechniques);
    writeEffectFile(d + "cyl.fx", kCylTechniques);
    writeEffectFile(d + "text.fx", kTextTechniques);

    const char* pictures[] = {"ruffwick01", "char01",    "floorbit",  "floortexture",
                              "floortexture2", "phong",  "phong2",    "colormap",
                              "overlay02", "overlay03",  "overlay04", "overlay05",
                              "overlay06", "overlay07",  "overlay08", "overlay09",
                              "overlay10", "overlay11",  "overlay12", "frames",
                              "vobble",    "trelkin",    "ruffwick",  "disco",
                              "dancing",   "greets",     "vantroop",  "marrowby",
                              "loading"};
    unsigned colour = 0x20408000;
    for (const char* name : pictures) {
        writePng(d + name + ".png", 4, 4, colour | 0xFF);
        colour += 0x07050300;
    }

    writeQuadMesh(d + "Dance/Dancer.SCENEPlane01.mesh", 40);
    writeBoxMesh(d + "box/box.SCENEBox01.mesh", 20);
    writeQuadMesh(d + "st/sten.SCENEPlane02.mesh", 100);

    // Floor: one mesh and a camera whose eye moves one unit along x per key, 60 s long.
    std::vector<float> fov(1, 0.8f);
    std::vector<Vec3> eyes, targets;
    for (unsigned k = 0; k <= 1800; ++k) {
        eyes.push_back({static_cast<float>(k), -200.0f, 100.0f});
        targets.push_back({static_cast<float>(k), 0.0f, 0.0f});
    }
    writeBoxMesh(d + "Floor/floor.mesh", 100);
    writeCameraFile(d + "Floor/floor.camera", 1.0f, 5000.0f, fov, eyes, targets);
    writeSceneFile(d + "Floor/Floor.SCENE.scene", {"   1floor.mesh   0", "   2floor.camera   0"});

    // Tunnel: the tunnel, the plate and a camera flying along x.
    eyes.clear();
    targets.clear();
    for (unsigned k = 0; k <= 2400; ++k) {
        eyes.push_back({-300.0f + k * 0.25f, 0.0f, 0.0f});
        targets.push_back({-200.0f + k * 0.25f, 0.0f, 0.0f});
    }
    writeBoxMesh(d + "tun/tube.mesh", 200);
    writeQuadMesh(d + "tun/plate.mesh", 20);
    writeCameraFile(d + "tun/cyl.camera", 1.0f, 5000.0f, fov, eyes, targets);
    writeSceneFile(d + "tun/cyl.SCENE.scene",
                   {"   1tube.mesh   0", "   2plate.mesh   0", "   3cyl.camera   0"});

    writeBoxMesh(d + "planb/b.mesh", 30);
    writeSceneFile(d + "planb/3b.SCENE.scene", {"   1b.mesh   0"});

    writeSyncFile(d + "Rari.sync", syncSeconds * 30, 8, sync);
}

}  // namespace showtest
