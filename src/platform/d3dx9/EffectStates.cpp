// The states of a pass besides its render states and shaders: fixed-function render
// states, texture stages, samplers and textures by stage, transforms, lights and the
// material, each through the device call that names it, with its value evaluated when
// the pass begins. Begin keeps what they held and End puts it back.
#include <algorithm>
#include <cstring>

#include "platform/d3d9/internal.h"
#include "platform/d3dx9/EffectObject.h"

namespace fx {
namespace {

DWORD toDword(float f) { return static_cast<DWORD>(static_cast<long long>(f)); }

float component(const ExprValue& v, int k) { return v.count <= 0 ? 0.0f : v.v[v.count == 1 ? 0 : std::min(k, v.count - 1)]; }

DWORD colourByte(float f) { return static_cast<DWORD>(std::clamp(f, 0.0f, 1.0f) * 255.0f + 0.5f); }

// A D3DCOLOR from a float3/float4 (alpha 1 when missing), else the number itself.
DWORD packColour(const ExprValue& v, DWORD word) {
    if (v.count < 3) return word;
    float a = v.count >= 4 ? v.v[3] : 1.0f;
    return colourByte(a) << 24 | colourByte(v.v[0]) << 16 | colourByte(v.v[1]) << 8 | colourByte(v.v[2]);
}

D3DCOLORVALUE colourValue(const ExprValue& v) {
    return {component(v, 0), component(v, 1), component(v, 2), v.count >= 4 || v.count == 1 ? component(v, 3) : 1.0f};
}

D3DVECTOR vectorValue(const ExprValue& v) { return {component(v, 0), component(v, 1), component(v, 2)}; }

// The light D3D9 gives an index that was never set: white, directional, along +z.
D3DLIGHT9 defaultLight() {
    D3DLIGHT9 l{};
    l.Type = D3DLIGHT_DIRECTIONAL;
    l.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    l.Direction = {0.0f, 0.0f, 1.0f};
    return l;
}

const D3DSAMPLERSTATETYPE kBlockStates[] = {D3DSAMP_ADDRESSU,  D3DSAMP_ADDRESSV,  D3DSAMP_ADDRESSW, D3DSAMP_BORDERCOLOR,
                                            D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER, D3DSAMP_MIPFILTER};

DWORD blockValue(const SamplerDescription& s, D3DSAMPLERSTATETYPE type) {
    switch (type) {
        case D3DSAMP_ADDRESSU: return s.addressU;
        case D3DSAMP_ADDRESSV: return s.addressV;
        case D3DSAMP_ADDRESSW: return s.addressW;
        case D3DSAMP_BORDERCOLOR: return s.borderColor;
        case D3DSAMP_MAGFILTER: return s.magFilter;
        case D3DSAMP_MINFILTER: return s.minFilter;
        default: return s.mipFilter;
    }
}

}  // namespace

void Effect::choosePassProgram(int technique, int pass) {
    const auto t = static_cast<std::size_t>(technique);
    const auto n = static_cast<std::size_t>(pass);
    const PassDescription& p = compiled_->description.techniques[t].passes[n];
    passProgram_ = compiled_->passPrograms[t][n];
    passFixed_ = p.vertexEntry.empty() && p.pixelEntry.empty();
    const std::vector<int>& choices = compiled_->choicePrograms[t][n];
    if (choices.empty()) return;
    auto pick = [&](const ShaderChoice& c) -> std::size_t {
        if (c.shaders.empty()) return 0;
        ExprValue v;
        evaluateStateExpression(c.index, compiled_->description.parameters, values_.data(), valueOffsets_.data(), v);
        const float most = static_cast<float>(c.shaders.size() - 1);
        float i = v.v[0];
        if (!(i >= 0.0f)) i = 0.0f;  // NaN too
        return static_cast<std::size_t>(std::min(i, most));
    };
    const std::size_t v = pick(p.vertexChoice), px = pick(p.pixelChoice);
    const std::size_t pixels = std::max<std::size_t>(p.pixelChoice.shaders.size(), 1);
    const std::size_t at = v * pixels + px;
    passProgram_ = at < choices.size() ? choices[at] : -1;
    const std::string& vertex = p.vertexChoice.shaders.empty() ? p.vertexEntry : p.vertexChoice.shaders[v].entry;
    const std::string& pixel = p.pixelChoice.shaders.empty() ? p.pixelEntry : p.pixelChoice.shaders[px].entry;
    passFixed_ = vertex.empty() && pixel.empty();
}

// A render state's value now: a float state gets the bits of a float and a colour state a
// D3DCOLOR, whether the value is a constant, a parameter or an expression.
DWORD Effect::stateValue(const StateAssignment& a) const {
    const bool asFloat = a.kind == StateValueKind::Float, asColour = a.kind == StateValueKind::Color;
    ExprValue v;
    if (!a.expression.nodes.empty()) {
        evaluateStateExpression(a.expression, compiled_->description.parameters, values_.data(), valueOffsets_.data(), v);
    } else if (a.parameter >= 0) {
        const Parameter& p = compiled_->description.parameters[static_cast<std::size_t>(a.parameter)];
        const std::uint32_t* w = values_.data() + valueOffsets_[static_cast<std::size_t>(a.parameter)];
        const bool isFloat = p.kind == ValueKind::Float;
        if (!asFloat && !(asColour && isFloat)) return isFloat ? toDword(bitsFloat(w[0])) : w[0];
        v.count = std::min(p.rows * p.cols, 4);
        for (int k = 0; k < v.count; ++k)
            v.v[k] = isFloat ? bitsFloat(w[k]) : static_cast<float>(static_cast<std::int32_t>(w[k]));
    } else {
        return a.value;
    }
    if (asFloat) return floatBits(v.v[0]);
    if (asColour) return packColour(v, toDword(v.v[0]));
    return toDword(v.v[0]);
}

void Effect::applyDeviceStates(const PassDescription& pass) {
    const EffectDescription& d = compiled_->description;
    for (const DeviceState& s : pass.deviceStates) {
        ExprValue evaluated;
        const ExprValue* v = &s.constant;
        DWORD word = s.word;
        if (!s.expression.nodes.empty()) {
            evaluateStateExpression(s.expression, d.parameters, values_.data(), valueOffsets_.data(), evaluated);
            v = &evaluated;
            word = toDword(evaluated.v[0]);
        }
        if (s.value == DeviceValue::Float) word = floatBits(v->v[0]);
        if (s.value == DeviceValue::Color) word = packColour(*v, word);
        switch (s.kind) {
            case DeviceStateKind::Render: device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s.id), word); break;
            case DeviceStateKind::Sampler:
                device_->SetSamplerState(s.index, static_cast<D3DSAMPLERSTATETYPE>(s.id), word);
                break;
            case DeviceStateKind::Stage:
                device_->SetTextureStageState(s.index, static_cast<D3DTEXTURESTAGESTATETYPE>(s.id), word);
                break;
            case DeviceStateKind::Texture:
                device_->SetTexture(s.index, s.parameter >= 0 ? textures_[static_cast<std::size_t>(s.parameter)] : nullptr);
                break;
            case DeviceStateKind::SamplerBlock: {
                if (s.parameter < 0) break;
                const SamplerDescription& block = d.samplers[static_cast<std::size_t>(s.parameter)];
                device_->SetTexture(s.index, s.texture >= 0 ? textures_[static_cast<std::size_t>(s.texture)] : nullptr);
                for (D3DSAMPLERSTATETYPE type : kBlockStates) device_->SetSamplerState(s.index, type, blockValue(block, type));
                break;
            }
            case DeviceStateKind::ClipPlane: {
                const float plane[4] = {component(*v, 0), component(*v, 1), component(*v, 2), component(*v, 3)};
                device_->SetClipPlane(s.index, plane);
                break;
            }
            case DeviceStateKind::Transform: {
                D3DMATRIX m{};
                for (int k = 0; k < 16; ++k) m.m[k / 4][k % 4] = k < v->count ? v->v[k] : (k % 5 == 0 ? 1.0f : 0.0f);
                device_->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(s.id), &m);
                break;
            }
            case DeviceStateKind::LightEnable: device_->LightEnable(s.index, word != 0 ? TRUE : FALSE); break;
            case DeviceStateKind::Light: {
                D3DLIGHT9 l{};
                if (FAILED(device_->GetLight(s.index, &l))) l = defaultLight();
                switch (static_cast<LightMember>(s.id)) {
                    case LightMember::Type: l.Type = static_cast<D3DLIGHTTYPE>(word); break;
                    case LightMember::Diffuse: l.Diffuse = colourValue(*v); break;
                    case LightMember::Specular: l.Specular = colourValue(*v); break;
                    case LightMember::Ambient: l.Ambient = colourValue(*v); break;
                    case LightMember::Position: l.Position = vectorValue(*v); break;
                    case LightMember::Direction: l.Direction = vectorValue(*v); break;
                    case LightMember::Range: l.Range = v->v[0]; break;
                    case LightMember::Falloff: l.Falloff = v->v[0]; break;
                    case LightMember::Attenuation0: l.Attenuation0 = v->v[0]; break;
                    case LightMember::Attenuation1: l.Attenuation1 = v->v[0]; break;
                    case LightMember::Attenuation2: l.Attenuation2 = v->v[0]; break;
                    case LightMember::Theta: l.Theta = v->v[0]; break;
                    case LightMember::Phi: l.Phi = v->v[0]; break;
                }
                device_->SetLight(s.index, &l);
                break;
            }
            case DeviceStateKind::Material: {
                D3DMATERIAL9 m{};
                device_->GetMaterial(&m);
                switch (static_cast<MaterialMember>(s.id)) {
                    case MaterialMember::Diffuse: m.Diffuse = colourValue(*v); break;
                    case MaterialMember::Ambient: m.Ambient = colourValue(*v); break;
                    case MaterialMember::Specular: m.Specular = colourValue(*v); break;
                    case MaterialMember::Emissive: m.Emissive = colourValue(*v); break;
                    case MaterialMember::Power: m.Power = v->v[0]; break;
                }
                device_->SetMaterial(&m);
                break;
            }
            case DeviceStateKind::Fvf: device_->SetFVF(word); break;
        }
    }
}

// Per technique, each device state its passes set, once; lights and the material whole.
void Effect::planSavedStates() {
    std::size_t most = 0;
    for (const TechniqueDescription& t : compiled_->description.techniques) {
        std::vector<SavedDeviceState> plan;
        auto add = [&](DeviceStateKind kind, DWORD id, DWORD index) {
            for (const SavedDeviceState& s : plan)
                if (s.kind == kind && s.id == id && s.index == index) return;
            SavedDeviceState s;
            s.kind = kind;
            s.id = id;
            s.index = index;
            plan.push_back(s);
        };
        for (const PassDescription& p : t.passes)
            for (const DeviceState& s : p.deviceStates) {
                switch (s.kind) {
                    case DeviceStateKind::SamplerBlock:
                        if (s.parameter < 0) break;
                        add(DeviceStateKind::Texture, 0, s.index);
                        for (D3DSAMPLERSTATETYPE type : kBlockStates) add(DeviceStateKind::Sampler, type, s.index);
                        break;
                    case DeviceStateKind::Texture: add(s.kind, 0, s.index); break;
                    case DeviceStateKind::Light: add(s.kind, 0, s.index); break;
                    case DeviceStateKind::Material: add(s.kind, 0, 0); break;
                    default: add(s.kind, s.id, s.index); break;
                }
            }
        most = std::max(most, plan.size());
        techniqueDeviceStates_.push_back(std::move(plan));
    }
    savedDeviceStates_.reserve(most);
}

void Effect::saveDeviceStates(int technique) {
    for (SavedDeviceState& s : savedDeviceStates_)
        if (s.texture) s.texture->Release();
    savedDeviceStates_.clear();
    if (technique < 0) return;
    for (const SavedDeviceState& planned : techniqueDeviceStates_[static_cast<std::size_t>(technique)]) {
        SavedDeviceState s = planned;
        switch (s.kind) {
            case DeviceStateKind::Render:
                s.valid = SUCCEEDED(device_->GetRenderState(static_cast<D3DRENDERSTATETYPE>(s.id), &s.word));
                break;
            case DeviceStateKind::Sampler:
                s.word = d3d9::internal::samplerState(device_, s.index, s.id);
                s.valid = true;
                break;
            case DeviceStateKind::Texture:
                s.texture = d3d9::internal::boundTexture(device_, s.index);
                if (s.texture) s.texture->AddRef();
                s.valid = true;
                break;
            case DeviceStateKind::Stage:
                s.valid = SUCCEEDED(
                    device_->GetTextureStageState(s.index, static_cast<D3DTEXTURESTAGESTATETYPE>(s.id), &s.word));
                break;
            case DeviceStateKind::Transform:
                s.valid = SUCCEEDED(device_->GetTransform(static_cast<D3DTRANSFORMSTATETYPE>(s.id), &s.matrix));
                break;
            case DeviceStateKind::LightEnable: {
                BOOL on = FALSE;
                device_->GetLightEnable(s.index, &on);  // a light never set is off
                s.word = static_cast<DWORD>(on);
                s.valid = true;
                break;
            }
            case DeviceStateKind::Light: s.valid = SUCCEEDED(device_->GetLight(s.index, &s.light)); break;
            case DeviceStateKind::Material: s.valid = SUCCEEDED(device_->GetMaterial(&s.material)); break;
            case DeviceStateKind::Fvf: s.valid = SUCCEEDED(device_->GetFVF(&s.word)); break;
            case DeviceStateKind::ClipPlane: s.valid = SUCCEEDED(device_->GetClipPlane(s.index, s.matrix.m[0])); break;
            case DeviceStateKind::SamplerBlock: break;
        }
        savedDeviceStates_.push_back(s);
    }
}

void Effect::restoreDeviceStates() {
    for (SavedDeviceState& s : savedDeviceStates_) {
        if (!s.valid) continue;
        switch (s.kind) {
            case DeviceStateKind::Render: device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(s.id), s.word); break;
            case DeviceStateKind::Sampler:
                device_->SetSamplerState(s.index, static_cast<D3DSAMPLERSTATETYPE>(s.id), s.word);
                break;
            case DeviceStateKind::Texture: device_->SetTexture(s.index, s.texture); break;
            case DeviceStateKind::Stage:
                device_->SetTextureStageState(s.index, static_cast<D3DTEXTURESTAGESTATETYPE>(s.id), s.word);
                break;
            case DeviceStateKind::Transform:
                device_->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(s.id), &s.matrix);
                break;
            case DeviceStateKind::LightEnable: device_->LightEnable(s.index, static_cast<BOOL>(s.word)); break;
            case DeviceStateKind::Light: device_->SetLight(s.index, &s.light); break;
            case DeviceStateKind::Material: device_->SetMaterial(&s.material); break;
            case DeviceStateKind::Fvf: device_->SetFVF(s.word); break;
            case DeviceStateKind::ClipPlane: device_->SetClipPlane(s.index, s.matrix.m[0]); break;
            case DeviceStateKind::SamplerBlock: break;
        }
        if (s.texture) s.texture->Release();
        s.texture = nullptr;
    }
    savedDeviceStates_.clear();
}

}  // namespace fx
