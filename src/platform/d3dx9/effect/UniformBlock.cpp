#include "platform/d3dx9/effect/UniformBlock.h"

#include <cstring>

namespace fx {

void fillUniformBlock(const CompiledEffect& effect, const CompiledProgram& program, const std::uint32_t* values,
                      const std::vector<std::uint32_t>& offsets, std::vector<std::uint8_t>& block) {
    auto put = [&](std::size_t at, std::uint32_t word) {
        if (at + 4 <= block.size()) std::memcpy(block.data() + at, &word, 4);
    };
    for (const UniformMember& m : program.members) {
        const Parameter& p = effect.description.parameters[static_cast<std::size_t>(m.parameter)];
        const std::uint32_t* words = values + offsets[static_cast<std::size_t>(m.parameter)];
        for (int e = 0; e < p.elementCount(); ++e) {
            std::size_t base = m.offset + static_cast<std::size_t>(e) * m.arrayStride;
            const std::uint32_t* w = words + e * p.rows * p.cols;
            if (p.rows == 1) {
                for (int c = 0; c < p.cols; ++c) put(base + 4u * static_cast<std::size_t>(c), w[c]);
                continue;
            }
            for (int r = 0; r < p.rows; ++r)
                for (int c = 0; c < p.cols; ++c) {
                    // Either each HLSL column or each HLSL row is one vector of the block.
                    std::size_t at = m.columnsInMemory ? base + c * m.matrixStride + 4u * static_cast<std::size_t>(r)
                                                       : base + r * m.matrixStride + 4u * static_cast<std::size_t>(c);
                    put(at, w[r * p.cols + c]);
                }
        }
    }
}

}  // namespace fx
