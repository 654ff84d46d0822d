// The workbench's run: compiling and swapping in the effect, the camera and the controls,
// and one frame after another until the window closes.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "LiveStrip.h"
#include "LiveWatch.h"
#include "OrbitCamera.h"
#include "PreviewBinder.h"
#include "PreviewTechnique.h"
#include "Workbench.h"
#include "WorkbenchPanel.h"

struct SDL_Window;
union SDL_Event;

namespace tool {

const fx::EffectDescription& descriptionOf(ID3DXEffect* effect);

// One compiled version of the effect and what was made for it.
struct LoadedEffect {
    ID3DXEffect* effect = nullptr;
    std::unique_ptr<PreviewTargets> targets;
    std::unique_ptr<HostScene> host;
    std::vector<std::string> files;  // the effect file and the includes it read
    ~LoadedEffect();
};

class WorkbenchSession {
public:
    WorkbenchSession(const WorkbenchOptions& options, const PreviewMesh& mesh, const std::string& scratch);
    ~WorkbenchSession();
    WorkbenchSession(const WorkbenchSession&) = delete;
    WorkbenchSession& operator=(const WorkbenchSession&) = delete;
    // Compiles the file the first time: 0, or the exit code (with a message on stderr)
    // when the mesh could not be made (1) or the file has no such technique (2). A
    // compile error still opens the window, with the panel.
    int start();
    int run(SDL_Window* window);

private:
    // WorkbenchReload.cpp
    bool compile(std::string& errors);
    void reloadChanged();
    void watchFiles();
    void applyEdits();
    // WorkbenchSession.cpp
    void handleEvent(const SDL_Event& event);
    void handleKey(int key);
    void drawFrame();
    PreviewScene scene() const;
    // The name of the technique drawn; empty when nothing is compiled or it has none.
    std::string techniqueName() const;
    void screenshot();

    WorkbenchOptions options_;
    std::string scratch_;
    std::vector<D3DXMACRO> macros_;
    MeshBuffers mesh_;
    float meshCentre_[3] = {}, meshRadius_ = 1;
    std::unique_ptr<PreviewBinder> binder_;
    std::unique_ptr<LoadedEffect> loaded_;
    std::size_t technique_ = 0;
    std::map<std::string, ParameterEdit> edits_;
    std::map<std::string, IDirect3DTexture9*> images_;  // chosen in the panel, by path
    std::vector<ErrorPanelEntry> errors_;
    std::map<std::string, std::unique_ptr<FolderWatch>> watches_;  // by folder
    OrbitCamera camera_;
    Overlay overlay_;
    bool quit_ = false, paused_ = false, wantShot_ = false, printLayout_ = false;
    int dragButton_ = 0;
    float time_ = 0;
    double frameMs_ = 0;
    std::string note_;
    double savedAt_ = 0;  // when the version just swapped in was saved; 0 once it is shown
};

}  // namespace tool
