// Struct parameters through handles: a struct, an element of an array of them and a
// member of struct type are handles of their own (their names, "lights[1]"), whose
// members are the value parameters named below them.
#include <algorithm>
#include <cstring>

#include "platform/d3dx9/EffectObject.h"

namespace fx {
namespace {

// D3DX names a member by its own name and an element by its array's.
const char* shortName(const std::string& name) {
    std::size_t start = name.find_last_of('.');
    start = start == std::string::npos ? 0 : start + 1;
    return name.c_str() + start;
}

D3DXPARAMETER_TYPE typeOf(ValueKind kind) {
    switch (kind) {
        case ValueKind::Bool: return D3DXPT_BOOL;
        case ValueKind::Int: return D3DXPT_INT;
        case ValueKind::Texture: return D3DXPT_TEXTURE;
        case ValueKind::String: return D3DXPT_STRING;
        default: return D3DXPT_FLOAT;
    }
}

}  // namespace

int Effect::findGroup(D3DXHANDLE name) const { return name ? compiled_->description.findStruct(name) : -1; }

D3DXHANDLE Effect::memberHandle(const std::string& name) const {
    const EffectDescription& d = compiled_->description;
    const int p = findParameter(name.c_str());
    if (p >= 0) return d.parameters[static_cast<std::size_t>(p)].name.c_str();
    const int g = d.findStruct(name);
    return g < 0 ? nullptr : d.structs[static_cast<std::size_t>(g)].name.c_str();
}

D3DXHANDLE Effect::GetParameterElement(D3DXHANDLE parameter, UINT index) {
    const int g = findGroup(parameter);
    if (g < 0) return nullptr;
    const StructGroup& group = compiled_->description.structs[static_cast<std::size_t>(g)];
    return group.elements > 0 && index < group.members.size() ? memberHandle(group.members[index]) : nullptr;
}

HRESULT Effect::GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) {
    if (!desc || !parameter) return D3DERR_INVALIDCALL;
    const EffectDescription& d = compiled_->description;
    *desc = D3DXPARAMETER_DESC{};
    if (const int g = findGroup(parameter); g >= 0) {
        const StructGroup& group = d.structs[static_cast<std::size_t>(g)];
        const StructGroup* named = &group;  // an element takes its array's name
        if (group.name.back() == ']') {
            const int array = d.findStruct(group.name.substr(0, group.name.rfind('[')));
            if (array >= 0) named = &d.structs[static_cast<std::size_t>(array)];
        }
        desc->Name = shortName(named->name);
        desc->Class = D3DXPC_STRUCT;
        desc->Type = D3DXPT_VOID;
        desc->Elements = static_cast<UINT>(group.elements);
        const StructGroup* shape = &group;
        if (group.elements > 0 && !group.members.empty()) {
            const int first = d.findStruct(group.members[0]);
            if (first >= 0) shape = &d.structs[static_cast<std::size_t>(first)];
        }
        desc->StructMembers = static_cast<UINT>(shape->members.size());
        for (int p = group.firstParameter; p < group.endParameter; ++p)
            desc->Bytes += static_cast<UINT>(d.parameters[static_cast<std::size_t>(p)].wordCount() * 4);
        return D3D_OK;
    }
    const int p = findParameter(parameter);
    if (p < 0) return D3DERR_INVALIDCALL;
    const Parameter& param = d.parameters[static_cast<std::size_t>(p)];
    desc->Name = shortName(param.name);
    desc->Semantic = param.semantic.empty() ? nullptr : param.semantic.c_str();
    desc->Type = typeOf(param.kind);
    desc->Class = !param.isValue() ? D3DXPC_OBJECT
                  : param.rows > 1 ? D3DXPC_MATRIX_COLUMNS
                  : param.cols > 1 ? D3DXPC_VECTOR
                                   : D3DXPC_SCALAR;
    desc->Rows = static_cast<UINT>(param.rows);
    desc->Columns = static_cast<UINT>(param.cols);
    desc->Elements = static_cast<UINT>(param.arraySize);
    desc->Annotations = static_cast<UINT>(param.annotations.size());
    desc->Bytes = static_cast<UINT>(param.wordCount() * 4);
    return D3D_OK;
}

// The bytes fill the value parameters in order, 4 a component, as far as they go.
HRESULT Effect::SetValue(D3DXHANDLE parameter, const void* data, UINT bytes) {
    trace("SetValue %s %s %u", name_.c_str(), parameter ? parameter : "null", bytes);
    const EffectDescription& d = compiled_->description;
    int first = findParameter(parameter), end = first + 1;
    // A whole struct only when no value parameter has the name: SetValue runs every frame.
    if (first < 0) {
        if (const int g = findGroup(parameter); g >= 0) {
            first = d.structs[static_cast<std::size_t>(g)].firstParameter;
            end = d.structs[static_cast<std::size_t>(g)].endParameter;
        }
    }
    if (first < 0 || (!data && bytes)) return D3DERR_INVALIDCALL;
    const auto* in = static_cast<const unsigned char*>(data);
    for (int p = first; p < end && bytes >= 4; ++p) {
        const Parameter& param = d.parameters[static_cast<std::size_t>(p)];
        if (!param.isValue()) return D3DERR_INVALIDCALL;
        const UINT words = std::min(bytes / 4, static_cast<UINT>(param.wordCount()));
        std::memcpy(values_.data() + valueOffsets_[static_cast<std::size_t>(p)], in, words * 4);
        in += words * 4;
        bytes -= words * 4;
    }
    ++version_;
    return D3D_OK;
}

}  // namespace fx
