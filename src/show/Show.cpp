#include "show/Show.h"

#include <cmath>

#include "app/globals/DisplaySettings.h"

Show::~Show() { music.release(); }

void Show::load() { music.open("Tindermoot\\Pellmoor.mp3"); }

static void clearTo(float r, float g, float b) {
    if (!gDevice) return;
    auto byte = [](float v) { return static_cast<unsigned>(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f); };
    gDevice->BeginScene();
    gDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, byte(r), byte(g), byte(b)), 1.0f, 0);
    gDevice->EndScene();
}

void Show::renderFrame(float t) {
    clearTo(0.5f + 0.5f * std::sin(t), 0.5f + 0.5f * std::sin(t * 0.7f + 2.0f), 0.5f + 0.5f * std::sin(t * 1.3f + 4.0f));
}

void Show::renderOutro(float t) { clearTo(1.0f - t / 2.0f, 1.0f - t / 2.0f, 1.0f - t / 2.0f); }
