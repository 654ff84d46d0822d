// The D3DX 9 subset the show uses besides math: effect files and texture loading.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/d3dx9math.h"

constexpr HRESULT D3DXERR_INVALIDDATA = static_cast<HRESULT>(0x88760B59u);
constexpr HRESULT D3DXERR_NOTAVAILABLE = static_cast<HRESULT>(0x88760B55u);

constexpr DWORD D3DXSHADER_DEBUG = 0x1;
constexpr DWORD D3DXFX_DONOTSAVESTATE = 0x1;

// A handle is a name string: every setter and technique call takes a parameter or
// technique name.
using D3DXHANDLE = const char*;

struct D3DXMACRO {
    LPCSTR Name;
    LPCSTR Definition;
};

// How an #include names its file: "name" or <name>.
enum D3DXINCLUDE_TYPE : DWORD { D3DXINC_LOCAL = 0, D3DXINC_SYSTEM = 1 };

// The caller's #include handler. Open hands back the file's bytes, which stay valid until
// Close; `parentData` is the data of the including file (null for the effect file).
struct ID3DXInclude {
    virtual HRESULT Open(D3DXINCLUDE_TYPE type, LPCSTR fileName, const void* parentData, const void** data,
                         UINT* bytes) = 0;
    virtual HRESULT Close(const void* data) = 0;

protected:
    ~ID3DXInclude() = default;
};
struct ID3DXEffectPool;

struct ID3DXBuffer : IUnknown {
    virtual void* GetBufferPointer() = 0;
    virtual DWORD GetBufferSize() = 0;
};

struct D3DXEFFECT_DESC {
    LPCSTR Creator;
    UINT Parameters;
    UINT Techniques;
    UINT Functions;
};

enum D3DXPARAMETER_CLASS : DWORD {
    D3DXPC_SCALAR, D3DXPC_VECTOR, D3DXPC_MATRIX_ROWS, D3DXPC_MATRIX_COLUMNS, D3DXPC_OBJECT, D3DXPC_STRUCT,
};
enum D3DXPARAMETER_TYPE : DWORD {
    D3DXPT_VOID, D3DXPT_BOOL, D3DXPT_INT, D3DXPT_FLOAT, D3DXPT_STRING, D3DXPT_TEXTURE,
};

struct D3DXPARAMETER_DESC {
    LPCSTR Name;
    LPCSTR Semantic;
    D3DXPARAMETER_CLASS Class;
    D3DXPARAMETER_TYPE Type;  // D3DXPT_VOID for a struct
    UINT Rows, Columns;
    UINT Elements;     // 0: not an array
    UINT Annotations;
    UINT StructMembers;
    DWORD Flags;
    UINT Bytes;
};

struct ID3DXEffect : IUnknown {
    virtual HRESULT SetFloat(D3DXHANDLE parameter, float value) = 0;
    virtual HRESULT SetFloatArray(D3DXHANDLE parameter, const float* values, UINT count) = 0;
    virtual HRESULT SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) = 0;
    virtual HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) = 0;
    virtual HRESULT SetBool(D3DXHANDLE parameter, BOOL value) = 0;
    virtual HRESULT SetInt(D3DXHANDLE parameter, INT value) = 0;
    virtual HRESULT SetTechnique(D3DXHANDLE technique) = 0;
    virtual HRESULT Begin(UINT* passes, DWORD flags) = 0;
    virtual HRESULT BeginPass(UINT pass) = 0;
    virtual HRESULT EndPass() = 0;
    virtual HRESULT End() = 0;
    virtual HRESULT CommitChanges() = 0;
    virtual HRESULT GetDesc(D3DXEFFECT_DESC* desc) = 0;
    // Handles to parameters, techniques, passes and annotations, and reading values
    // through them. The defaults find nothing, for effects that offer no reflection.
    virtual D3DXHANDLE GetParameterByName(D3DXHANDLE, LPCSTR) { return nullptr; }
    virtual D3DXHANDLE GetParameter(D3DXHANDLE, UINT) { return nullptr; }
    virtual D3DXHANDLE GetTechniqueByName(LPCSTR) { return nullptr; }
    virtual D3DXHANDLE GetTechnique(UINT) { return nullptr; }
    virtual D3DXHANDLE GetPass(D3DXHANDLE, UINT) { return nullptr; }
    virtual D3DXHANDLE GetPassByName(D3DXHANDLE, LPCSTR) { return nullptr; }
    virtual D3DXHANDLE GetAnnotation(D3DXHANDLE, UINT) { return nullptr; }
    virtual D3DXHANDLE GetAnnotationByName(D3DXHANDLE, LPCSTR) { return nullptr; }
    virtual HRESULT GetString(D3DXHANDLE, LPCSTR*) { return D3DERR_INVALIDCALL; }
    virtual HRESULT GetFloat(D3DXHANDLE, float*) { return D3DERR_INVALIDCALL; }
    virtual HRESULT GetFloatArray(D3DXHANDLE, float*, UINT) { return D3DERR_INVALIDCALL; }
    virtual HRESULT GetInt(D3DXHANDLE, INT*) { return D3DERR_INVALIDCALL; }
    virtual HRESULT GetBool(D3DXHANDLE, BOOL*) { return D3DERR_INVALIDCALL; }
    // Struct parameters: element `index` of an array of structs, a parameter's description,
    // and a whole value (a struct's is its members' values in order, 4 bytes a component).
    virtual D3DXHANDLE GetParameterElement(D3DXHANDLE, UINT) { return nullptr; }
    virtual HRESULT GetParameterDesc(D3DXHANDLE, D3DXPARAMETER_DESC*) { return D3DERR_INVALIDCALL; }
    virtual HRESULT SetValue(D3DXHANDLE, const void*, UINT) { return D3DERR_INVALIDCALL; }
};

HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, LPCSTR srcFile,
                                  const D3DXMACRO* defines, ID3DXInclude* include, DWORD flags,
                                  ID3DXEffectPool* pool, ID3DXEffect** effect,
                                  ID3DXBuffer** compilationErrors);

// PNG (and the other formats stb_image reads) into an RGBA8 texture with a full mip chain.
// D3DXERR_INVALIDDATA for a missing or unreadable file and for one that is not an image.
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, LPCSTR srcFile,
                                   IDirect3DTexture9** texture);
