#include "platform/d3d9/FixedFunctionNames.h"

#include <cstdio>
#include <cstring>

namespace d3d9::detail {
namespace {

const char* const kStageStates[] = {
    nullptr, "D3DTSS_COLOROP", "D3DTSS_COLORARG1", "D3DTSS_COLORARG2", "D3DTSS_ALPHAOP",
    "D3DTSS_ALPHAARG1", "D3DTSS_ALPHAARG2", "D3DTSS_BUMPENVMAT00", "D3DTSS_BUMPENVMAT01",
    "D3DTSS_BUMPENVMAT10", "D3DTSS_BUMPENVMAT11", "D3DTSS_TEXCOORDINDEX", nullptr, nullptr,
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    "D3DTSS_BUMPENVLSCALE", "D3DTSS_BUMPENVLOFFSET", "D3DTSS_TEXTURETRANSFORMFLAGS", nullptr,
    "D3DTSS_COLORARG0", "D3DTSS_ALPHAARG0", "D3DTSS_RESULTARG", nullptr, nullptr, nullptr,
    "D3DTSS_CONSTANT",
};

const char* const kOps[] = {
    nullptr, "D3DTOP_DISABLE", "D3DTOP_SELECTARG1", "D3DTOP_SELECTARG2", "D3DTOP_MODULATE",
    "D3DTOP_MODULATE2X", "D3DTOP_MODULATE4X", "D3DTOP_ADD", "D3DTOP_ADDSIGNED",
    "D3DTOP_ADDSIGNED2X", "D3DTOP_SUBTRACT", "D3DTOP_ADDSMOOTH", "D3DTOP_BLENDDIFFUSEALPHA",
    "D3DTOP_BLENDTEXTUREALPHA", "D3DTOP_BLENDFACTORALPHA", "D3DTOP_BLENDTEXTUREALPHAPM",
    "D3DTOP_BLENDCURRENTALPHA", "D3DTOP_PREMODULATE", "D3DTOP_MODULATEALPHA_ADDCOLOR",
    "D3DTOP_MODULATECOLOR_ADDALPHA", "D3DTOP_MODULATEINVALPHA_ADDCOLOR",
    "D3DTOP_MODULATEINVCOLOR_ADDALPHA", "D3DTOP_BUMPENVMAP", "D3DTOP_BUMPENVMAPLUMINANCE",
    "D3DTOP_DOTPRODUCT3", "D3DTOP_MULTIPLYADD", "D3DTOP_LERP",
};

const char* const kArgs[] = {
    "D3DTA_DIFFUSE", "D3DTA_CURRENT", "D3DTA_TEXTURE", "D3DTA_TFACTOR",
    "D3DTA_SPECULAR", "D3DTA_TEMP", "D3DTA_CONSTANT",
};

template <std::size_t N>
const char* at(const char* const (&table)[N], DWORD i) {
    return i < N ? table[i] : nullptr;
}

}  // namespace

void transformName(DWORD state, char* out, std::size_t size) {
    if (state == D3DTS_VIEW) {
        std::snprintf(out, size, "D3DTS_VIEW");
    } else if (state == D3DTS_PROJECTION) {
        std::snprintf(out, size, "D3DTS_PROJECTION");
    } else if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) {
        std::snprintf(out, size, "D3DTS_TEXTURE%u", static_cast<unsigned>(state - D3DTS_TEXTURE0));
    } else if (state >= D3DTS_WORLD && state <= D3DTS_WORLD3) {
        std::snprintf(out, size, "D3DTS_WORLDMATRIX(%u)", static_cast<unsigned>(state - D3DTS_WORLD));
    } else {
        std::snprintf(out, size, "%u", static_cast<unsigned>(state));
    }
}

const char* stageStateName(DWORD type) { return at(kStageStates, type); }

void formatStageStateValue(DWORD type, DWORD value, char* out, std::size_t size) {
    switch (type) {
        case D3DTSS_COLOROP:
        case D3DTSS_ALPHAOP:
            if (const char* name = at(kOps, value)) {
                std::snprintf(out, size, "%s", name);
                return;
            }
            break;
        case D3DTSS_COLORARG0:
        case D3DTSS_COLORARG1:
        case D3DTSS_COLORARG2:
        case D3DTSS_ALPHAARG0:
        case D3DTSS_ALPHAARG1:
        case D3DTSS_ALPHAARG2:
        case D3DTSS_RESULTARG: {
            const char* name = at(kArgs, value & D3DTA_SELECTMASK);
            if (!name || (value & ~(D3DTA_SELECTMASK | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE))) break;
            std::snprintf(out, size, "%s%s%s", name,
                          (value & D3DTA_COMPLEMENT) ? "|D3DTA_COMPLEMENT" : "",
                          (value & D3DTA_ALPHAREPLICATE) ? "|D3DTA_ALPHAREPLICATE" : "");
            return;
        }
        case D3DTSS_BUMPENVMAT00:
        case D3DTSS_BUMPENVMAT01:
        case D3DTSS_BUMPENVMAT10:
        case D3DTSS_BUMPENVMAT11:
        case D3DTSS_BUMPENVLSCALE:
        case D3DTSS_BUMPENVLOFFSET: {
            float f;
            std::memcpy(&f, &value, sizeof f);
            std::snprintf(out, size, "%.9g", static_cast<double>(f));
            return;
        }
        case D3DTSS_TEXCOORDINDEX:
        case D3DTSS_TEXTURETRANSFORMFLAGS:
        case D3DTSS_CONSTANT:
            std::snprintf(out, size, "0x%x", static_cast<unsigned>(value));
            return;
        default: break;
    }
    std::snprintf(out, size, "%u", static_cast<unsigned>(value));
}

const char* lightTypeName(DWORD type) {
    switch (type) {
        case D3DLIGHT_POINT: return "D3DLIGHT_POINT";
        case D3DLIGHT_SPOT: return "D3DLIGHT_SPOT";
        case D3DLIGHT_DIRECTIONAL: return "D3DLIGHT_DIRECTIONAL";
        default: return "?";
    }
}

}  // namespace d3d9::detail
