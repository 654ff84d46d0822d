#include "app/AppWindow.h"

#include "app/ResourceIds.h"
#include "app/SetupDialog.h"
#include "app/globals/DisplaySettings.h"
#include "platform/win32/dialog.h"
#include "platform/win32/keys.h"
#include "platform/win32/messagebox.h"

AppWindow gAppWindow;

bool AppWindow::create(const char* title) {
    gD3D = Direct3DCreate9(D3D_SDK_VERSION);
    if (!gD3D) {
        MessageBoxA(nullptr, "Failed Direct3DCreate9(SDK_VERSION)", "Error::D3D9Init", MB_ICONWARNING);
        return false;
    }
    // 1 is "Run" and 0 is "Exit"; -1 means the dialog could not be shown at all (no
    // display), which starts nothing either but is worth a box.
    const INT_PTR choice =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETUP), nullptr, setupDialogProc, 0);
    if (choice == -1) MessageBoxA(nullptr, "DialogBoxParam", "Error::Window", MB_ICONWARNING);
    if (choice != 1) return false;

    className_ = title;
    HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.cbSize = kWndClassExASize32;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = className_.c_str();
    windowClass.hIconSm = icon;
    if (!RegisterClassExA(&windowClass)) {
        MessageBoxA(nullptr, "Failed To Register The Window Class.", "ERROR", MB_ICONWARNING);
        return false;
    }
    registered_ = true;

    const DWORD style = gDisplaySettings.fullscreen ? WS_POPUP | WS_VISIBLE : WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
    window = CreateWindowExA(0, className_.c_str(), title, style, 0, 0,
                             static_cast<int>(gDisplaySettings.displayMode.Width),
                             static_cast<int>(gDisplaySettings.displayMode.Height), nullptr, nullptr, instance,
                             nullptr);
    if (window && gDisplaySettings.fullscreen) ShowCursor(FALSE);
    if (!window) {
        MessageBoxA(nullptr, "CreateWindowEx()", "ERROR", MB_ICONWARNING);
        return false;
    }
    return createDevice();
}

bool AppWindow::createDevice() {
    D3DPRESENT_PARAMETERS parameters{};
    if (!gDisplaySettings.fullscreen) {
        // The back buffer takes the desktop's size; Present scales it into the window.
        if (FAILED(gD3D->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &gDisplaySettings.displayMode))) {
            MessageBoxA(nullptr, "GetAdapterDisplayMode", "Error::Window", MB_OK);
            return false;
        }
    }
    const D3DDISPLAYMODE& mode = gDisplaySettings.displayMode;
    parameters.BackBufferWidth = mode.Width;
    parameters.BackBufferHeight = mode.Height;
    parameters.BackBufferFormat = mode.Format;
    parameters.BackBufferCount = 3;
    parameters.MultiSampleType = gDisplaySettings.multisampleType;
    parameters.MultiSampleQuality = 0;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.hDeviceWindow = nullptr;
    parameters.Windowed = gDisplaySettings.fullscreen ? FALSE : TRUE;
    parameters.EnableAutoDepthStencil = FALSE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24X8;
    parameters.Flags = 0;
    parameters.FullScreen_RefreshRateInHz = gDisplaySettings.fullscreen ? mode.RefreshRate : 0;
    parameters.PresentationInterval = gDisplaySettings.vsync ? D3DPRESENT_INTERVAL_DEFAULT : D3DPRESENT_INTERVAL_IMMEDIATE;

    D3DCAPS9 caps{};
    gD3D->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps);
    const bool hardwareVertices = (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
    if (!hardwareVertices) MessageBoxA(nullptr, "Your GPU is from Poland!", "Shitty Hardware", MB_OK);

    const DWORD behaviour = hardwareVertices ? D3DCREATE_HARDWARE_VERTEXPROCESSING : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    if (FAILED(gD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, behaviour, &parameters, &gDevice))) {
        gDevice = nullptr;
        MessageBoxA(nullptr, "CreateDevice", "Error::D3D9Init", MB_OK);
        return false;
    }
    if (FAILED(gDevice->CreateDepthStencilSurface(mode.Width, mode.Height, D3DFMT_D24X8,
                                                  gDisplaySettings.multisampleType, 0, TRUE, &depthSurface,
                                                  nullptr))) {
        depthSurface = nullptr;
        MessageBoxA(nullptr, "CreateDepthStencilSurface", "Error::D3D9Init", MB_OK);
        return false;
    }
    if (FAILED(gDevice->SetDepthStencilSurface(depthSurface))) {
        MessageBoxA(nullptr, "SetDepthStencilSurface", "Error::D3D9Init", MB_OK);
        return false;
    }
    return true;
}

void AppWindow::destroy() {
    if (registered_) {
        UnregisterClassA(className_.c_str(), instance);
        registered_ = false;
    }
    if (gD3D) {
        gD3D->Release();
        gD3D = nullptr;
    }
    if (depthSurface) {
        depthSurface->Release();
        depthSurface = nullptr;
    }
    if (gDevice) {
        gDevice->Release();
        gDevice = nullptr;
    }
}

bool AppWindow::pumpMessages() {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        // The quit request comes from a window closed from its title bar (WM_DESTROY) or
        // from an Escape key-down that the window procedure saw; either ends the show.
        if (message.message == WM_QUIT) {
            quitSeen_ = true;
        } else if (!gDisplaySettings.fullscreen) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return GetAsyncKeyState(VK_ESCAPE) == 0 && !quitSeen_;
}
