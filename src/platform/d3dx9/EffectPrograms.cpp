// What an effect hands the device: each pass program's GLSL with what reflection found
// in it (uniform block size, samplers, link sizes), and, as the device asks, the block's
// bytes and each texture unit's texture. The device builds and owns the GL objects.
#include <algorithm>
#include <iterator>

#include "platform/d3d9/internal.h"
#include "platform/d3dx9/EffectObject.h"
#include "platform/d3dx9/effect/UniformBlock.h"

namespace fx {
namespace {

d3d9::internal::EffectSampler deviceSampler(const SamplerDescription& s) {
    d3d9::internal::EffectSampler out;
    out.minFilter = s.minFilter;
    out.magFilter = s.magFilter;
    out.mipFilter = s.mipFilter;
    out.addressU = s.addressU;
    out.addressV = s.addressV;
    out.addressW = s.addressW;
    out.borderColor = s.borderColor;
    out.mipLodBias = s.mipLodBias;
    out.maxMipLevel = s.maxMipLevel;
    out.maxAnisotropy = s.maxAnisotropy;
    out.srgb = s.srgbTexture != FALSE;
    return out;
}

}  // namespace

bool Effect::createPrograms(const std::string& fileName, std::string& errors) {
    programs_.resize(compiled_->programs.size());
    std::vector<d3d9::internal::EffectSampler> samplers;
    std::uint16_t sources[d3d9::internal::kAttributeSlots];
    for (std::size_t i = 0; i < programs_.size(); ++i) {
        const CompiledProgram& cp = compiled_->programs[i];
        samplers.clear();
        for (const SamplerBinding& b : cp.samplers)
            samplers.push_back(b.sampler >= 0 ? deviceSampler(compiled_->description.samplers[static_cast<std::size_t>(b.sampler)])
                                              : d3d9::internal::EffectSampler{});
        d3d9::internal::EffectProgramSource source;
        // A pass with one entry point leaves the other stage to fixed function.
        const bool both = !cp.vertexEntry.empty() && !cp.pixelEntry.empty();
        source.vertexGlsl = both || cp.pixelEntry.empty() ? cp.vertexGlsl.c_str() : nullptr;
        source.fragmentGlsl = both || !cp.pixelEntry.empty() ? cp.fragmentGlsl.c_str() : nullptr;
        source.linkSizes = cp.linkSizes;
        std::fill(std::begin(sources), std::end(sources), std::uint16_t{0});
        for (const AttributeSlot& slot : cp.attributeSlots)
            if (slot.location < d3d9::internal::kAttributeSlots)
                sources[slot.location] = d3d9::internal::attributeSource(slot.usage, slot.usageIndex);
        source.attributeSources = sources;
        source.blockSize = cp.blockSize;
        source.samplers = samplers.data();
        source.samplerCount = static_cast<unsigned>(samplers.size());
        source.pixelOffset = kPixelOffsetUniform;
        source.alphaFunc = kAlphaFuncUniform;
        source.alphaRef = kAlphaRefUniform;
        source.vposRows = kVposUniform;
        std::string log;
        programs_[i].handle = d3d9::internal::createEffectProgram(device_, source, log);
        if (!programs_[i].handle) {
            errors += fileName + ": error: " + cp.vertexEntry + "/" + cp.pixelEntry + ": " + log + "\n";
            return false;
        }
        programs_[i].block.assign(cp.blockSize, 0);
    }
    return true;
}

void Effect::applyPass(bool passBegins) {
    // Neither shader: the device's fixed-function pipeline draws the pass.
    if (passProgram_ < 0) {
        d3d9::internal::setFixedFunctionPass(device_, passFixed_);
        return;
    }
    d3d9::internal::useEffectProgram(device_, programs_[static_cast<std::size_t>(passProgram_)].handle, version_, *this,
                                     passBegins);
}

const std::uint8_t* Effect::uniformBlock() {
    const auto index = static_cast<std::size_t>(passProgram_);
    PassProgram& p = programs_[index];
    if (p.filledVersion != version_) {
        fillUniformBlock(*compiled_, compiled_->programs[index], values_.data(), valueOffsets_, p.block);
        p.filledVersion = version_;
    }
    return p.block.data();
}

d3d9::internal::EffectUnit Effect::unit(unsigned index) const {
    const SamplerBinding& b = compiled_->programs[static_cast<std::size_t>(passProgram_)].samplers[index];
    // A sampler naming no texture of the effect reads the device's texture on its
    // register's stage, as the host set it (SetTexture).
    if (b.texture >= 0) return {textures_[static_cast<std::size_t>(b.texture)], -1};
    return {nullptr, b.stage >= 0 ? b.stage : static_cast<int>(index)};
}

}  // namespace fx
