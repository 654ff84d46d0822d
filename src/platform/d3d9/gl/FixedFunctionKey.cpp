#include "platform/d3d9/gl/FixedFunctionKey.h"

#include <algorithm>

namespace d3d9::detail {
namespace {

// A material source names a vertex colour; without that colour, or with COLORVERTEX
// off, D3D9 falls back to the material.
std::uint8_t source(DWORD chosen, bool colourVertex, bool diffuse, bool specular) {
    if (!colourVertex) return D3DMCS_MATERIAL;
    if (chosen == D3DMCS_COLOR1 && diffuse) return D3DMCS_COLOR1;
    if (chosen == D3DMCS_COLOR2 && specular) return D3DMCS_COLOR2;
    return D3DMCS_MATERIAL;
}

std::uint8_t fogMode(DWORD mode) { return mode <= D3DFOG_LINEAR ? static_cast<std::uint8_t>(mode) : 0; }

void withShader(const DeviceBase& d, FixedFunctionKey& key) {
    key.shaderStage = d.halfStage();
    key.shader = d.halfShader();
    std::memcpy(key.linkSizes, d.halfLinkSizes(), sizeof key.linkSizes);
    if (key.shaderStage == 1) {
        // The vertex shader does the vertex work; its fog output is the factor itself.
        const std::uint8_t fog = d.renderState(D3DRS_FOGENABLE) && !key.tableFog ? 1 : 0;
        const FixedFunctionKey pixel = key;
        std::memset(&key, 0, offsetof(FixedFunctionKey, stageCount));
        key.vertexFog = pixel.tableFog ? 0 : fog;
        key.tableFog = pixel.tableFog;
        key.specular = pixel.specular;
    } else {
        // The pixel shader does the pixel work. Output set n of the vertex pipeline takes
        // stage n's coordinate index, generation and transform, whatever its colour op.
        std::memset(&key.stageCount, 0, offsetof(FixedFunctionKey, pad) - offsetof(FixedFunctionKey, stageCount));
        key.specular = key.vertexFog = key.tableFog = key.rangeFog = 0;
        for (DWORD s = 0; s < kTextureStageCount; ++s) {
            FixedFunctionStage& st = key.stages[s];
            const DWORD tci = d.stageState(s, D3DTSS_TEXCOORDINDEX);
            st.texCoord = static_cast<std::uint8_t>(tci & 7);
            st.texGen = static_cast<std::uint8_t>(std::min<DWORD>(tci >> 16, 4));
            const DWORD ttf = d.stageState(s, D3DTSS_TEXTURETRANSFORMFLAGS);
            st.transformFlags = static_cast<std::uint8_t>((ttf & 7) > 4 ? 0 : (ttf & 7));
        }
    }
}

}  // namespace

void buildFixedFunctionKey(const DeviceBase& d, DWORD fvf, FixedFunctionKey& key,
                           DWORD lightIndex[kFixedLights]) {
    std::memset(&key, 0, sizeof key);
    key.pretransformed = (fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW;
    key.hasNormal = (fvf & D3DFVF_NORMAL) != 0;
    key.hasDiffuse = (fvf & D3DFVF_DIFFUSE) != 0;
    key.hasSpecular = (fvf & D3DFVF_SPECULAR) != 0;
    key.texSets = static_cast<std::uint8_t>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    for (unsigned i = 0; i < key.texSets; ++i) {
        static const std::uint8_t sizes[4] = {2, 3, 4, 1};
        key.texSize[i] = sizes[(fvf >> (16 + 2 * i)) & 3];
    }

    key.lighting = !key.pretransformed && d.renderState(D3DRS_LIGHTING) != 0;
    if (key.lighting) {
        unsigned n = 0;
        const auto& lights = d.lights();
        for (DWORD i = 0; i < lights.size() && n < kFixedLights; ++i) {
            if (!lights[i].enabled) continue;
            lightIndex[n] = i;
            key.lightTypes[n++] = static_cast<std::uint8_t>(lights[i].light.Type);
        }
        const bool cv = d.renderState(D3DRS_COLORVERTEX) != 0;
        key.diffuseSource = source(d.renderState(D3DRS_DIFFUSEMATERIALSOURCE), cv, key.hasDiffuse, key.hasSpecular);
        key.ambientSource = source(d.renderState(D3DRS_AMBIENTMATERIALSOURCE), cv, key.hasDiffuse, key.hasSpecular);
        key.specularSource = source(d.renderState(D3DRS_SPECULARMATERIALSOURCE), cv, key.hasDiffuse, key.hasSpecular);
        key.emissiveSource = source(d.renderState(D3DRS_EMISSIVEMATERIALSOURCE), cv, key.hasDiffuse, key.hasSpecular);
        key.localViewer = d.renderState(D3DRS_LOCALVIEWER) != 0;
        key.normalize = d.renderState(D3DRS_NORMALIZENORMALS) != 0;
    }
    key.specular = d.renderState(D3DRS_SPECULARENABLE) != 0;
    if (d.renderState(D3DRS_FOGENABLE)) {
        // Table fog wins when both are set, as on D3D9 hardware.
        key.tableFog = fogMode(d.renderState(D3DRS_FOGTABLEMODE));
        if (!key.tableFog) key.vertexFog = key.pretransformed ? 0 : fogMode(d.renderState(D3DRS_FOGVERTEXMODE));
        // Pre-transformed vertices carry their fog factor in the specular alpha.
        if (!key.tableFog && key.pretransformed && key.hasSpecular) key.vertexFog = 0xFF;
        key.rangeFog = d.renderState(D3DRS_RANGEFOGENABLE) != 0;
    }

    for (DWORD s = 0; s < kTextureStageCount; ++s) {
        const DWORD op = d.stageState(s, D3DTSS_COLOROP);
        if (op == D3DTOP_DISABLE || op > D3DTOP_LERP || op == 0) break;
        FixedFunctionStage& st = key.stages[s];
        st.colorOp = static_cast<std::uint8_t>(op);
        const DWORD alphaOp = d.stageState(s, D3DTSS_ALPHAOP);
        st.alphaOp = static_cast<std::uint8_t>(alphaOp <= D3DTOP_LERP ? alphaOp : D3DTOP_DISABLE);
        const DWORD colorArgs[3] = {D3DTSS_COLORARG0, D3DTSS_COLORARG1, D3DTSS_COLORARG2};
        const DWORD alphaArgs[3] = {D3DTSS_ALPHAARG0, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2};
        for (int a = 0; a < 3; ++a) {
            st.colorArg[a] = static_cast<std::uint8_t>(d.stageState(s, colorArgs[a]) & 0x3F);
            st.alphaArg[a] = static_cast<std::uint8_t>(d.stageState(s, alphaArgs[a]) & 0x3F);
        }
        st.result = (d.stageState(s, D3DTSS_RESULTARG) & D3DTA_SELECTMASK) == D3DTA_TEMP ? D3DTA_TEMP : D3DTA_CURRENT;
        const DWORD tci = d.stageState(s, D3DTSS_TEXCOORDINDEX);
        st.texCoord = static_cast<std::uint8_t>(tci & 7);
        st.texGen = static_cast<std::uint8_t>(std::min<DWORD>(tci >> 16, 4));
        const DWORD ttf = d.stageState(s, D3DTSS_TEXTURETRANSFORMFLAGS);
        st.transformFlags = static_cast<std::uint8_t>((ttf & 7) > 4 ? 0 : (ttf & 7));
        if ((ttf & D3DTTFF_PROJECTED) && st.transformFlags) st.transformFlags |= 8;
        const TextureStorage* bound = d.boundTexture(s);
        st.hasTexture = bound ? (bound->cube() ? 2 : 1) : 0;
        key.stageCount = static_cast<std::uint8_t>(s + 1);
    }
    if (d.renderState(D3DRS_ALPHATESTENABLE)) {
        const DWORD func = d.renderState(D3DRS_ALPHAFUNC);
        key.alphaFunc = static_cast<std::uint8_t>(func >= D3DCMP_NEVER && func <= D3DCMP_ALWAYS ? func : 0);
    }
    if (d.halfStage()) withShader(d, key);
}


}  // namespace d3d9::detail
