// The Windows backend: the engine's own window class, window procedure, WGL context and
// message loop over the Win32 API. The window procedure queues the messages the engine handles
// in the seam's form (they are Win32's own numbers); PeekMessage hands them to the engine.
// <windows.h> stays inside this file: its macros collide with the seam's names.
#include "platform/window/WindowBackend.h"

#include <windows.h>
#undef CreateWindow
#undef PeekMessage
#undef PostMessage

#include "platform/gl/GL.h"
#include "platform/window/ShownFrameCopy.h"

#include <cstdio>
#include <deque>
#include <string>

namespace quarn {

namespace {

constexpr const char* kClassName = "NQGameWindClass";
constexpr UINT kClassStyle = CS_HREDRAW | CS_VREDRAW | CS_OWNDC; // 35: no double-click messages
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kFullScreenExStyle = WS_EX_APPWINDOW;
constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kWindowedExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;

// WGL lives in OpenGL32.dll, which is loaded by name like every GL entry point.
struct Wgl {
    HMODULE module = nullptr;
    HGLRC(WINAPI* createContext)(HDC) = nullptr;
    BOOL(WINAPI* deleteContext)(HGLRC) = nullptr;
    BOOL(WINAPI* makeCurrent)(HDC, HGLRC) = nullptr;
    PROC(WINAPI* getProcAddress)(LPCSTR) = nullptr;

    bool Load() {
        if (module) return true;
        module = ::LoadLibraryA("OpenGL32.dll");
        if (!module) return false;
        createContext = reinterpret_cast<decltype(createContext)>(
            reinterpret_cast<void*>(::GetProcAddress(module, "wglCreateContext")));
        deleteContext = reinterpret_cast<decltype(deleteContext)>(
            reinterpret_cast<void*>(::GetProcAddress(module, "wglDeleteContext")));
        makeCurrent = reinterpret_cast<decltype(makeCurrent)>(
            reinterpret_cast<void*>(::GetProcAddress(module, "wglMakeCurrent")));
        getProcAddress = reinterpret_cast<decltype(getProcAddress)>(
            reinterpret_cast<void*>(::GetProcAddress(module, "wglGetProcAddress")));
        return createContext && deleteContext && makeCurrent && getProcAddress;
    }
};
Wgl g_wgl;

// Extension entries come from the current context. Some drivers answer 1, 2, 3 or -1 for a
// name they do not know instead of null.
void* ContextProc(const char* name) {
    if (!g_wgl.getProcAddress) return nullptr;
    void* p = reinterpret_cast<void*>(g_wgl.getProcAddress(name));
    const intptr_t v = reinterpret_cast<intptr_t>(p);
    return (v >= -1 && v <= 3) ? nullptr : p;
}

bool IsEngineMessage(UINT message) {
    switch (message) {
    case WM_SIZE:
    case WM_CLOSE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_TIMER:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL:
        return true;
    default:
        return false;
    }
}

class Win32WindowBackend final : public WindowBackend {
  public:
    ~Win32WindowBackend() override {
        if (rc_ && g_wgl.deleteContext) g_wgl.deleteContext(rc_);
        if (hdc_) ::ReleaseDC(hwnd_, hdc_);
        if (hwnd_) ::DestroyWindow(hwnd_);
        if (classRegistered_) ::UnregisterClassA(kClassName, instance_);
    }

    const char* Name() const override { return "win32"; }
    bool HasDisplay() const override { return true; }

    bool RegisterWindowClass() override {
        instance_ = ::GetModuleHandleA(nullptr); // the host's executable, not this library
        WNDCLASSA wc{};
        wc.style = kClassStyle;
        wc.lpfnWndProc = &SceneWindowProc;
        wc.hInstance = instance_;
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        classRegistered_ = ::RegisterClassA(&wc) != 0;
        return classRegistered_;
    }

    bool ChangeDisplayMode(int width, int height, int bitsPerPixel) override {
        DEVMODEA mode{};
        mode.dmSize = sizeof mode;
        mode.dmPelsWidth = DWORD(width);
        mode.dmPelsHeight = DWORD(height);
        mode.dmBitsPerPel = DWORD(bitsPerPixel);
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        fullScreen_ = ::ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
        return fullScreen_;
    }

    void RestoreDisplayMode() override {
        if (fullScreen_) ::ChangeDisplaySettingsA(nullptr, 0);
        fullScreen_ = false;
    }

    bool CreateWindow(const WindowRequest& r) override {
        const bool full = r.fullScreen && fullScreen_;
        const DWORD style = full ? kFullScreenStyle : kWindowedStyle;
        const DWORD exStyle = full ? kFullScreenExStyle : kWindowedExStyle;
        // The client area gets the asked size, as on every other platform: the engine's
        // viewport, its screenshots and the host's mouse coordinates all assume it.
        RECT outer{0, 0, r.width, r.height};
        if (!full) ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
        hwnd_ = ::CreateWindowExA(exStyle, kClassName, r.title.c_str(), style, 0, 0,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                  nullptr, instance_, this);
        if (!hwnd_) return false;
        RECT client{};
        ::GetClientRect(hwnd_, &client);
        clientW_ = client.right;
        clientH_ = client.bottom;
        caption_ = r.title;
        return true;
    }

    bool GetDeviceContext() override {
        hdc_ = hwnd_ ? ::GetDC(hwnd_) : nullptr;
        return hdc_ != nullptr;
    }

    bool ChoosePixelFormat(int colourBits, int depthBits) override {
        pixelFormat_ = PIXELFORMATDESCRIPTOR{};
        pixelFormat_.nSize = sizeof(PIXELFORMATDESCRIPTOR);
        pixelFormat_.nVersion = 1;
        pixelFormat_.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
        pixelFormat_.iPixelType = PFD_TYPE_RGBA;
        pixelFormat_.cColorBits = BYTE(colourBits & 0xFF);
        pixelFormat_.cDepthBits = BYTE(depthBits);
        pixelFormat_.iLayerType = PFD_MAIN_PLANE;
        // GDI's pixel-format calls need OpenGL32.dll in the process.
        if (!hdc_ || !g_wgl.Load()) return false;
        formatIndex_ = ::ChoosePixelFormat(hdc_, &pixelFormat_);
        return formatIndex_ != 0;
    }

    bool SetPixelFormat() override {
        return hdc_ && ::SetPixelFormat(hdc_, formatIndex_, &pixelFormat_) != FALSE;
    }

    bool CreateContext() override {
        rc_ = g_wgl.Load() ? g_wgl.createContext(hdc_) : nullptr;
        return rc_ != nullptr;
    }

    bool MakeCurrent() override { return rc_ && g_wgl.makeCurrent(hdc_, rc_) != FALSE; }

    bool LoadGL(std::string& error) override {
        if (!gl::LoadEntryPoints(&ContextProc, error)) return false;
        // The loop never waits for the display.
        using SwapInterval = BOOL(WINAPI*)(int);
        if (auto swap = reinterpret_cast<SwapInterval>(ContextProc("wglSwapIntervalEXT"))) swap(0);
        return true;
    }

    void StartTimer() override {
        ::SetTimer(hwnd_, kFrameRateTimerId, kFrameRateTimerPeriodMs, nullptr);
    }

    void ShowWindow() override {
        ::ShowWindow(hwnd_, SW_SHOW);
        ::SetForegroundWindow(hwnd_);
        ::SetFocus(hwnd_);
    }

    bool ReleaseCurrent() override {
        shown_.Free();
        gl::UnloadEntryPoints();
        return !g_wgl.makeCurrent || g_wgl.makeCurrent(nullptr, nullptr) != FALSE;
    }

    bool DeleteContext() override {
        const bool ok = !rc_ || g_wgl.deleteContext(rc_) != FALSE;
        rc_ = nullptr;
        return ok;
    }

    bool ReleaseDeviceContext() override {
        const bool ok = !hdc_ || ::ReleaseDC(hwnd_, hdc_) != 0;
        hdc_ = nullptr;
        return ok;
    }

    bool DestroyWindow() override {
        if (!hwnd_) return false;
        ::KillTimer(hwnd_, kFrameRateTimerId);
        const bool ok = ::DestroyWindow(hwnd_) != FALSE;
        hwnd_ = nullptr;
        return ok;
    }

    bool UnregisterWindowClass() override {
        queued_.clear();
        if (!classRegistered_) return false;
        classRegistered_ = false;
        return ::UnregisterClassA(kClassName, instance_) != FALSE;
    }

    bool PeekMessage(WindowMessage& out) override {
        MSG msg;
        while (queued_.empty() && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                out = WindowMessage{WM_QUIT, WParam(msg.wParam), LParam(msg.lParam)};
                return true;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg); // queues what the engine handles (SceneWindowProc)
        }
        if (queued_.empty()) return false;
        out = queued_.front();
        queued_.pop_front();
        return true;
    }

    void PostMessage(const WindowMessage& message) override {
        if (message.message == WM_QUIT)
            ::PostQuitMessage(int(message.wParam));
        else
            queued_.push_back(message);
    }

    void SwapBuffers() override {
        if (!hdc_) return;
        shown_.Keep(clientW_, clientH_);
        ::SwapBuffers(hdc_);
    }

    void SetCaption(const std::string& caption) override {
        caption_ = caption;
        if (hwnd_) ::SetWindowTextA(hwnd_, caption.c_str());
    }
    std::string Caption() const override { return caption_; }

    void ClientToScreen(int& x, int& y) const override {
        POINT p{x, y};
        if (hwnd_) ::ClientToScreen(hwnd_, &p);
        x = p.x;
        y = p.y;
    }

    void SetCursorPos(int x, int y) override { ::SetCursorPos(x, y); }
    void GetCursorPos(int& x, int& y) const override {
        POINT p{0, 0};
        ::GetCursorPos(&p);
        x = p.x;
        y = p.y;
    }
    int ShowCursor(bool show) override { return ::ShowCursor(show ? TRUE : FALSE); }
    void SetCapture() override {
        if (hwnd_) ::SetCapture(hwnd_);
    }
    void ReleaseCapture() override { ::ReleaseCapture(); }
    bool HasCapture() const override { return hwnd_ && ::GetCapture() == hwnd_; }

    uint32_t GetTickCount() override { return ::GetTickCount(); }
    uint64_t PerformanceCounter() override {
        LARGE_INTEGER v{};
        ::QueryPerformanceCounter(&v);
        return uint64_t(v.QuadPart);
    }
    uint64_t PerformanceFrequency() override {
        LARGE_INTEGER v{};
        ::QueryPerformanceFrequency(&v);
        return uint64_t(v.QuadPart);
    }

    void ShowMessageBox(const std::string& caption, const std::string& text) override {
        // Window failures: OK with the error icon; the shader runtime's: the exclamation icon;
        // the loaders': OK only. None has an owner.
        UINT style = MB_OK;
        if (caption == "Error")
            style = MB_OK | MB_ICONERROR;
        else if (caption == "CG Initialization Error!")
            style = MB_OK | MB_ICONEXCLAMATION;
        ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
    }

    bool ReadFrontBuffer(int x, int y, int width, int height, std::vector<uint8_t>& rgb) override {
        return rc_ && shown_.Read(x, y, width, height, clientW_, clientH_, rgb);
    }

    void* WindowHandle() const override { return hwnd_; }
    void* DeviceContextHandle() const override { return hdc_; }
    void* RenderingContextHandle() const override { return rc_; }

  private:
    static LRESULT CALLBACK SceneWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self =
            reinterpret_cast<Win32WindowBackend*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && IsEngineMessage(message)) {
            if (message == WM_SIZE) {
                const int w = LOWORD(lParam), h = HIWORD(lParam);
                // Only real changes of the client size reach the engine (a minimised window
                // reports 0 x 0, which no viewport can take).
                if ((w == self->clientW_ && h == self->clientH_) || w == 0 || h == 0) return 0;
                self->clientW_ = w;
                self->clientH_ = h;
            }
            self->queued_.push_back(WindowMessage{message, WParam(wParam), LParam(lParam)});
            return 0;
        }
        // The screen saver and monitor power-down stay off while the scene runs.
        if (message == WM_SYSCOMMAND &&
            ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_MONITORPOWER))
            return 0;
        return ::DefWindowProcA(hwnd, message, wParam, lParam);
    }

    HINSTANCE instance_ = nullptr;
    bool classRegistered_ = false;
    bool fullScreen_ = false;
    HWND hwnd_ = nullptr;
    HDC hdc_ = nullptr;
    HGLRC rc_ = nullptr;
    PIXELFORMATDESCRIPTOR pixelFormat_{};
    int formatIndex_ = 0;
    int clientW_ = 0, clientH_ = 0;
    std::string caption_;
    std::deque<WindowMessage> queued_;
    ShownFrameCopy shown_;
};

} // namespace

std::unique_ptr<WindowBackend> CreateNativeWindowBackend() {
    return std::make_unique<Win32WindowBackend>();
}

} // namespace quarn
