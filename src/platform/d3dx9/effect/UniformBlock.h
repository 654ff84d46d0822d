// Writes parameter values into the std140 image of a program's "_Global" block.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3dx9/effect/CompiledEffect.h"

namespace fx {

// `values` holds every parameter's words (D3DX order: a matrix row by row) and
// `offsets` the first word of each parameter. `block` must be program.blockSize bytes.
void fillUniformBlock(const CompiledEffect& effect, const CompiledProgram& program, const std::uint32_t* values,
                      const std::vector<std::uint32_t>& offsets, std::vector<std::uint8_t>& block);

}  // namespace fx
