#include "Workbench.h"

#include <cstdio>

#include "PreviewRender.h"
#include "ToolWindow.h"
#include "WorkbenchMesh.h"
#include "WorkbenchPanel.h"
#include "WorkbenchSession.h"
#include "platform/win32/hwnd.h"
#include "platform/win32/messagebox.h"

namespace tool {

int runWorkbench(const WorkbenchOptions& options) {
    if (options.width < 2 * static_cast<unsigned>(kPanelWidth) || options.height < 300) {
        std::fprintf(stderr, "glimmerhop-tool fx: --live wants a window of at least %ux300 for its panel\n",
                     2 * static_cast<unsigned>(kPanelWidth));
        return 2;
    }
    PreviewMesh mesh;
    std::string error;
    if (!loadWorkbenchMesh(options.mesh, mesh, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    ScratchFolder scratch;
    if (scratch.path.empty()) {
        std::fprintf(stderr, "%s: cannot make a scratch folder for the built-in textures\n", options.effectPath.c_str());
        return 1;
    }
    // Messages go to the terminal and the panel, never into boxes that stop the drawing.
    win32::setMessageBoxesInteractive(false);
    const std::string title = "Glimmerhop workbench - " + options.effectPath;
    ToolWindow window;
    int code = 1;
    if (openToolWindow(title.c_str(), options.width, options.height, window, D3DFMT_D24S8)) {
        WorkbenchSession session(options, mesh, scratch.path);
        code = session.start();
        if (code == 0) code = session.run(win32::sdlWindowOf(window.window));
    }
    closeToolWindow(window);
    return code;
}

}  // namespace tool
