// One OpenGL 4.5 core context: on an SDL window (the show's), or headless through EGL
// on the display EglDevices chooses.
#pragma once

#include <string>

#include "platform/d3d9/gl/EglDevices.h"

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
    // Headless: the display the context was made on, or why none took.
    const EglDisplayChoice& headlessChoice() const { return choice_; }
    const std::string& headlessError() const { return headlessError_; }

private:
    void destroy();
    bool tryHeadless(void* display);

    SDL_Window* window_ = nullptr;
    void* sdlContext_ = nullptr;
    void* eglDisplay_ = nullptr;
    void* eglContext_ = nullptr;
    EglDisplayChoice choice_;
    std::string headlessError_;
};

}  // namespace d3d9::detail
