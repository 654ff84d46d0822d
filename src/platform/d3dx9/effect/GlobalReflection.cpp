// The "_Global" uniform block as SPIRV-Cross reflects it: each member's parameter, offset
// and strides. A struct member's own members are the parameters "s.m" and "s[k].m".
#include <cstdint>

#include "platform/d3dx9/effect/SpirvStage.h"
#include "platform/d3dx9/effect/Nesting.h"

namespace fx {
namespace {


bool reflectStruct(spvc_compiler c, spvc_type_id structId, const std::string& prefix, std::uint32_t base, int depth,
                   const EffectDescription& effect, CompiledProgram& out, std::string& unknown) {
    spvc_type type = spvc_compiler_get_type_handle(c, structId);
    const unsigned count = spvc_type_get_num_member_types(type);
    for (unsigned m = 0; m < count; ++m) {
        const char* memberName = spvc_compiler_get_member_name(c, structId, m);
        const std::string name = prefix + (memberName ? memberName : "");
        unsigned offset = 0, value = 0;
        spvc_compiler_type_struct_member_offset(c, type, m, &offset);
        spvc_type member = spvc_compiler_get_type_handle(c, spvc_type_get_member_type(type, m));
        const unsigned dims = spvc_type_get_num_array_dimensions(member);
        if (spvc_type_get_basetype(member) == SPVC_BASETYPE_STRUCT) {
            const spvc_type_id inner = spvc_type_get_base_type_id(member);
            if (depth >= kMaxStructDepth || dims > 1) {
                unknown = name;
                return false;
            }
            if (dims == 0) {
                if (!reflectStruct(c, inner, name + ".", base + offset, depth + 1, effect, out, unknown)) return false;
                continue;
            }
            spvc_compiler_type_struct_member_array_stride(c, type, m, &value);
            const unsigned elements = spvc_type_get_array_dimension(member, 0);
            for (unsigned k = 0; k < elements; ++k)
                if (!reflectStruct(c, inner, name + "[" + std::to_string(k) + "].", base + offset + k * value,
                                   depth + 1, effect, out, unknown))
                    return false;
            continue;
        }
        UniformMember um;
        um.parameter = effect.findParameter(name);
        if (um.parameter < 0 || !effect.parameters[static_cast<std::size_t>(um.parameter)].isValue()) {
            unknown = name;
            return false;
        }
        const Parameter& p = effect.parameters[static_cast<std::size_t>(um.parameter)];
        um.offset = base + offset;
        if (p.arraySize > 0 && spvc_compiler_type_struct_member_array_stride(c, type, m, &value) == SPVC_SUCCESS)
            um.arrayStride = value;
        if (p.rows > 1) {
            if (spvc_compiler_type_struct_member_matrix_stride(c, type, m, &value) == SPVC_SUCCESS)
                um.matrixStride = value;
            um.columnsInMemory = spvc_compiler_has_member_decoration(c, structId, m, SpvDecorationRowMajor);
        }
        out.members.push_back(um);
    }
    return true;
}

}  // namespace

bool reflectGlobals(const EffectDescription& effect, const Stage& stage, const spvc_reflected_resource& block,
                    CompiledProgram& out, std::string& unknown) {
    spvc_type type = spvc_compiler_get_type_handle(stage.compiler, block.base_type_id);
    size_t size = 0;
    spvc_compiler_get_declared_struct_size(stage.compiler, type, &size);
    out.blockSize = static_cast<std::uint32_t>(size);
    return reflectStruct(stage.compiler, block.base_type_id, "", 0, 0, effect, out, unknown);
}

}  // namespace fx
