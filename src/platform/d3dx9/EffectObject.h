// The ID3DXEffect of an effect file: parameter values kept on the CPU, techniques and
// passes run through the device. Each distinct pair of entry points is one program the
// device builds from the GLSL handed to it; the trace backend draws nothing and writes
// every call as a line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9/internal.h"
#include "platform/d3dx9/d3dx9.h"
#include "platform/d3dx9/effect/CompiledEffect.h"

namespace fx {

class Effect final : public ID3DXEffect, private d3d9::internal::EffectPassSource {
public:
    // `name` is the file name without its directory, as the trace shows it.
    Effect(IDirect3DDevice9* device, std::shared_ptr<const CompiledEffect> compiled, std::string name);

    // Hands the device its programs. False with the messages in `errors`.
    bool createPrograms(const std::string& fileName, std::string& errors);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT SetFloat(D3DXHANDLE parameter, float value) override;
    HRESULT SetFloatArray(D3DXHANDLE parameter, const float* values, UINT count) override;
    HRESULT SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) override;
    HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) override;
    HRESULT SetBool(D3DXHANDLE parameter, BOOL value) override;
    HRESULT SetInt(D3DXHANDLE parameter, INT value) override;
    HRESULT SetTechnique(D3DXHANDLE technique) override;
    HRESULT Begin(UINT* passes, DWORD flags) override;
    HRESULT BeginPass(UINT pass) override;
    HRESULT EndPass() override;
    HRESULT End() override;
    HRESULT CommitChanges() override;
    HRESULT GetDesc(D3DXEFFECT_DESC* desc) override;
    D3DXHANDLE GetParameterByName(D3DXHANDLE parent, LPCSTR name) override;
    D3DXHANDLE GetParameter(D3DXHANDLE parent, UINT index) override;
    D3DXHANDLE GetTechniqueByName(LPCSTR name) override;
    D3DXHANDLE GetTechnique(UINT index) override;
    D3DXHANDLE GetPass(D3DXHANDLE technique, UINT index) override;
    D3DXHANDLE GetPassByName(D3DXHANDLE technique, LPCSTR name) override;
    D3DXHANDLE GetAnnotation(D3DXHANDLE object, UINT index) override;
    D3DXHANDLE GetAnnotationByName(D3DXHANDLE object, LPCSTR name) override;
    HRESULT GetString(D3DXHANDLE object, LPCSTR* value) override;
    HRESULT GetFloat(D3DXHANDLE object, float* value) override;
    HRESULT GetFloatArray(D3DXHANDLE object, float* values, UINT count) override;
    HRESULT GetInt(D3DXHANDLE object, INT* value) override;
    HRESULT GetBool(D3DXHANDLE object, BOOL* value) override;
    D3DXHANDLE GetParameterElement(D3DXHANDLE parameter, UINT index) override;
    HRESULT GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) override;
    HRESULT SetValue(D3DXHANDLE parameter, const void* data, UINT bytes) override;

    const CompiledEffect& compiled() const { return *compiled_; }

private:
    ~Effect() override;

    struct NameIndex {
        const char* name;
        int index;
    };

    // Pass and annotation handles point at these. They start with a byte no name has
    // and a NUL, so that a name lookup given one reads two bytes and finds nothing.
    struct HandleRecord {
        char marker[4] = {'\x01', '\0', '\0', '\0'};
        int technique = -1, pass = -1, parameter = -1;  // the owner
        int annotation = -1;  // -1: the pass itself
    };
    void buildHandles();
    const HandleRecord* record(D3DXHANDLE handle) const;
    D3DXHANDLE passHandle(int technique, int pass) const;
    // The annotations of what `object` names or points at; null when nothing.
    const std::vector<Annotation>* annotationsOf(D3DXHANDLE object, int& technique, int& pass, int& parameter) const;
    // The words and kind of a parameter or annotation handle; false when neither.
    bool valueOf(D3DXHANDLE object, const std::uint32_t*& words, std::size_t& count, ValueKind& kind,
                 const char*& text) const;

    int findParameter(D3DXHANDLE name) const;
    // EffectStructs.cpp: the struct group a handle names (-1: none), and the handle of a
    // member by its full name.
    int findGroup(D3DXHANDLE name) const;
    D3DXHANDLE memberHandle(const std::string& name) const;
    int findTechnique(D3DXHANDLE name) const;
    // Binary search over a sorted name table.
    static int searchName(const std::vector<NameIndex>& names, const char* name);
    // Writes one trace line (trace backend only), formatted into a stack buffer.
    void trace(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    void traceFloats(const char* call, D3DXHANDLE parameter, const float* values, UINT count) const;
    // Stores values converted to the parameter's kind; count words at most.
    void store(int parameter, const float* values, UINT count);
    DWORD stateValue(const StateAssignment& a) const;
    // The begun pass's program to the device (EffectPrograms.cpp); `passBegins` at BeginPass.
    void applyPass(bool passBegins);
    const std::uint8_t* uniformBlock() override;
    d3d9::internal::EffectUnit unit(unsigned index) const override;
    // EffectStates.cpp: the pass's other device states, and what Begin keeps of them.
    void applyDeviceStates(const PassDescription& pass);
    void planSavedStates();
    // Sets passProgram_ and passFixed_ for the pass, its shader choices evaluated.
    void choosePassProgram(int technique, int pass);
    void saveDeviceStates(int technique);
    void restoreDeviceStates();
    // Fills the asm shaders' register files from the pass's shader-constant states.
    void applyShaderConstants(const PassDescription& pass);

    ULONG references_ = 1;
    IDirect3DDevice9* device_;
    bool tracing_;  // a trace sink: lines are formatted only then
    std::shared_ptr<const CompiledEffect> compiled_;
    std::string name_;
    std::vector<NameIndex> parameterNames_, techniqueNames_;  // sorted by strcmp
    std::vector<std::uint32_t> values_;                   // every parameter's words
    std::vector<std::uint32_t> valueOffsets_;             // first word of each parameter
    std::vector<IDirect3DBaseTexture9*> textures_;        // per parameter, held references
    std::uint64_t version_ = 0;                           // bumped by every change
    int technique_ = -1;
    int begunTechnique_ = -1;
    int pass_ = -1;
    int passProgram_ = -1;     // the begun pass's program, -1 for none
    bool passFixed_ = false;   // it has neither shader: the fixed-function pipeline draws
    bool saveState_ = false;
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> savedStates_;
    // Per technique, each render state its passes assign, once: what Begin saves.
    std::vector<std::vector<D3DRENDERSTATETYPE>> techniqueStates_;
    // The same for the other device states: one entry per stage state, sampler state,
    // texture, transform, light and material, and its value when Begin ran.
    struct SavedDeviceState {
        DeviceStateKind kind = DeviceStateKind::Render;
        DWORD id = 0, index = 0;
        bool valid = false;
        DWORD word = 0;  // render, sampler and stage states; a light's enable
        IDirect3DBaseTexture9* texture = nullptr;  // held while saved
        D3DMATRIX matrix{};  // a transform; a clip plane in its first row
        D3DLIGHT9 light{};
        D3DMATERIAL9 material{};
    };
    std::vector<std::vector<SavedDeviceState>> techniqueDeviceStates_;
    std::vector<SavedDeviceState> savedDeviceStates_;
    // Callers pass the same literal for the same name frame after frame: a hit on the
    // pointer, confirmed by one comparison with the name kept in the slot, skips the
    // search, for names the effect lacks too (-1). Misses fall back to the search.
    struct LookupSlot {
        const char* key = nullptr;
        int index = -1;
        char text[40] = {};
    };
    static int lookup(LookupSlot* cache, const std::vector<NameIndex>& names, const char* name);
    static constexpr std::size_t kLookupSlots = 64;
    mutable LookupSlot parameterCache_[kLookupSlots];
    mutable LookupSlot techniqueCache_[kLookupSlots];
    // Per compiled program: the device's handle and the uniform block image.
    struct PassProgram {
        unsigned handle = 0;
        std::vector<std::uint8_t> block;
        std::uint64_t filledVersion = ~std::uint64_t{0};
    };
    std::vector<PassProgram> programs_;
    std::vector<HandleRecord> handles_;  // passes, then annotations; never resized after construction
};

}  // namespace fx
