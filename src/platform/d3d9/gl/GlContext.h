// One OpenGL 4.5 core context: on an SDL window (the show's), or headless through EGL
// on Mesa's surfaceless platform.
#pragma once

struct SDL_Window;

namespace d3d9::detail {

class GlContext {
public:
    GlContext() = default;
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    bool createOnWindow(SDL_Window* window);
    bool createHeadless();
    // Cheap when already current.
    void makeCurrent();
    void swap();
    void setSwapInterval(int interval);
    void drawableSize(int& width, int& height) const;
    bool headless() const { return window_ == nullptr; }

private:
    void destroy();

    SDL_Window* window_ = nullptr;
    void* sdlContext_ = nullptr;
    void* eglDisplay_ = nullptr;
    void* eglContext_ = nullptr;
};

}  // namespace d3d9::detail
