#include "platform/d3dx9/EffectObject.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/d3d9/internal.h"

namespace fx {
namespace {

const char* printable(const char* s) { return s ? s : "null"; }

}  // namespace

Effect::Effect(IDirect3DDevice9* device, std::shared_ptr<const CompiledEffect> compiled, std::string name)
    : device_(device),
      tracing_(d3d9::internal::tracing(device)),
      compiled_(std::move(compiled)),
      name_(std::move(name)) {
    device_->AddRef();
    const EffectDescription& d = compiled_->description;
    for (std::size_t i = 0; i < d.parameters.size(); ++i) {
        valueOffsets_.push_back(static_cast<std::uint32_t>(values_.size()));
        values_.insert(values_.end(), d.parameters[i].initial.begin(), d.parameters[i].initial.end());
        parameterNames_.push_back({d.parameters[i].name.c_str(), static_cast<int>(i)});
    }
    textures_.assign(d.parameters.size(), nullptr);
    for (std::size_t i = 0; i < d.techniques.size(); ++i)
        if (!d.techniques[i].name.empty()) techniqueNames_.push_back({d.techniques[i].name.c_str(), static_cast<int>(i)});
    auto byName = [](const NameIndex& a, const NameIndex& b) { return std::strcmp(a.name, b.name) < 0; };
    std::sort(parameterNames_.begin(), parameterNames_.end(), byName);
    std::sort(techniqueNames_.begin(), techniqueNames_.end(), byName);
    technique_ = d.techniques.empty() ? -1 : 0;
    std::size_t mostStates = 0;
    for (const TechniqueDescription& t : d.techniques) {
        std::vector<D3DRENDERSTATETYPE> states;
        for (const PassDescription& p : t.passes)
            for (const StateAssignment& a : p.states)
                if (std::find(states.begin(), states.end(), a.state) == states.end()) states.push_back(a.state);
        mostStates = std::max(mostStates, states.size());
        techniqueStates_.push_back(std::move(states));
    }
    savedStates_.reserve(mostStates);
    planSavedStates();
    buildHandles();
}

Effect::~Effect() {
    for (SavedDeviceState& saved : savedDeviceStates_)  // held since a Begin without its End
        if (saved.texture) saved.texture->Release();
    for (IDirect3DBaseTexture9* t : textures_)
        if (t) t->Release();
    for (const PassProgram& p : programs_) d3d9::internal::destroyEffectProgram(device_, p.handle);
    device_->Release();
}

ULONG Effect::AddRef() { return ++references_; }

ULONG Effect::Release() {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

int Effect::searchName(const std::vector<NameIndex>& names, const char* name) {
    auto it = std::lower_bound(names.begin(), names.end(), name,
                               [](const NameIndex& a, const char* n) { return std::strcmp(a.name, n) < 0; });
    return it != names.end() && std::strcmp(it->name, name) == 0 ? it->index : -1;
}

namespace {
std::size_t lookupSlot(const char* key, std::size_t slots) {
    const auto bits = reinterpret_cast<std::uintptr_t>(key);
    return static_cast<std::size_t>((bits >> 3) ^ (bits >> 9)) & (slots - 1);
}
}  // namespace

int Effect::lookup(LookupSlot* cache, const std::vector<NameIndex>& names, const char* name) {
    if (!name) return -1;
    LookupSlot& slot = cache[lookupSlot(name, kLookupSlots)];
    // The pointer finds the slot; the kept copy proves the text behind it is unchanged.
    if (slot.key == name && std::strcmp(slot.text, name) == 0) return slot.index;
    const int index = searchName(names, name);
    const std::size_t length = std::strlen(name);
    if (length < sizeof slot.text) {
        slot.key = name;
        slot.index = index;
        std::memcpy(slot.text, name, length + 1);
    }
    return index;
}

int Effect::findParameter(D3DXHANDLE name) const { return lookup(parameterCache_, parameterNames_, name); }

// A technique without a name is known by the handle GetTechnique gave for it.
int Effect::findTechnique(D3DXHANDLE name) const {
    if (const HandleRecord* r = record(name)) return r->pass < 0 && r->annotation < 0 ? r->technique : -1;
    return lookup(techniqueCache_, techniqueNames_, name);
}

void Effect::trace(const char* format, ...) const {
    if (!tracing_) return;
    char line[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) return;
    std::size_t length = std::min(static_cast<std::size_t>(n), sizeof line - 1);
    d3d9::internal::traceLine(device_, line, length);
}

void Effect::traceFloats(const char* call, D3DXHANDLE parameter, const float* values, UINT count) const {
    if (!tracing_) return;
    char line[2048];
    int n = std::snprintf(line, sizeof line, "%s %s %s", call, name_.c_str(), printable(parameter));
    std::size_t length = n < 0 ? 0 : std::min(static_cast<std::size_t>(n), sizeof line - 1);
    for (UINT i = 0; values && i < count && length < sizeof line - 1; ++i) {
        n = std::snprintf(line + length, sizeof line - length, " %.9g", static_cast<double>(values[i]));
        if (n < 0) break;
        length = std::min(length + static_cast<std::size_t>(n), sizeof line - 1);
    }
    d3d9::internal::traceLine(device_, line, length);
}

void Effect::store(int parameter, const float* values, UINT count) {
    const Parameter& p = compiled_->description.parameters[static_cast<std::size_t>(parameter)];
    std::uint32_t* words = values_.data() + valueOffsets_[static_cast<std::size_t>(parameter)];
    UINT n = std::min(count, static_cast<UINT>(p.wordCount()));
    if (p.kind == ValueKind::Float) {
        std::memcpy(words, values, n * sizeof(float));
        ++version_;
        return;
    }
    for (UINT i = 0; i < n; ++i) {
        float v = values[i];
        if (p.kind == ValueKind::Float)
            words[i] = floatBits(v);
        else if (p.kind == ValueKind::Int)
            words[i] = static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
        else
            words[i] = v != 0.0f ? 1u : 0u;
    }
    ++version_;
}

// Each call is traced as the program made it before it is checked, so a call that fails
// (an undeclared name, an unknown technique) still shows in the trace: the trace documents
// what the program asked for.
HRESULT Effect::SetFloat(D3DXHANDLE parameter, float value) {
    traceFloats("SetFloat", parameter, &value, 1);
    int p = findParameter(parameter);
    if (p < 0 || !compiled_->description.parameters[static_cast<std::size_t>(p)].isValue())
        return D3DERR_INVALIDCALL;
    store(p, &value, 1);
    return D3D_OK;
}

HRESULT Effect::SetFloatArray(D3DXHANDLE parameter, const float* values, UINT count) {
    traceFloats("SetFloatArray", parameter, values, count);
    int p = findParameter(parameter);
    if (p < 0 || (!values && count) ||
        !compiled_->description.parameters[static_cast<std::size_t>(p)].isValue())
        return D3DERR_INVALIDCALL;
    store(p, values, count);
    return D3D_OK;
}

HRESULT Effect::SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) {
    float m[16] = {};
    if (matrix)
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) m[r * 4 + c] = matrix->m[r][c];
    traceFloats("SetMatrix", parameter, matrix ? m : nullptr, matrix ? 16 : 0);
    int p = findParameter(parameter);
    if (p < 0 || !matrix) return D3DERR_INVALIDCALL;
    const Parameter& param = compiled_->description.parameters[static_cast<std::size_t>(p)];
    if (param.kind != ValueKind::Float || param.rows < 2) return D3DERR_INVALIDCALL;
    // Kept row by row as D3DX lays it out: word r * cols + c is M(r, c).
    if (param.rows == 4 && param.cols == 4) {
        store(p, m, 16);
        return D3D_OK;
    }
    float packed[16];
    int n = 0;
    for (int r = 0; r < param.rows; ++r)
        for (int c = 0; c < param.cols; ++c) packed[n++] = m[r * 4 + c];
    store(p, packed, static_cast<UINT>(n));
    return D3D_OK;
}

HRESULT Effect::SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) {
    if (tracing_)
        trace("SetTexture %s %s %s", name_.c_str(), printable(parameter), d3d9::internal::textureName(texture));
    int p = findParameter(parameter);
    if (p < 0 || compiled_->description.parameters[static_cast<std::size_t>(p)].kind != ValueKind::Texture)
        return D3DERR_INVALIDCALL;
    IDirect3DBaseTexture9*& slot = textures_[static_cast<std::size_t>(p)];
    if (texture) texture->AddRef();
    if (slot) slot->Release();
    slot = texture;
    ++version_;
    return D3D_OK;
}

HRESULT Effect::SetBool(D3DXHANDLE parameter, BOOL value) {
    trace("SetBool %s %s %d", name_.c_str(), printable(parameter), value);
    int p = findParameter(parameter);
    if (p < 0 || !compiled_->description.parameters[static_cast<std::size_t>(p)].isValue())
        return D3DERR_INVALIDCALL;
    float v = value ? 1.0f : 0.0f;
    store(p, &v, 1);
    return D3D_OK;
}

HRESULT Effect::SetInt(D3DXHANDLE parameter, INT value) {
    trace("SetInt %s %s %d", name_.c_str(), printable(parameter), value);
    int p = findParameter(parameter);
    if (p < 0 || !compiled_->description.parameters[static_cast<std::size_t>(p)].isValue())
        return D3DERR_INVALIDCALL;
    if (compiled_->description.parameters[static_cast<std::size_t>(p)].kind == ValueKind::Int) {
        values_[valueOffsets_[static_cast<std::size_t>(p)]] = static_cast<std::uint32_t>(value);  // exact, past 2^24
        ++version_;
        return D3D_OK;
    }
    float v = static_cast<float>(value);
    store(p, &v, 1);
    return D3D_OK;
}

HRESULT Effect::SetTechnique(D3DXHANDLE technique) {
    trace("SetTechnique %s %s", name_.c_str(), record(technique) ? "(unnamed)" : printable(technique));
    int t = findTechnique(technique);
    if (t < 0) return D3DERR_INVALIDCALL;
    technique_ = t;
    return D3D_OK;
}

HRESULT Effect::Begin(UINT* passes, DWORD flags) {
    UINT count = technique_ < 0 ? 0 : static_cast<UINT>(compiled_->description.techniques[static_cast<std::size_t>(technique_)].passes.size());
    trace("Begin %s %u", name_.c_str(), count);
    if (passes) *passes = count;
    if (technique_ < 0) return D3DERR_INVALIDCALL;
    begunTechnique_ = technique_;
    pass_ = -1;
    saveState_ = (flags & D3DXFX_DONOTSAVESTATE) == 0;
    savedStates_.clear();
    if (saveState_) {
        for (D3DRENDERSTATETYPE state : techniqueStates_[static_cast<std::size_t>(technique_)]) {
            DWORD value = 0;
            if (SUCCEEDED(device_->GetRenderState(state, &value))) savedStates_.push_back({state, value});
        }
    }
    saveDeviceStates(saveState_ ? technique_ : -1);
    return D3D_OK;
}

HRESULT Effect::BeginPass(UINT pass) {
    trace("BeginPass %s %u", name_.c_str(), pass);
    if (begunTechnique_ < 0) return D3DERR_INVALIDCALL;
    const TechniqueDescription& t = compiled_->description.techniques[static_cast<std::size_t>(begunTechnique_)];
    if (pass >= t.passes.size()) return D3DERR_INVALIDCALL;
    pass_ = static_cast<int>(pass);
    choosePassProgram(begunTechnique_, pass_);
    for (const StateAssignment& a : t.passes[pass].states) device_->SetRenderState(a.state, stateValue(a));
    if (!t.passes[pass].deviceStates.empty()) applyDeviceStates(t.passes[pass]);
    if (!t.passes[pass].shaderConstants.empty()) applyShaderConstants(t.passes[pass]);
    d3d9::internal::setDrawLabel(device_, name_.c_str(), t.name.c_str(), pass);
    applyPass(true);
    return D3D_OK;
}

HRESULT Effect::CommitChanges() {
    trace("CommitChanges %s", name_.c_str());
    if (pass_ < 0) return D3DERR_INVALIDCALL;
    applyPass(false);
    return D3D_OK;
}

HRESULT Effect::EndPass() {
    trace("EndPass %s", name_.c_str());
    if (pass_ < 0) return D3DERR_INVALIDCALL;
    pass_ = -1;
    return D3D_OK;
}

HRESULT Effect::End() {
    trace("End %s", name_.c_str());
    if (begunTechnique_ < 0) return D3DERR_INVALIDCALL;
    for (const auto& [state, value] : savedStates_) device_->SetRenderState(state, value);
    savedStates_.clear();
    restoreDeviceStates();
    begunTechnique_ = -1;
    pass_ = -1;
    // Draws after the technique are the device's own again.
    d3d9::internal::setFixedFunctionPass(device_, false);
    return D3D_OK;
}

HRESULT Effect::GetDesc(D3DXEFFECT_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Creator = "glimmerhop effect compiler";
    const EffectDescription& d = compiled_->description;
    // The register files of asm shaders are not the file's parameters.
    desc->Parameters = static_cast<UINT>(d.hiddenParameters >= 0 ? d.hiddenParameters : static_cast<int>(d.parameters.size()));
    desc->Techniques = static_cast<UINT>(compiled_->description.techniques.size());
    desc->Functions = 0;
    return D3D_OK;
}

void Effect::applyShaderConstants(const PassDescription& pass) {
    const auto& params = compiled_->description.parameters;
    for (const ShaderConstantState& s : pass.shaderConstants) {
        const Parameter& target = params[static_cast<std::size_t>(s.target)];
        std::uint32_t* registers = values_.data() + valueOffsets_[static_cast<std::size_t>(s.target)];
        const int limit = target.arraySize;
        // The value as registers of four floats: a matrix by columns, the rest in order.
        float v[4 * 16] = {};
        int count = 0;  // registers
        if (s.parameter >= 0) {
            const Parameter& p = params[static_cast<std::size_t>(s.parameter)];
            const std::uint32_t* w = values_.data() + valueOffsets_[static_cast<std::size_t>(s.parameter)];
            auto word = [&](int i) {
                return p.kind == ValueKind::Float ? bitsFloat(w[i]) : static_cast<float>(static_cast<std::int32_t>(w[i]));
            };
            for (int e = 0; e < p.elementCount() && count < 16; ++e) {
                const int at = e * p.rows * p.cols;
                if (p.rows > 1) {
                    for (int c = 0; c < p.cols && count < 16; ++c, ++count)
                        for (int r = 0; r < p.rows && r < 4; ++r) v[4 * count + r] = word(at + r * p.cols + c);
                } else {
                    for (int c = 0; c < p.cols && c < 4; ++c) v[4 * count + c] = word(at + c);
                    ++count;
                }
            }
        } else {
            for (std::size_t i = 0; i < s.values.size() && i < 64; ++i) v[i] = s.values[i];
            count = static_cast<int>((std::min<std::size_t>(s.values.size(), 64) + 3) / 4);
        }
        if (s.component >= 0) {
            if (s.first < limit) registers[4 * s.first + s.component] = floatBits(v[0]);
            continue;
        }
        if (s.maxRegisters > 0 && count > s.maxRegisters) count = s.maxRegisters;
        for (int r = 0; r < count && s.first + r < limit; ++r)
            for (int c = 0; c < 4; ++c) registers[4 * (s.first + r) + c] = floatBits(v[4 * r + c]);
    }
    ++version_;
}

}  // namespace fx
