// The OpenGL device: the back buffer is a framebuffer object of the presentation size
// and sample count; Present resolves it and scales it into the window, or keeps it for
// read-back when headless. The pipeline is set up to behave as D3D9's: depth 0..1,
// clockwise front faces, render states mapped one to one.
#pragma once

#include "platform/d3d9/DeviceBase.h"
#include "platform/d3d9/gl/FixedFunctionProgram.h"
#include "platform/d3d9/gl/GlContext.h"
#include "platform/d3d9/gl/GlStreamRing.h"

namespace d3d9::detail {

// The GL texture that samples `texture`: itself, or its sRGB view (made on first use)
// when the sampler decodes sRGB (GlTextureSampling.cpp).
unsigned textureForSampling(TextureStorage& texture, bool srgb);

class GlDevice final : public DeviceBase {
public:
    explicit GlDevice(IDirect3D9* d3d);
    // Creates the context and back buffer; result says why not when it returns false.
    bool create(SDL_Window* window, D3DPRESENT_PARAMETERS& params, HRESULT& result);

    void makeCurrent() override { context_.makeCurrent(); }
    bool readBack(std::uint8_t* rgba, std::size_t size, UINT& width, UINT& height) override;
    bool samplesSupported(DWORD type) const override;
    bool startReadBack(unsigned slot) override;
    const std::uint8_t* finishReadBack(unsigned slot) override;
    bool describeRenderer(RendererInfo& info) override;
    void profileDraws(bool on) override;
    bool collectDrawTimings(std::vector<DrawTiming>& timings) override;

    bool createGl(VertexBuffer& buffer) override;
    bool createGl(IndexBuffer& buffer) override;
    bool createGl(Surface& surface) override;
    bool createGl(TextureStorage& texture) override;
    void upload(VertexBuffer& buffer) override;
    void upload(IndexBuffer& buffer) override;
    void uploadTexture(TextureStorage& texture, const std::uint8_t* rgba) override;
    void readTexels(TextureStorage& texture, UINT face, UINT level, const RECT& rect, std::uint8_t* bgra) override;
    void writeTexels(TextureStorage& texture, UINT face, UINT level, const RECT& rect,
                     const std::uint8_t* bgra) override;
    void destroyGl(VertexBuffer& buffer) override;
    void destroyGl(IndexBuffer& buffer) override;
    void destroyGl(VertexDeclaration& declaration) override;
    void destroyGl(Surface& surface) override;
    void destroyGl(TextureStorage& texture) override;
    unsigned fixedFunctionPrograms() const override { return fixedPrograms_.count(); }
    // GlEffectPrograms.cpp
    unsigned createEffectProgram(const internal::EffectProgramSource& source, std::string& log) override;
    void destroyEffectProgram(unsigned program) override;
    void useEffectProgram(unsigned program, std::uint64_t version, internal::EffectPassSource& source,
                          bool passBegins) override;

protected:
    ~GlDevice() override;
    void applyRenderState(DWORD state, DWORD value) override;
    void applySamplerState(DWORD sampler, DWORD type, DWORD value) override;
    void applyTexture(DWORD stage) override;
    void applyScissorRect() override;
    void applyClipPlane(DWORD index) override;
    HRESULT attachDepth(Surface* surface) override;
    void applyRenderTargets() override;  // GlRenderTargets.cpp
    void doClear(DWORD count, const RECT* rects, DWORD flags, D3DCOLOR color, float z,
                 DWORD stencil) override;
    void doPresent() override;
    void doDraw(D3DPRIMITIVETYPE type, UINT indexCount, UINT startIndex, INT baseVertex) override;
    void doDrawFixed(D3DPRIMITIVETYPE type, UINT first, UINT count, const void* vertices,
                     UINT stride) override;  // FixedFunctionDraw.cpp
    void doDrawFixedIndexed(D3DPRIMITIVETYPE type, UINT count, const void* indices, UINT indexSize,
                            UINT vertexCount, const void* vertices, UINT stride) override;

private:
    void applyBlendFunc();
    void applyStencilFunc();
    void applyStencilOp();
    void applyColorMask(DWORD mask);
    void applyBlendEquation();
    void applyDepthBias();
    void applyPointSize();
    void applyMinFilter(DWORD sampler);
    void applyAnisotropy(DWORD sampler);
    // The clip distances the enabled planes need; the shader's point size only for draws
    // with a vertex shader, which writes it.
    void prepareDraw(bool shaderDraw);
    void specifyVertexArray(VertexDeclaration& declaration);
    // Copies and read-backs move the stored bytes: no sRGB conversion, no scissor.
    struct RawColour {
        explicit RawColour(const GlDevice& device);
        ~RawColour();
        bool srgb, scissor;
    };
    // Copies the back buffer, resolved, into the single-sampled read-back framebuffer.
    void resolve();
    // The framebuffer that holds the finished frame (resolving it first when needed).
    unsigned readSource();
    // Before a draw or clear: the presented frame is about to be drawn over in the back
    // buffer, so it is kept in a slot that copied it already, or else resolved.
    void keepShownFrame();
    void releaseReadBack();
    // readBack of a presented frame that only a read-back slot holds now.
    bool readShownSlot(std::uint8_t* rgba);
    // The framebuffer draws go to: the back buffer's, or the one of the texture targets.
    unsigned drawFbo() const { return toTexture_ ? targetFbo_ : fbo_; }
    // GL's scissor box for a rectangle in D3D's pixels (top-left origin) of the current
    // target: the back buffer's rows count from the bottom, a texture's from the top.
    void glBox(const RECT& r, int box[4]) const;
    void attachTargetDepth(const Surface* depth);
    bool attachFrameDepth(const Surface* depth);
    void releaseProfiling();
    // Effect programs and the bindings the device filters (GlEffectPrograms.cpp).
    struct EffectProgram {
        bool live = false;
        unsigned program = 0;  // both shaders
        // One shader: its object (stage 1 vertex, 2 pixel), linked by the device with
        // fixed-function GLSL for the other stage.
        unsigned shader = 0, stage = 0;
        std::uint8_t linkSizes[kLinkLocations] = {};
        std::uint16_t attributeSources[internal::kAttributeSlots] = {};
        std::uint32_t blockSize = 0;
        std::vector<unsigned> samplers;  // one per texture unit
        std::vector<bool> srgb;
        int pixelOffset = -1, alphaFunc = -1, alphaRef = -1, vposRows = -1;
        std::uint64_t streamedVersion = ~std::uint64_t{0};
        std::uint64_t streamedAt = 0;  // ring position of the block last streamed
        std::ptrdiff_t streamedOffset = 0;
    };
    void useProgram(unsigned program);
    void bindUnit(unsigned unit, unsigned texture, unsigned sampler);
    void bindUniformRange(unsigned binding, std::ptrdiff_t offset, std::size_t size);
    void setInjectedUniforms(const EffectProgram& p);
    void releaseEffectPrograms();
    // Texture names are reused once deleted: forget where they were bound.
    void forgetTextureBindings(unsigned texture);
    std::vector<EffectProgram> effectPrograms_;
    GlStreamRing ring_;
    std::size_t uniformAlignment_ = 256;
    static constexpr unsigned kTrackedUnits = 32;
    unsigned unitTextures_[kTrackedUnits] = {}, unitSamplers_[kTrackedUnits] = {};
    unsigned currentProgram_ = 0;
    struct RangeBinding {
        std::ptrdiff_t offset = -1;
        std::size_t size = 0;
    };
    RangeBinding uniformRanges_[2];  // the effect block (0) and the clip planes (1)
    void beginDrawQueries();
    void endDrawQueries();

    struct ReadSlot {
        unsigned buffer = 0;
        void* rows = nullptr;   // persistently mapped
        void* fence = nullptr;  // GLsync of the copy
    };
    ReadSlot readSlots_[kReadBackSlots];
    struct DrawQuery {
        const char* effect;
        const char* technique;
        unsigned pass;
        unsigned time, samples;  // query objects
    };
    bool profiling_ = false;
    std::vector<DrawQuery> drawQueries_;
    std::vector<unsigned> freeQueries_[2];  // timer, samples-passed

    GlContext context_;
    unsigned fbo_ = 0, colour_ = 0;          // the back buffer
    unsigned resolveFbo_ = 0, resolved_ = 0; // single-sampled copy
    // Texture targets draw through their own framebuffer with the clip origin at the top,
    // so that row 0 of the texture is the top of the picture, as D3D samples it.
    unsigned targetFbo_ = 0;
    bool toTexture_ = false;
    // Where the last presented frame waits to be read back (headless). A frame a slot has
    // copied needs no copy of its own: the render loop reads each frame once, at once.
    enum class Shown { nothing, backBuffer, resolved, slot };
    Shown shown_ = Shown::nothing;
    int shownSlot_ = -1;  // backBuffer: a slot that copied it; slot: the one holding it
    bool contextMade_ = false;
    int maxSamples_ = 0;
    unsigned glSamplers_[kSamplerCount] = {};
    float maxAnisotropy_ = 0.0f;  // 0: GL_TEXTURE_MAX_ANISOTROPY not available
    // D3D9's depth bias is a distance in the 0..1 range, GL's a count of steps of the
    // depth buffer: 2^16 or 2^24 of them.
    float depthSteps_ = 16777216.0f;
    // The planes and point size as the vertex shaders read them; streamed through the
    // ring at the next draw after a change.
    float clipBlock_[kClipPlaneCount + 1][4] = {};
    bool clipBlockDirty_ = true;
    std::ptrdiff_t clipOffset_ = 0;
    std::uint64_t clipStreamedAt_ = 0;
    DWORD clipDistances_ = 0;     // GL_CLIP_DISTANCEi now enabled
    bool programPointSize_ = false;
    unsigned boundVao_ = 0;
    // Fixed-function draws: their programs, the vertex array they set from the FVF, and
    // the buffer DrawPrimitiveUP copies into.
    FixedFunctionPrograms fixedPrograms_;
    unsigned fixedVao_ = 0, fixedBuffer_ = 0, fixedIndices_ = 0;
    // Binds the vertex array of an FVF draw (copying `vertices` when not null) and
    // returns the fixed-function program to draw with: 0 for the effect's own,
    // kNoProgram when none could be made.
    static constexpr unsigned kNoProgram = ~0u;
    unsigned setUpFixedDraw(const void* vertices, UINT vertexCount, UINT stride);
    // Draws the bound vertex array with `program` (0: the one bound), indexed when
    // `indexSize` is 2 or 4 (its indices at indexOffset in the element buffer).
    void drawFixed(unsigned program, D3DPRIMITIVETYPE type, UINT first, UINT count, UINT indexSize,
                   std::size_t indexOffset);
    void releaseFixedFunction();
    // Binds the fixed-function program for a declaration's vertices (0: none could be
    // built); restoreProgram puts back the one bound before.
    unsigned useFixedFunctionFor(const VertexDeclaration& declaration);
    void restoreProgram();
    unsigned previousProgram_ = 0;
};

}  // namespace d3d9::detail
