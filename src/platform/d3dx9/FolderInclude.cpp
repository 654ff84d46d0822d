#include "platform/d3dx9/FolderInclude.h"

#include <algorithm>

FolderInclude::FolderInclude(const std::string& effectFile, const std::vector<std::string>& folders)
    : effectFile_(effectFile), open_(fx::defaultIncludeOpener(effectFile, folders)) {}

HRESULT FolderInclude::Open(D3DXINCLUDE_TYPE type, LPCSTR fileName, const void* parentData, const void** data,
                            UINT* bytes) {
    if (!fileName || !data || !bytes) return D3DERR_INVALIDCALL;
    // The parent's data names the file it came from, whose folder is searched first.
    std::string from = effectFile_;
    for (const Opened& o : opened_)
        if (o.text.data() == parentData) from = o.path;
    Opened file;
    const fx::IncludeKind kind = type == D3DXINC_SYSTEM ? fx::IncludeKind::System : fx::IncludeKind::Local;
    if (!open_(kind, fileName, from, file.text, file.path)) return D3DERR_NOTFOUND;
    if (std::find(everOpened_.begin(), everOpened_.end(), file.path) == everOpened_.end())
        everOpened_.push_back(file.path);
    opened_.push_back(std::move(file));
    *data = opened_.back().text.data();
    *bytes = static_cast<UINT>(opened_.back().text.size());
    return D3D_OK;
}

HRESULT FolderInclude::Close(const void* data) {
    for (auto it = opened_.begin(); it != opened_.end(); ++it)
        if (it->text.data() == data) {
            opened_.erase(it);
            return D3D_OK;
        }
    return D3DERR_INVALIDCALL;
}
