// Reflection through handles: parameters and techniques are named by their names (a
// handle is the description's own name string, so the Set* calls take it too); passes
// and annotations by records the effect keeps.
#include <cstring>
#include <functional>

#include "platform/d3dx9/EffectObject.h"

namespace fx {

void Effect::buildHandles() {
    const EffectDescription& d = compiled_->description;
    for (std::size_t t = 0; t < d.techniques.size(); ++t) {
        HandleRecord technique;  // the handle of a technique without a name
        technique.technique = static_cast<int>(t);
        handles_.push_back(technique);
        for (std::size_t p = 0; p < d.techniques[t].passes.size(); ++p) {
            HandleRecord r;
            r.technique = static_cast<int>(t);
            r.pass = static_cast<int>(p);
            handles_.push_back(r);
            for (std::size_t a = 0; a < d.techniques[t].passes[p].annotations.size(); ++a) {
                r.annotation = static_cast<int>(a);
                handles_.push_back(r);
                r.annotation = -1;
            }
        }
        for (std::size_t a = 0; a < d.techniques[t].annotations.size(); ++a) {
            HandleRecord r;
            r.technique = static_cast<int>(t);
            r.annotation = static_cast<int>(a);
            handles_.push_back(r);
        }
    }
    for (std::size_t p = 0; p < d.parameters.size(); ++p)
        for (std::size_t a = 0; a < d.parameters[p].annotations.size(); ++a) {
            HandleRecord r;
            r.parameter = static_cast<int>(p);
            r.annotation = static_cast<int>(a);
            handles_.push_back(r);
        }
}

const Effect::HandleRecord* Effect::record(D3DXHANDLE handle) const {
    if (!handle || handles_.empty()) return nullptr;
    const auto* r = reinterpret_cast<const HandleRecord*>(handle);
    std::less<const HandleRecord*> before;
    if (before(r, handles_.data()) || !before(r, handles_.data() + handles_.size())) return nullptr;
    // Only the start of a record is a handle.
    std::size_t offset = static_cast<std::size_t>(reinterpret_cast<const char*>(r) -
                                                  reinterpret_cast<const char*>(handles_.data()));
    return offset % sizeof(HandleRecord) == 0 ? r : nullptr;
}

D3DXHANDLE Effect::passHandle(int technique, int pass) const {
    for (const HandleRecord& r : handles_)
        if (r.technique == technique && r.pass == pass && r.annotation < 0) return r.marker;
    return nullptr;
}

// A member is found under its struct's handle by its own name, or by its full name.
D3DXHANDLE Effect::GetParameterByName(D3DXHANDLE parent, LPCSTR name) {
    if (!name) return nullptr;
    if (!parent) return memberHandle(name);
    return findGroup(parent) < 0 ? nullptr : memberHandle(std::string(parent) + "." + name);
}

D3DXHANDLE Effect::GetParameter(D3DXHANDLE parent, UINT index) {
    const EffectDescription& d = compiled_->description;
    if (const int g = findGroup(parent); g >= 0) {
        const StructGroup& group = d.structs[static_cast<std::size_t>(g)];
        return index < group.members.size() ? memberHandle(group.members[index]) : nullptr;
    }
    const std::size_t visible = d.hiddenParameters >= 0 ? static_cast<std::size_t>(d.hiddenParameters) : d.parameters.size();
    return parent || index >= visible ? nullptr : d.parameters[index].name.c_str();
}

D3DXHANDLE Effect::GetTechniqueByName(LPCSTR name) {
    int t = findTechnique(name);
    return t < 0 ? nullptr : compiled_->description.techniques[static_cast<std::size_t>(t)].name.c_str();
}

D3DXHANDLE Effect::GetTechnique(UINT index) {
    const auto& techniques = compiled_->description.techniques;
    if (index >= techniques.size()) return nullptr;
    if (!techniques[index].name.empty()) return techniques[index].name.c_str();
    for (const HandleRecord& r : handles_)
        if (r.technique == static_cast<int>(index) && r.pass < 0 && r.annotation < 0) return r.marker;
    return nullptr;
}

D3DXHANDLE Effect::GetPass(D3DXHANDLE technique, UINT index) {
    int t = findTechnique(technique);
    if (t < 0 || index >= compiled_->description.techniques[static_cast<std::size_t>(t)].passes.size()) return nullptr;
    return passHandle(t, static_cast<int>(index));
}

D3DXHANDLE Effect::GetPassByName(D3DXHANDLE technique, LPCSTR name) {
    int t = findTechnique(technique);
    if (t < 0 || !name) return nullptr;
    const auto& passes = compiled_->description.techniques[static_cast<std::size_t>(t)].passes;
    for (std::size_t p = 0; p < passes.size(); ++p)
        if (passes[p].name == name) return passHandle(t, static_cast<int>(p));
    return nullptr;
}

const std::vector<Annotation>* Effect::annotationsOf(D3DXHANDLE object, int& technique, int& pass,
                                                     int& parameter) const {
    const EffectDescription& d = compiled_->description;
    technique = pass = parameter = -1;
    if (!object) return nullptr;
    if (const HandleRecord* r = record(object)) {
        if (r->annotation < 0 && r->pass < 0 && r->technique >= 0) {
            technique = r->technique;
            return &d.techniques[static_cast<std::size_t>(technique)].annotations;
        }
        if (r->annotation >= 0 || r->pass < 0) return nullptr;
        technique = r->technique;
        pass = r->pass;
        return &d.techniques[static_cast<std::size_t>(technique)].passes[static_cast<std::size_t>(pass)].annotations;
    }
    // A handle from GetTechnique* is the technique's own name string; a name is taken as
    // a parameter's first, as D3DX does.
    for (std::size_t t = 0; t < d.techniques.size(); ++t)
        if (object == d.techniques[t].name.c_str()) {
            technique = static_cast<int>(t);
            return &d.techniques[t].annotations;
        }
    int p = findParameter(object);
    if (p >= 0) {
        parameter = p;
        return &d.parameters[static_cast<std::size_t>(p)].annotations;
    }
    int t = findTechnique(object);
    if (t < 0) return nullptr;
    technique = t;
    return &d.techniques[static_cast<std::size_t>(t)].annotations;
}

D3DXHANDLE Effect::GetAnnotation(D3DXHANDLE object, UINT index) {
    int t, p, q;
    const std::vector<Annotation>* list = annotationsOf(object, t, p, q);
    if (!list || index >= list->size()) return nullptr;
    for (const HandleRecord& r : handles_)
        if (r.technique == t && r.pass == p && r.parameter == q && r.annotation == static_cast<int>(index))
            return r.marker;
    return nullptr;
}

D3DXHANDLE Effect::GetAnnotationByName(D3DXHANDLE object, LPCSTR name) {
    int t, p, q;
    const std::vector<Annotation>* list = annotationsOf(object, t, p, q);
    if (!list || !name) return nullptr;
    for (std::size_t i = 0; i < list->size(); ++i)
        if ((*list)[i].name == name) return GetAnnotation(object, static_cast<UINT>(i));
    return nullptr;
}

bool Effect::valueOf(D3DXHANDLE object, const std::uint32_t*& words, std::size_t& count, ValueKind& kind,
                     const char*& text) const {
    const EffectDescription& d = compiled_->description;
    if (const HandleRecord* r = record(object)) {
        if (r->annotation < 0) return false;
        const std::vector<Annotation>& list =
            r->parameter >= 0 ? d.parameters[static_cast<std::size_t>(r->parameter)].annotations
            : r->pass >= 0 ? d.techniques[static_cast<std::size_t>(r->technique)].passes[static_cast<std::size_t>(r->pass)].annotations
                           : d.techniques[static_cast<std::size_t>(r->technique)].annotations;
        const Annotation& a = list[static_cast<std::size_t>(r->annotation)];
        words = a.value.data();
        count = a.value.size();
        kind = a.kind;
        text = a.text.c_str();
        return true;
    }
    int p = findParameter(object);
    if (p < 0) return false;
    const Parameter& param = d.parameters[static_cast<std::size_t>(p)];
    words = values_.data() + valueOffsets_[static_cast<std::size_t>(p)];
    count = static_cast<std::size_t>(param.wordCount());
    kind = param.kind;
    text = param.text.c_str();
    return true;
}

HRESULT Effect::GetString(D3DXHANDLE object, LPCSTR* value) {
    const std::uint32_t* words;
    std::size_t count;
    ValueKind kind;
    const char* text;
    if (!value || !valueOf(object, words, count, kind, text) || kind != ValueKind::String) return D3DERR_INVALIDCALL;
    *value = text;
    return D3D_OK;
}

HRESULT Effect::GetFloatArray(D3DXHANDLE object, float* values, UINT n) {
    const std::uint32_t* words;
    std::size_t count;
    ValueKind kind;
    const char* text;
    if ((!values && n) || !valueOf(object, words, count, kind, text) || count == 0) return D3DERR_INVALIDCALL;
    for (UINT i = 0; i < n && i < count; ++i) {
        if (kind == ValueKind::Float) std::memcpy(&values[i], &words[i], 4);
        else values[i] = static_cast<float>(static_cast<std::int32_t>(words[i]));
    }
    return D3D_OK;
}

HRESULT Effect::GetFloat(D3DXHANDLE object, float* value) { return value ? GetFloatArray(object, value, 1) : D3DERR_INVALIDCALL; }

HRESULT Effect::GetInt(D3DXHANDLE object, INT* value) {
    float f = 0;
    const std::uint32_t* words;
    std::size_t count;
    ValueKind kind;
    const char* text;
    if (!value || !valueOf(object, words, count, kind, text) || count == 0) return D3DERR_INVALIDCALL;
    if (kind == ValueKind::Float) {
        std::memcpy(&f, &words[0], 4);
        *value = static_cast<INT>(f);
    } else {
        *value = static_cast<INT>(words[0]);
    }
    return D3D_OK;
}

HRESULT Effect::GetBool(D3DXHANDLE object, BOOL* value) {
    INT i = 0;
    if (!value || FAILED(GetInt(object, &i))) return D3DERR_INVALIDCALL;
    *value = i != 0;
    return D3D_OK;
}

}  // namespace fx
