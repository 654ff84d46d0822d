#include "platform/d3d9/gl/FixedFunctionGlsl.h"

#include <cstdarg>
#include <cstdio>

#include "platform/d3d9/internal.h"

namespace d3d9::detail {
namespace {

// Varying locations shared by the two stages.
constexpr int kVaryingDiffuse = 0, kVaryingSpecular = 1, kVaryingFog = 2, kVaryingTex = 3;

void add(std::string& s, const char* format, ...) __attribute__((format(printf, 2, 3)));
void add(std::string& s, const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n > 0) s.append(line, static_cast<std::size_t>(n) < sizeof line ? n : sizeof line - 1);
}

const char* floatType(unsigned size) {
    static const char* const types[] = {"vec4", "float", "vec2", "vec3", "vec4"};
    return types[size <= 4 ? size : 0];
}

const char* swizzle(unsigned size) {
    static const char* const parts[] = {"", ".x", ".xy", ".xyz", ""};
    return parts[size <= 4 ? size : 0];
}

// An effect's varying of `size` components read as a vec4: the missing ones 0, w 1.
std::string padded(const std::string& name, unsigned size) {
    switch (size) {
        case 1: return "vec4(" + name + ", 0.0, 0.0, 1.0)";
        case 2: return "vec4(" + name + ", 0.0, 1.0)";
        case 3: return "vec4(" + name + ", 1.0)";
        default: return name;
    }
}

const char* materialColour(std::uint8_t source, const char* material) {
    if (source == D3DMCS_COLOR1) return "inDiffuse";
    if (source == D3DMCS_COLOR2) return "inSpecular";
    return material;
}

// D3D9 fills the coordinates a set lacks so that a 2D set's translation sits in the
// matrix's third row: (u, v) is transformed as (u, v, 1, 0).
const char* paddedTexCoord(unsigned size) {
    switch (size) {
        case 1: return "vec4(inTex%u.x, 1.0, 0.0, 0.0)";
        case 2: return "vec4(inTex%u.xy, 1.0, 0.0)";
        case 3: return "vec4(inTex%u.xyz, 1.0)";
        default: return "inTex%u";
    }
}

void vertexLight(std::string& s, const FixedFunctionKey& k, unsigned i) {
    const unsigned type = k.lightTypes[i];
    add(s, "    {\n        float att = 1.0, spot = 1.0;\n        vec3 L;\n");
    if (type == D3DLIGHT_DIRECTIONAL) {
        add(s, "        L = -normalize(mat3(uView) * uLightDirection[%u]);\n", i);
    } else {
        add(s, "        vec3 toLight = (uView * vec4(uLightPosition[%u], 1.0)).xyz - cp.xyz;\n", i);
        add(s, "        float dist = length(toLight);\n        L = dist > 0.0 ? toLight / dist : vec3(0.0, 0.0, -1.0);\n");
        add(s, "        vec4 a = uLightAttenuation[%u];\n", i);
        add(s, "        float den = a.x + a.y * dist + a.z * dist * dist;\n");
        add(s, "        att = dist > a.w ? 0.0 : (den > 0.0 ? 1.0 / den : 1.0);\n");
        if (type == D3DLIGHT_SPOT) {
            add(s, "        vec3 sp = uLightSpot[%u];\n", i);
            add(s, "        float rho = dot(normalize(mat3(uView) * uLightDirection[%u]), -L);\n", i);
            add(s, "        spot = rho > sp.x ? 1.0 : (rho <= sp.y ? 0.0 : "
                   "pow(max((rho - sp.y) / (sp.x - sp.y), 0.0), sp.z));\n");
        }
    }
    add(s, "        float k = att * spot;\n        float nl = dot(N, L);\n");
    add(s, "        ambient += k * uLightAmbient[%u].rgb;\n", i);
    add(s, "        if (nl > 0.0) {\n            diffuse += k * nl * uLightDiffuse[%u].rgb;\n", i);
    if (k.specular) {
        add(s, "            vec3 H = normalize(%s + L);\n",
            k.localViewer ? "normalize(-cp.xyz)" : "vec3(0.0, 0.0, -1.0)");
        add(s, "            float nh = max(dot(N, H), 0.0);\n");
        add(s, "            specular += k * (uMaterialPower > 0.0 ? pow(nh, uMaterialPower) : 1.0) * "
               "uLightSpecular[%u].rgb;\n", i);
    }
    add(s, "        }\n    }\n");
}

void fogFactor(std::string& s, unsigned mode, const char* depth) {
    switch (mode) {
        case D3DFOG_LINEAR:
            add(s, "    float fog = uFog.y != uFog.x ? (uFog.y - %s) / (uFog.y - uFog.x) : 1.0;\n", depth);
            break;
        case D3DFOG_EXP: add(s, "    float fog = exp(-%s * uFog.z);\n", depth); break;
        default: add(s, "    float fog = exp(-(%s * uFog.z) * (%s * uFog.z));\n", depth, depth); break;
    }
}

}  // namespace

std::string fixedFunctionVertexGlsl(const FixedFunctionKey& k) {
    std::string s;
    s.reserve(4096);
    add(s, "#version 450 core\nlayout(location = 0) in vec4 inPosition;\n");
    if (k.hasNormal) add(s, "layout(location = 1) in vec3 inNormal;\n");
    if (k.hasDiffuse) add(s, "layout(location = 12) in vec4 inDiffuse;\n");
    if (k.hasSpecular) add(s, "layout(location = 13) in vec4 inSpecular;\n");
    for (unsigned i = 0; i < k.texSets; ++i) add(s, "layout(location = %u) in vec4 inTex%u;\n", 2 + i, i);
    add(s, "uniform mat4 uWorld, uView, uProjection;\nuniform mat4 uTextureMatrix[8];\n"
           "uniform vec2 uPixelOffset, uTargetSize;\n"
           "uniform vec4 uMaterialDiffuse, uMaterialAmbient, uMaterialSpecular, uMaterialEmissive;\n"
           "uniform float uMaterialPower;\nuniform vec4 uAmbient;\n"
           "uniform vec4 uLightDiffuse[8], uLightSpecular[8], uLightAmbient[8], uLightAttenuation[8];\n"
           "uniform vec3 uLightPosition[8], uLightDirection[8], uLightSpot[8];\nuniform vec3 uFog;\n");
    add(s, "layout(std140, binding = %u) uniform gh_ClipPlanes { vec4 gh_clipPlane[6]; vec4 gh_pointSize; };\n",
        internal::kClipPlaneBinding);
    if (k.shaderStage == 2) {
        // Feeding an effect's pixel shader: its inputs, at its locations and sizes.
        add(s, "vec4 vDiffuse, vSpecular;\nfloat vFog;\n");
        for (unsigned loc = 0; loc < kLinkLocations; ++loc)
            if (k.linkSizes[loc]) add(s, "layout(location = %u) out %s gh_link%u;\n", loc, floatType(k.linkSizes[loc]), loc);
    } else {
        add(s, "layout(location = %d) out vec4 vDiffuse;\nlayout(location = %d) out vec4 vSpecular;\n"
               "layout(location = %d) out float vFog;\n", kVaryingDiffuse, kVaryingSpecular, kVaryingFog);
        for (unsigned st = 0; st < k.stageCount; ++st)
            add(s, "layout(location = %u) out vec4 vTex%u;\n", kVaryingTex + st, st);
    }
    add(s, "void main() {\n");
    if (k.pretransformed) {
        // Screen pixels, D3D9's pixel centres on integers; w = 1/rhw keeps perspective.
        add(s, "    float w = inPosition.w != 0.0 ? 1.0 / inPosition.w : 1.0;\n"
               "    vec2 ndc = vec2((inPosition.x + 0.5) / uTargetSize.x * 2.0 - 1.0,\n"
               "                    1.0 - (inPosition.y + 0.5) / uTargetSize.y * 2.0);\n"
               "    gl_Position = vec4(ndc * w, inPosition.z * w, w);\n"
               "    vec4 cp = vec4(0.0, 0.0, w, 1.0);\n    vec3 N = vec3(0.0, 0.0, -1.0);\n");
        // D3D9 clips no pre-transformed vertex against the user's planes.
        for (int i = 0; i < 6; ++i) add(s, "    gl_ClipDistance[%d] = 1.0;\n", i);
    } else {
        add(s, "    vec4 cp = uView * (uWorld * vec4(inPosition.xyz, 1.0));\n"
               "    gl_Position = uProjection * cp;\n"
               "    gl_Position.xy += uPixelOffset * gl_Position.w;\n");
        // The fixed pipeline's clip planes are in world space (a shader's, in clip space).
        add(s, "    vec4 worldPosition = uWorld * vec4(inPosition.xyz, 1.0);\n");
        for (int i = 0; i < 6; ++i) add(s, "    gl_ClipDistance[%d] = dot(worldPosition, gh_clipPlane[%d]);\n", i, i);
        if (k.hasNormal) {
            add(s, "    vec3 N = transpose(inverse(mat3(uView * uWorld))) * inNormal;\n");
            if (k.normalize) add(s, "    N = length(N) > 0.0 ? normalize(N) : N;\n");
        } else {
            add(s, "    vec3 N = vec3(0.0);\n");
        }
    }
    if (k.lighting) {
        add(s, "    vec3 ambient = uAmbient.rgb, diffuse = vec3(0.0), specular = vec3(0.0);\n");
        for (unsigned i = 0; i < kFixedLights; ++i)
            if (k.lightTypes[i]) vertexLight(s, k, i);
        const char* cd = materialColour(k.diffuseSource, "uMaterialDiffuse");
        add(s, "    vDiffuse = vec4(clamp(%s.rgb + %s.rgb * ambient + %s.rgb * diffuse, 0.0, 1.0), %s.a);\n",
            materialColour(k.emissiveSource, "uMaterialEmissive"),
            materialColour(k.ambientSource, "uMaterialAmbient"), cd, cd);
        const char* cs = materialColour(k.specularSource, "uMaterialSpecular");
        add(s, "    vSpecular = vec4(clamp(%s.rgb * specular, 0.0, 1.0), %s.a);\n", cs, cs);
    } else {
        add(s, "    vDiffuse = %s;\n    vSpecular = %s;\n", k.hasDiffuse ? "inDiffuse" : "vec4(1.0)",
            k.hasSpecular ? "inSpecular" : "vec4(0.0)");
    }
    if (k.vertexFog == 0xFF) {
        add(s, "    vFog = inSpecular.a;\n");
    } else if (k.vertexFog) {
        add(s, "    float depth = %s;\n", k.rangeFog ? "length(cp.xyz)" : "cp.z");
        fogFactor(s, k.vertexFog, "depth");
        add(s, "    vFog = clamp(fog, 0.0, 1.0);\n");
    } else {
        // Table fog reads camera-space depth per pixel.
        add(s, "    vFog = cp.z;\n");
    }
    for (unsigned st = 0; st < kTextureStageCount; ++st) {
        // Set n of the vertex pipeline's output is stage n's coordinates.
        const bool wanted = k.shaderStage == 2 ? k.linkSizes[st] != 0 : st < k.stageCount;
        if (!wanted) continue;
        const FixedFunctionStage& t = k.stages[st];
        add(s, "    {\n        vec4 tc = vec4(0.0, 0.0, 0.0, 1.0);\n");
        switch (t.texGen) {
            case 1: add(s, "        tc = vec4(N, 1.0);\n"); break;
            case 2: add(s, "        tc = vec4(cp.xyz, 1.0);\n"); break;
            case 3: add(s, "        tc = vec4(reflect(normalize(cp.xyz), N), 1.0);\n"); break;
            case 4:
                add(s, "        vec3 r = reflect(normalize(cp.xyz), N);\n"
                       "        float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z - 1.0) * (r.z - 1.0));\n"
                       "        tc = m > 0.0 ? vec4(r.x / m + 0.5, -r.y / m + 0.5, 0.0, 1.0) : tc;\n");
                break;
            default:
                if (t.texCoord < k.texSets) {
                    char expr[64];
                    std::snprintf(expr, sizeof expr, paddedTexCoord(k.texSize[t.texCoord]), t.texCoord);
                    add(s, "        tc = %s;\n", expr);
                }
        }
        if (t.transformFlags & 7) add(s, "        tc = uTextureMatrix[%u] * tc;\n", st);
        if (k.shaderStage == 2) add(s, "        gh_link%u = tc%s;\n    }\n", st, swizzle(k.linkSizes[st]));
        else add(s, "        vTex%u = tc;\n    }\n", st);
    }
    if (k.shaderStage == 2) {
        for (unsigned loc = 8; loc < kLinkLocations; ++loc) {
            if (!k.linkSizes[loc]) continue;
            const char* value = loc == 16 ? "vDiffuse" : loc == 17 ? "vSpecular" : loc == 27 ? "vec4(vFog)" : "vec4(0.0)";
            add(s, "    gh_link%u = %s%s;\n", loc, value, swizzle(k.linkSizes[loc]));
        }
    }
    add(s, "}\n");
    return s;
}

namespace {

// One argument as a vec4: its source, then the modifiers.
std::string argument(std::uint8_t arg, unsigned stage) {
    static const char* const sources[] = {"diff", "cur", "tex", "uTextureFactor", "specular", "temp", nullptr};
    std::string x;
    if ((arg & 7) == D3DTA_CONSTANT) {
        x = "uStageConstant[" + std::to_string(stage) + "]";
    } else {
        x = (arg & 7) < 6 ? sources[arg & 7] : "cur";
    }
    if (arg & D3DTA_ALPHAREPLICATE) x = x + ".aaaa";
    if (arg & D3DTA_COMPLEMENT) x = "(1.0 - " + x + ")";
    return x;
}

// An op over the arguments a0, a1, a2 (vec4 locals), taking component c (".rgb"/".a").
std::string operation(unsigned op, const char* c) {
    const std::string C = c;
    auto A = [&](int i) { return "a" + std::to_string(i) + C; };
    switch (op) {
        case D3DTOP_SELECTARG1: return A(1);
        case D3DTOP_SELECTARG2: return A(2);
        case D3DTOP_MODULATE: return A(1) + " * " + A(2);
        case D3DTOP_MODULATE2X: return A(1) + " * " + A(2) + " * 2.0";
        case D3DTOP_MODULATE4X: return A(1) + " * " + A(2) + " * 4.0";
        case D3DTOP_ADD: return A(1) + " + " + A(2);
        case D3DTOP_ADDSIGNED: return A(1) + " + " + A(2) + " - 0.5";
        case D3DTOP_ADDSIGNED2X: return "(" + A(1) + " + " + A(2) + " - 0.5) * 2.0";
        case D3DTOP_SUBTRACT: return A(1) + " - " + A(2);
        case D3DTOP_ADDSMOOTH: return A(1) + " + " + A(2) + " - " + A(1) + " * " + A(2);
        case D3DTOP_BLENDDIFFUSEALPHA: return "mix(" + A(2) + ", " + A(1) + ", diff.a)";
        case D3DTOP_BLENDTEXTUREALPHA: return "mix(" + A(2) + ", " + A(1) + ", tex.a)";
        case D3DTOP_BLENDFACTORALPHA: return "mix(" + A(2) + ", " + A(1) + ", uTextureFactor.a)";
        case D3DTOP_BLENDTEXTUREALPHAPM: return A(1) + " + " + A(2) + " * (1.0 - tex.a)";
        case D3DTOP_BLENDCURRENTALPHA: return "mix(" + A(2) + ", " + A(1) + ", cur.a)";
        // Approximation: this stage's arg1 passes on unchanged.
        case D3DTOP_PREMODULATE: return A(1);
        case D3DTOP_MODULATEALPHA_ADDCOLOR: return A(1) + " + a1.a * " + A(2);
        case D3DTOP_MODULATECOLOR_ADDALPHA: return A(1) + " * " + A(2) + " + a1.a";
        case D3DTOP_MODULATEINVALPHA_ADDCOLOR: return "(1.0 - a1.a) * " + A(2) + " + " + A(1);
        case D3DTOP_MODULATEINVCOLOR_ADDALPHA: return "(1.0 - " + A(1) + ") * " + A(2) + " + a1.a";
        case D3DTOP_BUMPENVMAP:
        case D3DTOP_BUMPENVMAPLUMINANCE: return "cur" + C;
        case D3DTOP_DOTPRODUCT3:
            return std::string(C == ".a" ? "" : "vec3") + "(4.0 * dot(a1.rgb - 0.5, a2.rgb - 0.5))";
        case D3DTOP_MULTIPLYADD: return A(0) + " + " + A(1) + " * " + A(2);
        case D3DTOP_LERP: return "mix(" + A(2) + ", " + A(1) + ", " + A(0) + ")";
        default: return "cur" + C;
    }
}

const char* alphaCompare(unsigned func) {
    switch (func) {
        case D3DCMP_NEVER: return "false";
        case D3DCMP_LESS: return "cur.a < uAlphaRef";
        case D3DCMP_EQUAL: return "abs(cur.a - uAlphaRef) < 0.5 / 255.0";
        case D3DCMP_LESSEQUAL: return "cur.a <= uAlphaRef";
        case D3DCMP_GREATER: return "cur.a > uAlphaRef";
        case D3DCMP_NOTEQUAL: return "abs(cur.a - uAlphaRef) >= 0.5 / 255.0";
        case D3DCMP_GREATEREQUAL: return "cur.a >= uAlphaRef";
        default: return "true";
    }
}

}  // namespace

std::string fixedFunctionPixelGlsl(const FixedFunctionKey& k) {
    std::string s;
    s.reserve(4096);
    std::string linked;  // fed by an effect's vertex shader: its outputs as the usual names
    if (k.shaderStage == 1) {
        add(s, "#version 450 core\n");
        bool declared[kLinkLocations] = {};
        auto input = [&](unsigned loc, const char* name, const char* unwritten) {
            if (!k.linkSizes[loc]) {
                linked += std::string("    ") + name + " = " + unwritten + ";\n";
                return;
            }
            if (!declared[loc]) add(s, "layout(location = %u) in %s gh_link%u;\n", loc, floatType(k.linkSizes[loc]), loc);
            declared[loc] = true;
            const std::string value = padded("gh_link" + std::to_string(loc), k.linkSizes[loc]);
            linked += std::string("    ") + name + " = " + value + (loc == 27 ? ".x" : "") + ";\n";
        };
        add(s, "vec4 vDiffuse, vSpecular;\nfloat vFog;\n");
        input(16, "vDiffuse", "vec4(1.0)");
        input(17, "vSpecular", "vec4(0.0)");
        input(27, "vFog", "1.0");
        for (unsigned st = 0; st < k.stageCount; ++st) {
            add(s, "vec4 vTex%u;\n", st);
            input(k.stages[st].texCoord, ("vTex" + std::to_string(st)).c_str(), "vec4(0.0)");
        }
    } else {
        add(s, "#version 450 core\nlayout(location = %d) in vec4 vDiffuse;\nlayout(location = %d) in vec4 vSpecular;\n"
               "layout(location = %d) in float vFog;\n", kVaryingDiffuse, kVaryingSpecular, kVaryingFog);
        for (unsigned st = 0; st < k.stageCount; ++st) add(s, "layout(location = %u) in vec4 vTex%u;\n", kVaryingTex + st, st);
    }
    for (unsigned st = 0; st < k.stageCount; ++st)
        add(s, "layout(binding = %u) uniform %s uTexture%u;\n", st, k.stages[st].hasTexture == 2 ? "samplerCube" : "sampler2D",
            st);
    add(s, "uniform vec4 uTextureFactor, uFogColor;\nuniform vec4 uStageConstant[8], uBumpMatrix[8];\n"
           "uniform vec2 uBumpLuminance[8];\nuniform vec3 uFog;\nuniform float uAlphaRef;\n"
           "layout(location = 0) out vec4 oColor;\nvoid main() {\n");
    s += linked;
    add(s, "    vec4 diff = vDiffuse, specular = vSpecular, cur = vDiffuse, temp = vec4(0.0);\n"
           "    vec2 bump = vec2(0.0);\n    float lum = 1.0;\n");
    for (unsigned st = 0; st < k.stageCount; ++st) {
        const FixedFunctionStage& t = k.stages[st];
        add(s, "    {\n        vec4 tex = vec4(1.0);\n");
        if (t.hasTexture == 2) {
            // A cube reads along the coordinates as a direction: no projection, no bump offset.
            add(s, "        tex = texture(uTexture%u, vTex%u.xyz);\n        tex.rgb *= lum;\n", st, st);
        } else if (t.hasTexture) {
            if (t.transformFlags & 8) {
                // Projected: divide by the last of the coordinates the count keeps.
                add(s, "        float q = vTex%u[%u];\n", st, (t.transformFlags & 7) - 1);
                add(s, "        vec2 uv = (q != 0.0 ? vTex%u.xy / q : vTex%u.xy) + bump;\n", st, st);
            } else {
                add(s, "        vec2 uv = vTex%u.xy + bump;\n", st);
            }
            add(s, "        tex = texture(uTexture%u, uv);\n        tex.rgb *= lum;\n", st);
        }
        add(s, "        bump = vec2(0.0);\n        lum = 1.0;\n");
        for (int a = 0; a < 3; ++a) add(s, "        vec4 a%d = %s;\n", a, argument(t.colorArg[a], st).c_str());
        add(s, "        vec3 rgb = %s;\n", operation(t.colorOp, ".rgb").c_str());
        for (int a = 0; a < 3; ++a) add(s, "        a%d = %s;\n", a, argument(t.alphaArg[a], st).c_str());
        if (t.colorOp == D3DTOP_DOTPRODUCT3) {
            add(s, "        float alpha = rgb.r;\n");  // the dot product fills alpha too
        } else if (t.alphaOp == D3DTOP_DISABLE || t.alphaOp == 0 ||
                   (t.alphaOp >= D3DTOP_MODULATEALPHA_ADDCOLOR && t.alphaOp <= D3DTOP_MODULATEINVCOLOR_ADDALPHA)) {
            // Colour-only ops carry no alpha: the current alpha passes on.
            add(s, "        float alpha = cur.a;\n");
        } else {
            add(s, "        float alpha = %s;\n", operation(t.alphaOp, ".a").c_str());
        }
        add(s, "        %s = clamp(vec4(rgb, alpha), 0.0, 1.0);\n", t.result == D3DTA_TEMP ? "temp" : "cur");
        if (t.colorOp == D3DTOP_BUMPENVMAP || t.colorOp == D3DTOP_BUMPENVMAPLUMINANCE) {
            // Unsigned texels stand for signed offsets here: 0..1 maps to -1..1.
            add(s, "        vec2 d = tex.rg * 2.0 - 1.0;\n        vec4 m = uBumpMatrix[%u];\n", st);
            add(s, "        bump = vec2(m.x * d.x + m.z * d.y, m.y * d.x + m.w * d.y);\n");
            if (t.colorOp == D3DTOP_BUMPENVMAPLUMINANCE)
                add(s, "        lum = tex.b * uBumpLuminance[%u].x + uBumpLuminance[%u].y;\n", st, st);
        }
        add(s, "    }\n");
    }
    if (k.specular) add(s, "    cur.rgb = clamp(cur.rgb + specular.rgb, 0.0, 1.0);\n");
    if (k.tableFog) {
        fogFactor(s, k.tableFog, "vFog");
        add(s, "    cur.rgb = mix(uFogColor.rgb, cur.rgb, clamp(fog, 0.0, 1.0));\n");
    } else if (k.vertexFog) {
        add(s, "    cur.rgb = mix(uFogColor.rgb, cur.rgb, clamp(vFog, 0.0, 1.0));\n");
    }
    if (k.alphaFunc && k.alphaFunc != D3DCMP_ALWAYS) add(s, "    if (!(%s)) discard;\n", alphaCompare(k.alphaFunc));
    add(s, "    oColor = cur;\n}\n");
    return s;
}

}  // namespace d3d9::detail
