// D3DXCreateEffectFromFileA: reads, compiles and, on the GL backend, links an effect file.
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/d3d9/internal.h"
#include "platform/d3dx9/EffectObject.h"
#include "platform/d3dx9/effect/Preprocessor.h"
#include "platform/d3dx9/effect/ShaderCompiler.h"
#include "platform/win32/files.h"

namespace {

class TextBuffer final : public ID3DXBuffer {
public:
    explicit TextBuffer(const std::string& text) : data_(text.begin(), text.end()) { data_.push_back('\0'); }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    void* GetBufferPointer() override { return data_.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(data_.size()); }

private:
    ~TextBuffer() override = default;
    ULONG references_ = 1;
    std::vector<char> data_;
};

std::string baseName(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    return name;
}

// Reads #include files through the caller's handler, closing each when compiling is done.
class IncludeBridge {
public:
    explicit IncludeBridge(ID3DXInclude* include) : include_(include) {}
    IncludeBridge(const IncludeBridge&) = delete;
    IncludeBridge& operator=(const IncludeBridge&) = delete;
    ~IncludeBridge() {
        for (auto it = opened_.rbegin(); it != opened_.rend(); ++it) include_->Close(it->second);
    }

    fx::IncludeOpener opener() {
        return [this](fx::IncludeKind kind, const std::string& name, const std::string& from, std::string& text,
                      std::string& path) {
            const void* parent = nullptr;
            for (const auto& [openedName, data] : opened_)
                if (openedName == from) parent = data;
            const void* data = nullptr;
            UINT bytes = 0;
            D3DXINCLUDE_TYPE type = kind == fx::IncludeKind::Local ? D3DXINC_LOCAL : D3DXINC_SYSTEM;
            if (FAILED(include_->Open(type, name.c_str(), parent, &data, &bytes))) return false;
            if (!data && bytes > 0) return false;
            opened_.emplace_back(name, data);
            text.assign(static_cast<const char*>(data), bytes);
            path = name;
            return true;
        };
    }

private:
    ID3DXInclude* include_;
    std::vector<std::pair<std::string, const void*>> opened_;
};

HRESULT fail(HRESULT hr, const std::string& text, ID3DXBuffer** errors) {
    if (errors) *errors = text.empty() ? nullptr : new TextBuffer(text);
    return hr;
}

}  // namespace

HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, LPCSTR srcFile, const D3DXMACRO* defines,
                                  ID3DXInclude* include, DWORD /*flags*/, ID3DXEffectPool* /*pool*/,
                                  ID3DXEffect** effect, ID3DXBuffer** compilationErrors) {
    if (compilationErrors) *compilationErrors = nullptr;
    if (effect) *effect = nullptr;
    if (!device || !srcFile || !effect) return D3DERR_INVALIDCALL;

    std::string source;
    if (!fx::readSourceFile(win32::openFile(srcFile, "rb"), source))
        return fail(D3DERR_NOTFOUND, std::string(srcFile) + ": error: cannot read the effect file\n", compilationErrors);

    fx::Defines macros;
    for (const D3DXMACRO* m = defines; m && m->Name; ++m) macros.emplace_back(m->Name, m->Definition ? m->Definition : "");

    std::string errors;
    IncludeBridge bridge(include);
    std::shared_ptr<const fx::CompiledEffect> compiled = fx::compileEffect(
        source, srcFile, macros, d3d9::internal::attributeLocation, errors, include ? bridge.opener() : nullptr);
    if (!compiled) return fail(D3DXERR_INVALIDDATA, errors, compilationErrors);

    // The trace backend links nothing: the GLSL is checked as the GL device would take it,
    // so that no file passes there that the device refuses.
    const bool gl = d3d9::internal::backendOf(device) == d3d9::Backend::Gl;
    for (const fx::CompiledProgram& program : compiled->programs)
        if (!gl && !fx::validateGlsl(program, srcFile, errors)) return fail(D3DXERR_INVALIDDATA, errors, compilationErrors);
    auto* object = new fx::Effect(device, std::move(compiled), baseName(srcFile));
    if (!object->createPrograms(srcFile, errors)) {
        object->Release();
        return fail(D3DXERR_INVALIDDATA, errors, compilationErrors);
    }
    *effect = object;
    return D3D_OK;
}
