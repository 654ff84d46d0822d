// The workbench's #include handler: "name" from the including file's folder, then the -I
// folders; <name> from the -I folders, then the effect's folder. It keeps the paths it
// opened, so that saving an include reloads the effect.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx9/d3dx9.h"

namespace tool {

class FolderInclude final : public ID3DXInclude {
public:
    FolderInclude(std::string effectPath, std::vector<std::string> folders);
    HRESULT Open(D3DXINCLUDE_TYPE type, LPCSTR fileName, const void* parentData, const void** data,
                 UINT* bytes) override;
    HRESULT Close(const void* data) override;

    // Every file opened since the handler was made, as found (folder joined to the name).
    const std::vector<std::string>& opened() const { return opened_; }

private:
    std::string effectFolder_;
    std::vector<std::string> folders_;
    std::map<const void*, std::string> open_;  // data handed out -> the file's path
    std::map<const void*, std::unique_ptr<std::string>> text_;  // data handed out -> its bytes
    std::vector<std::string> opened_;
};

}  // namespace tool
