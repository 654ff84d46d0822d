// An #include handler that searches include folders, as fxc's /I and an application's
// own ID3DXInclude do: "name" beside the including file, then in each folder, then
// beside the effect file; <name> in each folder, then beside the effect file.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "platform/d3dx9/d3dx9.h"
#include "platform/d3dx9/effect/Preprocessor.h"

class FolderInclude final : public ID3DXInclude {
public:
    FolderInclude(const std::string& effectFile, const std::vector<std::string>& folders);
    HRESULT Open(D3DXINCLUDE_TYPE type, LPCSTR fileName, const void* parentData, const void** data,
                 UINT* bytes) override;
    HRESULT Close(const void* data) override;

    // Every file opened since the handler was made, each once, as found: a watcher of the
    // effect's files reads them.
    const std::vector<std::string>& opened() const { return everOpened_; }

private:
    struct Opened {
        std::string path, text;
    };
    std::string effectFile_;
    fx::IncludeOpener open_;
    std::list<Opened> opened_;  // a list: the text handed out stays where it is until Close
    std::vector<std::string> everOpened_;
};
