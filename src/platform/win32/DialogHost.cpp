// Draws a running dialog in its own SDL window with Dear ImGui (OpenGL 3 renderer) and
// turns the viewer's clicks and keys into the procedure's messages: Enter presses the
// default button, Escape is IDCANCEL, the close box is WM_CLOSE.
#include <SDL.h>
#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>
#include <backends/imgui_impl_sdl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/bitmap.h"
#include "platform/win32/dialog.h"
#include "platform/win32/windowtable.h"

namespace win32 {
namespace {

// The few GL calls the host makes itself (ImGui's renderer loads its own).
struct Gl {
    using GenTextures = void (*)(int, unsigned*);
    using DeleteTextures = void (*)(int, const unsigned*);
    using BindTexture = void (*)(unsigned, unsigned);
    using TexParameteri = void (*)(unsigned, unsigned, int);
    using TexImage2D = void (*)(unsigned, int, int, int, int, int, unsigned, unsigned, const void*);
    using PixelStorei = void (*)(unsigned, int);
    using Viewport = void (*)(int, int, int, int);
    using ClearColor = void (*)(float, float, float, float);
    using Clear = void (*)(unsigned);

    GenTextures genTextures = nullptr;
    DeleteTextures deleteTextures = nullptr;
    BindTexture bindTexture = nullptr;
    TexParameteri texParameteri = nullptr;
    TexImage2D texImage2D = nullptr;
    PixelStorei pixelStorei = nullptr;
    Viewport viewport = nullptr;
    ClearColor clearColor = nullptr;
    Clear clear = nullptr;

    template <typename F>
    static bool load(F& f, const char* name) {
        f = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
        return f != nullptr;
    }
    bool load() {
        return load(genTextures, "glGenTextures") && load(deleteTextures, "glDeleteTextures") &&
               load(bindTexture, "glBindTexture") && load(texParameteri, "glTexParameteri") &&
               load(texImage2D, "glTexImage2D") && load(pixelStorei, "glPixelStorei") &&
               load(viewport, "glViewport") && load(clearColor, "glClearColor") && load(clear, "glClear");
    }
};

constexpr unsigned kGlTexture2D = 0x0DE1, kGlRgba = 0x1908, kGlUnsignedByte = 0x1401;
constexpr unsigned kGlMinFilter = 0x2801, kGlMagFilter = 0x2800, kGlNearest = 0x2600;
constexpr unsigned kGlUnpackAlignment = 0x0CF5, kGlColorBufferBit = 0x4000;

// A light look close to the usual Windows dialog.
constexpr ImU32 rgb(unsigned v) { return IM_COL32((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF, 255); }
ImVec4 rgbf(unsigned v) { return ImGui::ColorConvertU32ToFloat4(rgb(v)); }
constexpr unsigned kFace = 0xF0F0F0, kButton = 0xE1E1E1, kButtonBorder = 0xADADAD, kHot = 0xE5F1FB,
                   kPressed = 0xCCE4F7, kAccent = 0x0078D7, kGroupLine = 0xDCDCDC, kShadow = 0xA0A0A0;

// The dialog font: 8 points at 120 dpi is 13.3 pixels to the em, about 16 pixels from
// the top of the tallest letter to the bottom of the lowest (the height ImGui asks for).
constexpr float kFontPixels = 16.0f;

void setUpStyle() {
    ImGuiStyle& style = ImGui::GetStyle();
    ImGui::StyleColorsLight(&style);
    style.WindowRounding = style.FrameRounding = style.PopupRounding = style.GrabRounding = 0.0f;
    style.ScrollbarRounding = 0.0f;
    style.WindowBorderSize = 0.0f;
    style.PopupBorderSize = 1.0f;
    style.FrameBorderSize = 1.0f;
    style.WindowPadding = ImVec2(0, 0);
    style.FramePadding = ImVec2(4, 3);
    style.ItemInnerSpacing = ImVec2(4, 2);
    style.ScrollbarSize = 14.0f;
    ImVec4* c = style.Colors;
    c[ImGuiCol_Text] = rgbf(0x000000);
    c[ImGuiCol_TextDisabled] = rgbf(0x838383);
    c[ImGuiCol_WindowBg] = rgbf(kFace);
    c[ImGuiCol_PopupBg] = rgbf(0xFFFFFF);
    c[ImGuiCol_Border] = rgbf(kButtonBorder);
    c[ImGuiCol_FrameBg] = rgbf(kButton);
    c[ImGuiCol_FrameBgHovered] = rgbf(kHot);
    c[ImGuiCol_FrameBgActive] = rgbf(kPressed);
    c[ImGuiCol_Button] = rgbf(kButton);
    c[ImGuiCol_ButtonHovered] = rgbf(kHot);
    c[ImGuiCol_ButtonActive] = rgbf(kPressed);
    c[ImGuiCol_Header] = rgbf(kAccent);
    c[ImGuiCol_HeaderHovered] = rgbf(0xCCE8FF);
    c[ImGuiCol_HeaderActive] = rgbf(0x99D1FF);
    c[ImGuiCol_CheckMark] = rgbf(0x000000);
}

void loadFont() {
    ImGuiIO& io = ImGui::GetIO();
    const char* candidates[] = {"/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed.ttf",
                                "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"};
    for (const char* path : candidates) {
        if (std::FILE* f = std::fopen(path, "rb")) {
            std::fclose(f);
            if (io.Fonts->AddFontFromFileTTF(path, kFontPixels)) return;
        }
    }
    io.Fonts->AddFontDefault();
}

struct Rect {
    ImVec2 min, max;
};
Rect pixelRect(const DialogItemTemplate& t) {
    ImVec2 min(dialogUnitsToPixelsX(t.x), dialogUnitsToPixelsY(t.y));
    return {min, ImVec2(min.x + dialogUnitsToPixelsX(t.cx), min.y + dialogUnitsToPixelsY(t.cy))};
}

class DialogWindow {
public:
    explicit DialogWindow(Dialog& dialog) : dialog_(dialog) {}
    ~DialogWindow() { close(); }

    bool open();
    void run();

private:
    void close();
    void handle(const SDL_Event& event);
    void frame();
    void drawGroupBox(const DialogControl& c);
    void drawPicture(const DialogControl& c);
    void drawButton(DialogControl& c);
    void drawCheckBox(DialogControl& c);
    void drawList(DialogControl& c);
    void loadPicture();

    Dialog& dialog_;
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    bool imgui_ = false;
    Gl gl_;
    unsigned picture_ = 0;
    int pictureWidth_ = 0, pictureHeight_ = 0;
    bool closePopups_ = false;
};

bool DialogWindow::open() {
    if (!internal::startVideo()) {
        std::fprintf(stderr, "DialogBoxParam: no display: %s\n", SDL_GetError());
        return false;
    }
    // SDL's stand-in drivers open windows nobody sees: a dialog there would wait forever.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) {
        std::fprintf(stderr, "DialogBoxParam: no display to show the dialog on\n");
        return false;
    }
    const DialogTemplate& layout = dialog_.layout();
    const int width = static_cast<int>(dialogUnitsToPixelsX(layout.cx) + 0.5f);
    const int height = static_cast<int>(dialogUnitsToPixelsY(layout.cy) + 0.5f);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    window_ = SDL_CreateWindow(layout.caption ? layout.caption : "", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window_) {
        std::fprintf(stderr, "DialogBoxParam: cannot open the dialog window: %s\n", SDL_GetError());
        return false;
    }
    context_ = SDL_GL_CreateContext(window_);
    if (!context_ || SDL_GL_MakeCurrent(window_, context_) != 0 || !gl_.load()) {
        std::fprintf(stderr, "DialogBoxParam: no OpenGL for the dialog: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_SetSwapInterval(1);

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    imgui_ = true;
    ImGui::GetIO().IniFilename = nullptr;
    ImGui::GetIO().LogFilename = nullptr;
    setUpStyle();
    loadFont();
    ImGui_ImplSDL2_InitForOpenGL(window_, context_);
    ImGui_ImplOpenGL3_Init("#version 130");
    loadPicture();
    return true;
}

void DialogWindow::close() {
    if (imgui_) {
        if (picture_) gl_.deleteTextures(1, &picture_);
        ImGui_ImplOpenGL3_Shutdown();
        ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext();
        imgui_ = false;
    }
    if (context_) SDL_GL_DeleteContext(context_);
    if (window_) SDL_DestroyWindow(window_);
    // The show's device asks for its own kind of context afterwards.
    if (window_) SDL_GL_ResetAttributes();
    context_ = nullptr;
    window_ = nullptr;
}

void DialogWindow::loadPicture() {
    for (const auto& c : dialog_.controls()) {
        if (c.layout.kind != ControlKind::Bitmap) continue;
        const BitmapResource* resource = findBitmapResource(c.layout.resource);
        DecodedBitmap bitmap;
        if (!resource || !decodeBitmap(resource->bytes, resource->size, bitmap)) {
            std::fprintf(stderr, "DialogBoxParam: bitmap %d missing or unreadable\n", c.layout.resource);
            return;
        }
        gl_.genTextures(1, &picture_);
        gl_.bindTexture(kGlTexture2D, picture_);
        gl_.texParameteri(kGlTexture2D, kGlMinFilter, kGlNearest);
        gl_.texParameteri(kGlTexture2D, kGlMagFilter, kGlNearest);
        gl_.pixelStorei(kGlUnpackAlignment, 1);
        gl_.texImage2D(kGlTexture2D, 0, kGlRgba, bitmap.width, bitmap.height, 0, kGlRgba, kGlUnsignedByte,
                       bitmap.rgba.data());
        pictureWidth_ = bitmap.width;
        pictureHeight_ = bitmap.height;
        return;
    }
}

void DialogWindow::handle(const SDL_Event& event) {
    const Uint32 ownId = SDL_GetWindowID(window_);
    switch (event.type) {
    case SDL_QUIT:
        dialog_.close();
        return;
    case SDL_WINDOWEVENT:
        if (event.window.windowID == ownId && event.window.event == SDL_WINDOWEVENT_CLOSE) {
            dialog_.close();
            return;
        }
        break;
    case SDL_KEYDOWN:
        if (event.key.windowID != ownId) return;
        if (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER ||
            event.key.keysym.sym == SDLK_ESCAPE) {
            // An open list takes the key for itself: it only closes.
            if (ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel)) {
                closePopups_ = true;
                return;
            }
            if (event.key.keysym.sym == SDLK_ESCAPE)
                dialog_.pressEscape();
            else
                dialog_.pressEnter();
            return;
        }
        break;
    default:
        break;
    }
    ImGui_ImplSDL2_ProcessEvent(&event);
}

void DialogWindow::run() {
    dialog_.start();
    if (dialog_.ended()) return;
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    frame();
    while (!dialog_.ended()) {
        SDL_Event event;
        // Waking now and then keeps hover feedback going without spinning.
        if (SDL_WaitEventTimeout(&event, 100)) {
            handle(event);
            while (!dialog_.ended() && SDL_PollEvent(&event)) handle(event);
        }
        if (!dialog_.ended()) frame();
    }
}

void DialogWindow::drawGroupBox(const DialogControl& c) {
    ImDrawList* draw = ImGui::GetWindowDrawList();
    Rect r = pixelRect(c.layout);
    const float half = ImGui::GetFontSize() * 0.5f;
    draw->AddRect(ImVec2(r.min.x + 0.5f, r.min.y + half), ImVec2(r.max.x - 0.5f, r.max.y - 0.5f), rgb(kGroupLine));
    if (c.text.empty()) return;
    const ImVec2 size = ImGui::CalcTextSize(c.text.c_str());
    const ImVec2 at(r.min.x + dialogUnitsToPixelsX(4), r.min.y);
    draw->AddRectFilled(ImVec2(at.x - 2, at.y), ImVec2(at.x + size.x + 2, at.y + size.y), rgb(kFace));
    draw->AddText(at, rgb(0x000000), c.text.c_str());
}

// Centred in its frame and cut to it, as a static picture control with a centred image
// is drawn; the frame is sunken with a static edge.
void DialogWindow::drawPicture(const DialogControl& c) {
    ImDrawList* draw = ImGui::GetWindowDrawList();
    Rect r = pixelRect(c.layout);
    r.min = ImVec2(static_cast<float>(static_cast<int>(r.min.x)), static_cast<float>(static_cast<int>(r.min.y)));
    r.max = ImVec2(static_cast<float>(static_cast<int>(r.max.x)), static_cast<float>(static_cast<int>(r.max.y)));
    draw->AddRectFilled(r.min, r.max, rgb(kFace));
    if (picture_) {
        const ImVec2 centre((r.min.x + r.max.x) * 0.5f, (r.min.y + r.max.y) * 0.5f);
        const ImVec2 min(static_cast<float>(static_cast<int>(centre.x - pictureWidth_ * 0.5f)),
                         static_cast<float>(static_cast<int>(centre.y - pictureHeight_ * 0.5f)));
        draw->PushClipRect(ImVec2(r.min.x + 2, r.min.y + 2), ImVec2(r.max.x - 2, r.max.y - 2), true);
        draw->AddImage(reinterpret_cast<ImTextureID>(static_cast<std::intptr_t>(picture_)), min,
                       ImVec2(min.x + pictureWidth_, min.y + pictureHeight_));
        draw->PopClipRect();
    }
    // Two bevels: dark above and to the left, light below and to the right.
    for (int i = 0; i < 2; ++i) {
        const float o = i + 0.5f;
        const ImU32 dark = rgb(i == 0 ? kShadow : 0x696969), light = rgb(i == 0 ? 0xFFFFFF : 0xE3E3E3);
        draw->AddLine(ImVec2(r.min.x + o, r.max.y - o), ImVec2(r.min.x + o, r.min.y + o), dark);
        draw->AddLine(ImVec2(r.min.x + o, r.min.y + o), ImVec2(r.max.x - o, r.min.y + o), dark);
        draw->AddLine(ImVec2(r.max.x - o, r.min.y + o), ImVec2(r.max.x - o, r.max.y - o), light);
        draw->AddLine(ImVec2(r.max.x - o, r.max.y - o), ImVec2(r.min.x + o, r.max.y - o), light);
    }
}

void DialogWindow::drawButton(DialogControl& c) {
    Rect r = pixelRect(c.layout);
    ImGui::SetCursorPos(r.min);
    ImGui::PushID(c.layout.id);
    if (!c.enabled) ImGui::BeginDisabled();
    const bool isDefault = c.layout.kind == ControlKind::DefaultPushButton;
    if (isDefault) ImGui::PushStyleColor(ImGuiCol_Border, rgbf(kAccent));
    const bool pressed = ImGui::Button(c.text.c_str(), ImVec2(r.max.x - r.min.x, r.max.y - r.min.y));
    if (isDefault) ImGui::PopStyleColor();
    if (!c.enabled) ImGui::EndDisabled();
    ImGui::PopID();
    if (pressed) dialog_.click(c.layout.id);
}

void DialogWindow::drawCheckBox(DialogControl& c) {
    Rect r = pixelRect(c.layout);
    const float height = r.max.y - r.min.y;
    const float frame = ImGui::GetFontSize();
    ImGui::PushStyleVar(ImGuiStyleVar_FramePadding, ImVec2(0, 0));
    ImGui::PushStyleColor(ImGuiCol_FrameBg, rgbf(0xFFFFFF));
    ImGui::PushStyleColor(ImGuiCol_Border, rgbf(0x333333));
    ImGui::SetCursorPos(ImVec2(r.min.x, r.min.y + (height - frame) * 0.5f));
    ImGui::PushID(c.layout.id);
    if (!c.enabled) ImGui::BeginDisabled();
    bool checked = c.checked;
    const bool changed = ImGui::Checkbox(c.text.c_str(), &checked);
    if (!c.enabled) ImGui::EndDisabled();
    ImGui::PopID();
    ImGui::PopStyleColor(2);
    ImGui::PopStyleVar();
    if (changed) dialog_.click(c.layout.id);
}

void DialogWindow::drawList(DialogControl& c) {
    Rect r = pixelRect(c.layout);
    ImGui::SetCursorPos(r.min);
    ImGui::SetNextItemWidth(r.max.x - r.min.x);
    ImGui::PushID(c.layout.id);
    if (!c.enabled) ImGui::BeginDisabled();
    const bool hasSelection = c.selection >= 0 && c.selection < static_cast<int>(c.items.size());
    const char* preview = hasSelection ? c.items[c.selection].c_str() : "";
    int chosen = -1;
    if (ImGui::BeginCombo("##list", preview, ImGuiComboFlags_HeightRegular)) {
        if (closePopups_) ImGui::CloseCurrentPopup();
        ImGui::PushStyleColor(ImGuiCol_Header, rgbf(kAccent));
        for (int i = 0; i < static_cast<int>(c.items.size()); ++i) {
            const bool selected = i == c.selection;
            if (selected) ImGui::PushStyleColor(ImGuiCol_Text, rgbf(0xFFFFFF));
            if (ImGui::Selectable(c.items[i].c_str(), selected)) chosen = i;
            if (selected) {
                ImGui::PopStyleColor();
                if (ImGui::IsWindowAppearing()) ImGui::SetScrollHereY();
            }
        }
        ImGui::PopStyleColor();
        ImGui::EndCombo();
    }
    if (!c.enabled) ImGui::EndDisabled();
    ImGui::PopID();
    if (chosen >= 0) dialog_.select(c.layout.id, chosen);
}

void DialogWindow::frame() {
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    ImGui::Begin("##dialog", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_NoNav);
    // Frames first, so that the lists' and buttons' faces lie above them.
    for (auto& c : dialog_.controls()) {
        if (c.layout.kind == ControlKind::GroupBox) drawGroupBox(c);
        if (c.layout.kind == ControlKind::Bitmap) drawPicture(c);
    }
    for (auto& c : dialog_.controls()) {
        if (dialog_.ended()) break;
        switch (c.layout.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefaultPushButton:
            drawButton(c);
            break;
        case ControlKind::AutoCheckBox:
            drawCheckBox(c);
            break;
        case ControlKind::DropDownList:
            drawList(c);
            break;
        default:
            break;
        }
    }
    closePopups_ = false;
    ImGui::End();
    ImGui::Render();
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(window_, &width, &height);
    gl_.viewport(0, 0, width, height);
    const ImVec4 face = rgbf(kFace);
    gl_.clearColor(face.x, face.y, face.z, 1.0f);
    gl_.clear(kGlColorBufferBit);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    SDL_GL_SwapWindow(window_);
}

}  // namespace

bool runDialogWindow(Dialog& dialog) {
    DialogWindow window(dialog);
    if (!window.open()) return false;
    window.run();
    return true;
}

}  // namespace win32
