#include "PreviewBinder.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "PlotCanvas.h"
#include "PreviewScript.h"
#include "platform/d3dx9/effect/CompiledEffect.h"
#include "platform/d3dx9/effect/EffectDescription.h"

namespace tool {

namespace {

// Upper case, letters and digits only: "g_WorldViewProj" -> "GWORLDVIEWPROJ".
std::string key(const std::string& text) {
    std::string k;
    for (char c : text)
        if (std::isalnum(static_cast<unsigned char>(c))) k += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return k;
}

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

bool consume(std::string& text, std::size_t& at, const char* token) {
    const std::size_t n = std::char_traits<char>::length(token);
    if (text.compare(at, n, token) != 0) return false;
    at += n;
    return true;
}

// The name without a Hungarian or member prefix: "g_time", "fTime", "m_Eye" -> "time", "Time", "Eye".
std::string bareName(const std::string& name) {
    std::size_t u = name.find('_');
    if (u != std::string::npos && u <= 2 && u + 1 < name.size()) return name.substr(u + 1);
    if (name.size() > 2 && std::islower(static_cast<unsigned char>(name[0])) &&
        std::isupper(static_cast<unsigned char>(name[1])))
        return name.substr(1);
    return name;
}

const fx::Annotation* annotation(const fx::Parameter& p, const char* name) {
    for (const fx::Annotation& a : p.annotations)
        if (key(a.name) == key(name)) return &a;
    return nullptr;
}

std::string annotationText(const fx::Parameter& p, const char* name) {
    const fx::Annotation* a = annotation(p, name);
    return a && a->kind == fx::ValueKind::String ? a->text : std::string();
}

D3DXMATRIX product(const PreviewScene& s, const MatrixRequest& r) {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    if (r.world) D3DXMatrixMultiply(&m, &m, &s.world);
    if (r.view) D3DXMatrixMultiply(&m, &m, &s.view);
    if (r.projection) D3DXMatrixMultiply(&m, &m, &s.projection);
    if (r.inverse) D3DXMatrixInverse(&m, nullptr, &m);
    if (r.transpose) D3DXMatrixTranspose(&m, &m);
    return m;
}

std::string describe(const MatrixRequest& r) {
    std::string d;
    for (auto [on, name] : {std::pair{r.world, "world"}, {r.view, "view"}, {r.projection, "projection"}})
        if (on) d += (d.empty() ? "" : " x ") + std::string(name);
    if (r.inverse) d += ", inverted";
    if (r.transpose) d += ", transposed";
    return d;
}

bool oneOf(const std::string& k, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return k == n; });
}

std::string formatted(const float* v, int n) {
    std::string s = "(";
    for (int i = 0; i < n; ++i) {
        char b[24];
        std::snprintf(b, sizeof b, "%s%.3g", i ? ", " : "", static_cast<double>(v[i]));
        s += b;
    }
    return s + ")";
}

// No initial value, or one of zeros (either sign): what the host program sets.
bool leftZero(const fx::Parameter& p) {
    return std::all_of(p.initial.begin(), p.initial.end(), [](std::uint32_t w) { return (w & 0x7FFFFFFFu) == 0; });
}

bool containsAny(const std::string& text, std::initializer_list<const char*> parts) {
    return std::any_of(parts.begin(), parts.end(), [&](const char* part) { return contains(text, part); });
}

// A vector parameter's initial value when the file gives one that is not all zero.
bool initialFloats(const fx::Parameter& p, float out[3] = nullptr) {
    if (p.kind != fx::ValueKind::Float || p.initial.size() < 3) return false;
    if (leftZero(p)) return false;
    if (out) std::memcpy(out, p.initial.data(), 3 * sizeof(float));
    return true;
}

}  // namespace

bool asksHalfViewport(const fx::Parameter& p) {
    const auto half = [](const std::string& t) {
        return contains(t, "HALF") && (contains(t, "VIEWPORT") || contains(t, "SCREEN") || contains(t, "VIEWHALF") ||
                                       contains(t, "HALFVIEW"));
    };
    return p.isValue() && p.rows == 1 && p.cols >= 2 && (half(key(p.semantic)) || half(key(bareName(bareName(p.name)))));
}

bool asksViewportSize(const fx::Parameter& p) {
    const std::string sem = key(p.semantic), k = key(bareName(bareName(p.name)));
    return p.isValue() && p.rows == 1 && p.cols >= 2 &&
           (asksHalfViewport(p) || oneOf(sem, {"VIEWPORTPIXELSIZE", "VIEWPORTSIZE", "SCREENSIZE", "RESOLUTION"}) ||
            oneOf(k, {"VIEWPORTSIZE", "VIEWPORTPIXELSIZE", "SCREENSIZE", "RESOLUTION", "SCREENRES"}) ||
            (p.cols == 2 && k == "VIEWPORT"));  // XNA sprite shaders' float2 Viewport
}

bool asksSpriteMatrix(const fx::Parameter& p) {
    // XNA's and MonoGame's SpriteBatch hand their sprite shaders this one: pixels to clip space.
    return p.isValue() && p.rows == 4 && p.cols == 4 && p.arraySize == 0 && p.semantic.empty() &&
           key(bareName(bareName(p.name))) == "MATRIXTRANSFORM";
}

PreviewScene defaultPreviewScene(unsigned width, unsigned height) {
    PreviewScene s;
    s.width = width;
    s.height = height;
    // A slight turn, so that a cube shows three faces; the camera close enough that the
    // mesh fills most of the tile.
    D3DXMATRIX yaw, pitch;
    D3DXMatrixRotationY(&yaw, 0.6f);
    D3DXMatrixRotationX(&pitch, 0.35f);
    D3DXMatrixMultiply(&s.world, &yaw, &pitch);
    const D3DXVECTOR3 eye(0.0f, 0.5f, -2.75f), at(0.0f, 0.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&s.view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&s.projection, 0.8f, height ? static_cast<float>(width) / height : 1.0f, 0.1f, 100.0f);
    s.eye[0] = eye.x, s.eye[1] = eye.y, s.eye[2] = eye.z;
    // Above, left and in front of the mesh.
    s.lightPosition[0] = -3.0f, s.lightPosition[1] = 4.0f, s.lightPosition[2] = -4.0f;
    s.time = 2.0f;
    return s;
}

bool parseMatrixName(const std::string& text, MatrixRequest& request) {
    std::string k = key(text);
    bool suffixed = false;
    for (const char* suffix : {"XF", "MATRIX", "MTX", "MAT"}) {
        const std::size_t n = std::char_traits<char>::length(suffix);
        if (k.size() > n && k.compare(k.size() - n, n, suffix) == 0) {
            k.resize(k.size() - n);
            suffixed = true;
            break;
        }
    }
    // Longest first, so that WORLDVIEW is not read as WORLD followed by "VIEW".
    static const struct {
        const char* token;
        bool world, view, projection;
    } bases[] = {{"OBJECTTOVIEW", 1, 1, 0},       {"OBJECTTOCLIP", 1, 1, 1},       {"OBJECTTOWORLD", 1, 0, 0},
                 {"WORLDTOVIEW", 0, 1, 0},        {"WORLDVIEWPROJECTION", 1, 1, 1}, {"MODELVIEWPROJECTION", 1, 1, 1}, {"WORLDVIEWPROJ", 1, 1, 1},
                 {"MODELVIEWPROJ", 1, 1, 1},       {"VIEWPROJECTION", 0, 1, 1},      {"WORLDVIEW", 1, 1, 0},
                 {"MODELVIEW", 1, 1, 0},           {"PROJECTION", 0, 0, 1},          {"VIEWPROJ", 0, 1, 1},
                 {"WORLD", 1, 0, 0},               {"MODEL", 1, 0, 0},               {"VIEW", 0, 1, 0},
                 {"PROJ", 0, 0, 1},                {"WVP", 1, 1, 1},                 {"MVP", 1, 1, 1},
                 {"WV", 1, 1, 0},                  {"VP", 0, 1, 1},                  {"W", 1, 0, 0},
                 {"V", 0, 1, 0},                   {"P", 0, 0, 1}};
    for (std::size_t start = 0; start < k.size(); ++start) {
        for (const auto& b : bases) {
            std::size_t at = start;
            if (!consume(k, at, b.token)) continue;
            const std::string prefix = k.substr(0, start);
            if (!oneOf(prefix, {"", "M", "MAT", "MTX", "MATRIX", "G", "GMAT", "GM", "FX"})) return false;
            // One letter ("WMatrix", "matV") names a matrix only beside a word that says so.
            if (b.token[1] == '\0' && prefix.empty() && !suffixed) return false;
            MatrixRequest r;
            r.world = b.world, r.view = b.view, r.projection = b.projection;
            while (at < k.size()) {
                if (consume(k, at, "INVERSETRANSPOSE") || consume(k, at, "INVTRANSPOSE") ||
                    consume(k, at, "INVTRANS") || consume(k, at, "IT")) {
                    r.inverse = r.transpose = true;
                } else if (consume(k, at, "INVERSE") || consume(k, at, "INV") || consume(k, at, "I")) {
                    r.inverse = true;
                } else if (consume(k, at, "TRANSPOSE") || consume(k, at, "TRANS") || consume(k, at, "T")) {
                    r.transpose = true;
                } else {
                    return false;
                }
            }
            request = r;
            return true;
        }
    }
    return false;
}

PreviewBinder::PreviewBinder(IDirect3DDevice9* device, std::string folder, std::string scratch)
    : device_(device), folder_(std::move(folder)), scratch_(std::move(scratch)) {}

PreviewBinder::~PreviewBinder() {
    if (checker_) checker_->Release();
    if (flatNormal_) flatNormal_->Release();
    if (cube_) cube_->Release();
    for (auto& [path, t] : loaded_) t->Release();
}

IDirect3DTexture9* PreviewBinder::builtIn(bool normalMap, std::string& why) {
    IDirect3DTexture9*& slot = normalMap ? flatNormal_ : checker_;
    if (slot) return slot;
    // The layer fills textures from image files only, so the built-in ones go through one.
    PlotCanvas c(128, 128, normalMap ? Rgb{128, 128, 255} : Rgb{220, 214, 200});
    if (!normalMap)
        for (int y = 0; y < 8; ++y)
            for (int x = (y & 1); x < 8; x += 2) c.fill(x * 16, y * 16, x * 16 + 16, y * 16 + 16, Rgb{70, 96, 150});
    const std::string path = scratch_ + (normalMap ? "/flat-normal.png" : "/checker.png");
    if (!c.writePng(path.c_str()) || FAILED(D3DXCreateTextureFromFileA(device_, path.c_str(), &slot))) {
        why = "the built-in texture could not be made";
        slot = nullptr;
    }
    return slot;
}

IDirect3DTexture9* PreviewBinder::fromFile(const std::string& name, std::string& found, std::string& why) {
    namespace fs = std::filesystem;
    if (name.empty() || name.size() > 1024) return nullptr;
    std::string base = name;
    const std::size_t slash = base.find_last_of("/\\");
    if (slash != std::string::npos) base = base.substr(slash + 1);
    std::error_code ec;
    for (const std::string& candidate : {name, base}) {
        const fs::path path = fs::path(folder_) / candidate;
        if (candidate.empty() || !fs::is_regular_file(path, ec)) continue;
        // Bound again every frame by the workbench: each file is read once.
        for (const auto& [loadedPath, t] : loaded_)
            if (loadedPath == path.string()) return found = candidate, t;
        IDirect3DTexture9* t = nullptr;
        if (SUCCEEDED(D3DXCreateTextureFromFileA(device_, path.c_str(), &t)) && t) {
            loaded_.emplace_back(path.string(), t);
            found = candidate;
            return t;
        }
        why = candidate + " is not an image this tool reads";
        return nullptr;
    }
    why = name + " is not beside the effect";
    return nullptr;
}

void PreviewBinder::bindStages(const fx::CompiledEffect& compiled, std::vector<std::string>& report) {
    bool done[16] = {};
    for (const fx::CompiledProgram& program : compiled.programs) {
        for (std::size_t unit = 0; unit < program.samplers.size(); ++unit) {
            const fx::SamplerBinding& b = program.samplers[unit];
            const int stage = b.stage >= 0 ? b.stage : static_cast<int>(unit);
            if (b.texture >= 0 || stage >= 16 || done[stage]) continue;
            done[stage] = true;
            std::string why;
            IDirect3DBaseTexture9* t = b.cube ? static_cast<IDirect3DBaseTexture9*>(builtInCube(why)) : builtIn(false, why);
            if (t) device_->SetTexture(static_cast<DWORD>(stage), t);
            report.push_back(std::string(t ? "bound     " : "not bound ") + "sampler " + b.name + " (stage " +
                             std::to_string(stage) + ", no texture of its own): " +
                             (t ? (b.cube ? "built-in cube" : "built-in checker") : why));
        }
    }
}

void PreviewBinder::bind(ID3DXEffect* effect, const fx::CompiledEffect& compiled, const PreviewScene& s,
                         std::vector<std::string>& report) {
    const fx::EffectDescription& d = compiled.description;
    bound_.clear();
    // A plain `texture` parameter is a cube when a cube sampler reads it.
    const auto sampledAsCube = [&](std::size_t parameter) {
        for (const fx::CompiledProgram& program : compiled.programs)
            for (const fx::SamplerBinding& b : program.samplers)
                if (b.cube && b.texture == static_cast<int>(parameter)) return true;
        return false;
    };
    for (std::size_t index = 0; index < d.parameters.size(); ++index) {
        // The register files of asm shaders follow the file's own parameters: the pass fills them.
        if (d.hiddenParameters >= 0 && index >= static_cast<std::size_t>(d.hiddenParameters)) break;
        const fx::Parameter& p = d.parameters[index];
        if (isRenderTarget(p)) continue;  // the script's targets, made with them
        const std::string sem = key(p.semantic), k = key(bareName(bareName(p.name)));
        const std::string type = p.typeName + (p.arraySize > 0 ? "[" + std::to_string(p.arraySize) + "]" : "");
        const std::string title = p.name + " (" + type + (p.semantic.empty() ? "" : " : " + p.semantic) + ")";
        std::string bound, unbound;
        const char* h = p.name.c_str();
        if (p.kind == fx::ValueKind::Texture) {
            const std::string type = key(p.typeName);
            std::string file;
            for (const char* a : {"ResourceName", "name", "file", "filename", "texture"})
                if (file.empty()) file = annotationText(p, a);
            const std::string resource = key(annotationText(p, "ResourceType"));
            if (contains(type, "3D") || contains(type, "VOLUME") || contains(resource, "3D") ||
                contains(resource, "VOLUME")) {
                unbound = "volume textures are not available on this device";
            } else if (contains(type, "CUBE") || contains(resource, "CUBE") || sampledAsCube(index)) {
                // Cube files (DDS) are not read here: the built-in one shows which way each face looks.
                std::string why;
                IDirect3DCubeTexture9* cube = builtInCube(why);
                if (cube) {
                    effect->SetTexture(h, cube);
                    bound = "built-in cube";
                } else {
                    unbound = why;
                }
            } else {
                std::string found, why;
                IDirect3DTexture9* t = fromFile(file, found, why);
                if (t) {
                    bound = "file " + found;
                } else {
                    const std::string hint = k + key(file) + key(annotationText(p, "UIName"));
                    const bool normal = contains(hint, "NORMAL") || contains(hint, "BUMP") || contains(hint, "NRM") ||
                                        contains(hint, "NMAP");
                    std::string failed;
                    t = builtIn(normal, failed);
                    if (t) bound = std::string(normal ? "built-in flat normal map" : "built-in checker") +
                                   (why.empty() ? "" : " (" + why + ")");
                    else unbound = failed;
                }
                if (t) effect->SetTexture(h, t);
            }
        } else if (p.kind == fx::ValueKind::String || p.kind == fx::ValueKind::Bool || p.kind == fx::ValueKind::Int) {
            // Switches and counts keep the file's own values.
        } else if (asksSpriteMatrix(p)) {
            // Pixels onto D3D9's window coordinates one to one: the quad's corners at -0.5
            // cover the target's pixels exactly, as the sprites' do.
            const float w = static_cast<float>(s.width ? s.width : 1), hgt = static_cast<float>(s.height ? s.height : 1);
            const D3DXMATRIX m(2 / w, 0, 0, 0, 0, -2 / hgt, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1);
            effect->SetMatrix(h, &m);
            bound = "sprite pixels to clip space (" + std::to_string(s.width) + "x" + std::to_string(s.height) + ")";
        } else if (p.rows == 4 && p.cols == 4 && p.arraySize == 0) {
            MatrixRequest r;
            if (parseMatrixName(p.semantic, r) ||
                (p.semantic.empty() && parseMatrixName(bareName(bareName(p.name)), r))) {
                const D3DXMATRIX m = product(s, r);
                effect->SetMatrix(h, &m);
                bound = describe(r);
            }
        } else if (p.rows == 1 && p.cols == 2 && !annotationText(p, "ConvertPixelsToTexels").empty()) {
            // The DirectX samples' convention: offsets in pixels, which the host divides by
            // the size of the target the pass reads (here the tile's).
            const std::string from = annotationText(p, "ConvertPixelsToTexels");
            const int source = d.findParameter(from);
            const fx::Parameter* pixels = source >= 0 ? &d.parameters[static_cast<std::size_t>(source)] : nullptr;
            const std::size_t count = static_cast<std::size_t>(p.elementCount()) * 2;
            if (pixels && pixels->kind == fx::ValueKind::Float && pixels->initial.size() >= count) {
                std::vector<float> texels(count);
                std::memcpy(texels.data(), pixels->initial.data(), count * sizeof(float));
                for (std::size_t i = 0; i < count; ++i) texels[i] /= static_cast<float>(i % 2 ? s.height : s.width);
                effect->SetFloatArray(h, texels.data(), static_cast<UINT>(count));
                bound = from + " in texels of the " + std::to_string(s.width) + "x" + std::to_string(s.height) + " target";
            } else {
                unbound = "no pixel offsets named " + from + " to convert";
            }
        } else if (p.rows == 3 && p.cols == 3 && p.arraySize == 0 && contains(k, "NORMAL")) {
            // A normal matrix (as "g_mNormalXform"): normals into camera space, as the
            // inverse transpose of world x view; its upper 3x3 is what the shader reads.
            MatrixRequest r;
            r.world = r.view = r.inverse = r.transpose = true;
            const D3DXMATRIX m = product(s, r);
            effect->SetMatrix(h, &m);
            bound = "normal matrix (" + describe(r) + ")";
        } else if (p.rows >= 3 && p.cols >= 3 && p.arraySize > 0 &&
                   leftZero(p)) {
            // A matrix palette (skinning bones) the application fills: identity keeps the
            // mesh where it is, whichever way the shader reads rows and columns.
            std::vector<float> all;
            for (int e = 0; e < p.arraySize; ++e)
                for (int r = 0; r < p.rows; ++r)
                    for (int c = 0; c < p.cols; ++c) all.push_back(r == c ? 1.0f : 0.0f);
            effect->SetFloatArray(h, all.data(), static_cast<UINT>(all.size()));
            bound = "identity in every element";
        } else if (p.rows == 1) {
            const int n = p.cols;
            const std::string object = key(annotationText(p, "Object")) + key(annotationText(p, "UIName"));
            const bool light = contains(object, "LIGHT") || contains(k, "LIGHT") || contains(k, "LAMP") ||
                               sem == "DIRECTION" || contains(sem, "LIGHT");
            float v[4] = {0, 0, 0, 1};
            const float* pos = s.lightPosition;
            if (n == 1 && (sem == "TIME" || oneOf(k, {"TIME", "TIMER", "APPTIME"}))) {
                v[0] = s.time;
                bound = "time " + formatted(v, 1);
            } else if (asksHalfViewport(p)) {
                v[0] = s.width / 2.0f, v[1] = s.height / 2.0f;
                v[2] = 1.0f / v[0], v[3] = 1.0f / v[1];
                bound = "half the viewport size " + formatted(v, n);
            } else if (asksViewportSize(p)) {
                v[0] = static_cast<float>(s.width), v[1] = static_cast<float>(s.height);
                v[2] = 1.0f / v[0], v[3] = 1.0f / v[1];
                bound = "viewport size " + formatted(v, n);
            } else if (n >= 3 && (oneOf(sem, {"CAMERAPOSITION", "VIEWPOSITION", "EYEPOSITION", "WORLDCAMERAPOSITION"}) ||
                                  oneOf(k, {"CAMERAPOSITION", "CAMERAPOS", "CAMPOS", "EYEPOS", "EYEPOSITION",
                                            "VIEWPOSITION", "VIEWPOS", "EYE", "WORLDEYEPOS", "EYEPOSW"}))) {
                std::copy(s.eye, s.eye + 3, v);
                bound = "camera position " + formatted(v, n);
            } else if (n == 1 && light && (contains(k, "INTENSITY") || contains(k, "BRIGHTNESS")) && leftZero(p)) {
                // A light the host would switch on: at 0 it leaves the mesh black.
                v[0] = 1.0f;
                bound = "light intensity the file leaves 0 " + formatted(v, 1);
            } else if (n >= 3 && light && (sem == "DIRECTION" || contains(k, "DIR") || contains(k, "VEC"))) {
                // Files disagree on the sign. A file's own value shows which one its shaders use;
                // without one, a DIRECTION semantic (as in FX Composer's files) is the way the
                // light travels, while a bare name (as in the DirectX samples) points at the light.
                const float l = std::sqrt(pos[0] * pos[0] + pos[1] * pos[1] + pos[2] * pos[2]);
                for (int i = 0; i < 3; ++i) v[i] = pos[i] / l;
                v[3] = 0;
                float mine[3];
                const bool towards = initialFloats(p, mine) ? mine[0] * v[0] + mine[1] * v[1] + mine[2] * v[2] >= 0
                                                            : sem != "DIRECTION";
                if (!towards)
                    for (int i = 0; i < 3; ++i) v[i] = -v[i];
                bound = "light direction " + formatted(v, n) + (towards ? ", towards the light" : ", from the light");
            } else if (n >= 3 && light && (sem == "POSITION" || contains(k, "POS"))) {
                std::copy(pos, pos + 3, v);
                const bool inView = contains(k, "VIEW") && !contains(k, "VIEWPROJ");
                if (inView) {
                    D3DXVECTOR4 out;
                    const D3DXVECTOR3 world(pos[0], pos[1], pos[2]);
                    D3DXVec3Transform(&out, &world, &s.view);
                    v[0] = out.x, v[1] = out.y, v[2] = out.z;
                }
                bound = "light position " + formatted(v, n) + (inView ? " in view space" : "");
            } else if (n >= 3 && light && (oneOf(sem, {"DIFFUSE", "SPECULAR", "COLOR", "COLOUR", "LIGHTCOLOR"}) ||
                                           contains(k, "COLOR") || contains(k, "COLOUR") || contains(k, "DIFFUSE") ||
                                           contains(k, "SPECULAR") || contains(k, "INTENSITY"))) {
                v[0] = v[1] = v[2] = 1.0f;
                bound = "light colour " + formatted(v, n);
            } else if (n >= 3 && !initialFloats(p) &&
                       (contains(k + sem, "DIFFUSE") || contains(k + sem, "AMBIENT") || contains(k + sem, "COLOR"))) {
                // A material colour the application would set: black would hide the shading.
                const float c = contains(k + sem, "AMBIENT") ? 0.25f : 0.8f;
                v[0] = v[1] = v[2] = c;
                bound = "colour the file leaves black " + formatted(v, n);
            } else if (n == 1 && leftZero(p) && containsAny(k, {"EXPONENT", "SHININESS", "GLOSS", "SPECPOWER",
                                                                 "SPECULARPOWER"})) {
                v[0] = 32.0f;
                bound = "specular exponent the file leaves 0 " + formatted(v, 1);
            } else if (n == 1 && leftZero(p) && containsAny(k, {"COEF", "SCALE", "STRENGTH", "AMOUNT", "GAIN",
                                                                 "MULTIPLIER", "REFLECTIVITY", "INTENSITY",
                                                                 "SATURATION"})) {
                // A factor the host sets: at 0 it takes its term out of the picture.
                v[0] = 1.0f;
                bound = "factor the file leaves 0 " + formatted(v, 1);
            } else if (p.arraySize > 0 && leftZero(p) && (contains(k, "WEIGHT") || light)) {
                // A filter kernel or a set of lights the host fills: an even share each,
                // so that the taps sum to one, or the lights to one white light.
                const float share = 1.0f / static_cast<float>(p.elementCount());
                v[0] = v[1] = v[2] = v[3] = share;
                bound = std::string(light ? "lights" : "weights") + " the file leaves 0, an even share " +
                        formatted(v, n);
            }
            // Arrays (one entry a light) get the same value in every element.
            if (!bound.empty()) {
                std::vector<float> all;
                for (int e = 0; e < p.elementCount(); ++e) all.insert(all.end(), v, v + n);
                effect->SetFloatArray(h, all.data(), static_cast<UINT>(all.size()));
                if (p.arraySize > 0) bound += " in every element";
            }
        }
        if (!bound.empty()) bound_[p.name] = bound;
        if (!bound.empty()) report.push_back("bound     " + title + ": " + bound);
        else report.push_back("not bound " + title + ": " + (unbound.empty() ? "keeps the file's value" : unbound));
    }
}

}  // namespace tool
