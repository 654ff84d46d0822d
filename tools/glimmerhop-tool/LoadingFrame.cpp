#include "LoadingFrame.h"

#include "show/Show.h"
#include "show/ShowDraw.h"

namespace tool {

// As the show draws it: a blue clear, then the picture on a quad slightly larger than
// the screen with its fade in "var1"; without the loading effect only the clear.
void drawLoadingFrame(Show& show, float fade) {
    gDevice->BeginScene();
    gDevice->Clear(0, nullptr, D3DCLEAR_TARGET, show::kBlue, 1.0f, 0);
    show::renderState(D3DRS_CULLMODE, D3DCULL_NONE);
    if (show.dritEffect.compiled) {
        setScreenMatrices(&show.dritEffect);
        show.dritEffect.compiled->SetFloat("var1", fade);
        show.dritEffect.compiled->SetTexture("tex0", show.loadingTexture);
        show.loadingQuad.draw(DrawRequest{"tull", &show.dritEffect, 0, DRAW_MATERIAL_TEXTURES});
    }
    gDevice->EndScene();
}

}  // namespace tool
