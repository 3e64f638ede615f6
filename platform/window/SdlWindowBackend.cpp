// On-screen and offscreen backends over SDL2. Offscreen (SDL's offscreen driver with EGL) is
// chosen when neither an X11 nor a Wayland display is available.
#include "platform/window/WindowBackend.h"

#include "platform/gl/GL.h"
#include "platform/window/ShownFrameCopy.h"
#include "platform/window/VirtualKeys.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>

namespace quarn {

namespace {

// Wayland lets no client move the pointer; QUARN_RELATIVE_MOUSE=1 asks for the same handling
// elsewhere (remote desktops whose warps arrive late or never).
bool CursorWarpUnavailable(const char* driver) {
    const char* forced = std::getenv("QUARN_RELATIVE_MOUSE");
    if (forced && *forced) return std::string(forced) != "0";
    return driver && std::string(driver) == "wayland";
}

bool DisplayAvailable() {
    // A host that asked SDL for its offscreen driver gets the offscreen behaviour too.
    const char* driver = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (driver && std::string(driver) == "offscreen") return false;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

class SdlWindowBackend final : public WindowBackend {
  public:
    SdlWindowBackend() : offscreen_(!DisplayAvailable()) {}
    ~SdlWindowBackend() override {
        if (context_) SDL_GL_DeleteContext(context_);
        if (window_) SDL_DestroyWindow(window_);
        if (initialised_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    const char* Name() const override { return offscreen_ ? "offscreen" : "on-screen"; }
    bool HasDisplay() const override { return !offscreen_; }

    bool RegisterWindowClass() override {
        if (offscreen_) SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // Key presses must reach the window as key messages, not only as text input.
        SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        initialised_ = true;
        // SDL falls back to a display-less driver when it cannot reach the display it was
        // given (a server that went away, a refused connection): behave as offscreen then,
        // or window positions and cursor warps would come from a display that is not there.
        const char* chosen = SDL_GetCurrentVideoDriver();
        if (chosen && (std::string(chosen) == "offscreen" || std::string(chosen) == "dummy"))
            offscreen_ = true;
        noCursorWarp_ = !offscreen_ && CursorWarpUnavailable(chosen);
        return true;
    }

    bool ChangeDisplayMode(int width, int height, int bitsPerPixel) override {
        if (offscreen_ || !initialised_) return false; // no display to switch
        SDL_DisplayMode want{};
        want.w = width;
        want.h = height;
        want.format = bitsPerPixel <= 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB888;
        SDL_DisplayMode got{};
        if (!SDL_GetClosestDisplayMode(0, &want, &got)) return false;
        if (got.w != width || got.h != height) return false;
        fullScreenMode_ = got;
        fullScreen_ = true;
        return true;
    }

    void RestoreDisplayMode() override {
        if (window_ && fullScreen_) SDL_SetWindowFullscreen(window_, 0);
        fullScreen_ = false;
    }

    bool CreateWindow(const WindowRequest& r) override {
        SDL_GL_ResetAttributes();
        const bool deep = r.colourBits > 16;
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, deep ? 8 : 5);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, deep ? 8 : 6);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, deep ? 8 : 5);
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, r.depthBits);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
        if (r.fullScreen && fullScreen_) flags |= SDL_WINDOW_FULLSCREEN;
        window_ = SDL_CreateWindow(r.title.c_str(), 0, 0, r.width, r.height, flags);
        if (!window_) return false;
        if (r.fullScreen && fullScreen_) SDL_SetWindowDisplayMode(window_, &fullScreenMode_);
        SDL_GetWindowSize(window_, &clientW_, &clientH_);
        caption_ = r.title;
        return true;
    }

    bool GetDeviceContext() override { return window_ != nullptr; }
    bool ChoosePixelFormat(int, int) override { return window_ != nullptr; }
    bool SetPixelFormat() override { return window_ != nullptr; }

    bool CreateContext() override {
        context_ = SDL_GL_CreateContext(window_);
        return context_ != nullptr;
    }

    bool MakeCurrent() override { return SDL_GL_MakeCurrent(window_, context_) == 0; }

    bool LoadGL(std::string& error) override {
        SDL_GL_SetSwapInterval(0); // the loop never waits
        return gl::LoadEntryPoints(&SDL_GL_GetProcAddress, error);
    }

    void StartTimer() override {
        timerRunning_ = true;
        lastTimerTick_ = GetTickCount();
    }

    void ShowWindow() override {
        SDL_ShowWindow(window_);
        SDL_RaiseWindow(window_);
    }

    bool ReleaseCurrent() override {
        shown_.Free();
        gl::UnloadEntryPoints();
        return !window_ || SDL_GL_MakeCurrent(window_, nullptr) == 0;
    }

    bool DeleteContext() override {
        if (context_) SDL_GL_DeleteContext(context_);
        context_ = nullptr;
        return true;
    }

    bool ReleaseDeviceContext() override { return true; }

    bool DestroyWindow() override {
        timerRunning_ = false;
        if (!window_) return false;
        if (relativeCursor_) SDL_SetRelativeMouseMode(SDL_FALSE);
        relativeCursor_ = false;
        SDL_DestroyWindow(window_);
        window_ = nullptr;
        return true;
    }

    bool UnregisterWindowClass() override {
        if (!initialised_) return false;
        posted_.clear();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        initialised_ = false;
        return true;
    }

    bool PeekMessage(WindowMessage& out) override {
        if (!posted_.empty()) {
            out = posted_.front();
            posted_.pop_front();
            return true;
        }
        SDL_Event e;
        while (initialised_ && SDL_PollEvent(&e)) {
            if (Translate(e, out)) return true;
        }
        // Timer messages come only when nothing else waits, as on Win32.
        if (timerRunning_) {
            const uint32_t now = GetTickCount();
            if (now - lastTimerTick_ >= kFrameRateTimerPeriodMs) {
                lastTimerTick_ = now;
                out = WindowMessage{WM_TIMER, kFrameRateTimerId, 0};
                return true;
            }
        }
        return false;
    }

    void PostMessage(const WindowMessage& message) override { posted_.push_back(message); }

    void SwapBuffers() override {
        if (!window_) return;
        shown_.Keep(clientW_, clientH_);
        SDL_GL_SwapWindow(window_);
    }

    void SetCaption(const std::string& caption) override {
        caption_ = caption;
        if (window_) SDL_SetWindowTitle(window_, caption.c_str());
    }
    std::string Caption() const override { return caption_; }

    void ClientToScreen(int& x, int& y) const override {
        int wx = 0, wy = 0;
        if (window_ && !offscreen_) SDL_GetWindowPosition(window_, &wx, &wy);
        x += wx;
        y += wy;
    }

    void SetCursorPos(int x, int y) override {
        cursorX_ = x;
        cursorY_ = y;
        if (noCursorWarp_ && window_) {
            // The pointer stays where it is: SDL's relative mode hides and holds it, and from
            // now on the cursor is the set position moved by each motion's relative amount.
            if (!relativeCursor_) SDL_SetRelativeMouseMode(SDL_TRUE);
            relativeCursor_ = true;
        }
        if (!offscreen_ && !relativeCursor_) {
            // Relative to the window: works where the window manager placed it, and where no
            // global warp exists. SDL reports the move as a motion event.
            int wx = 0, wy = 0;
            ClientToScreen(wx, wy);
            if (window_) SDL_WarpMouseInWindow(window_, x - wx, y - wy);
            return;
        }
        // No pointer device to move: the move message the jump causes is posted here.
        int cx = x, cy = y, ox = 0, oy = 0;
        ClientToScreen(ox, oy);
        cx -= ox;
        cy -= oy;
        posted_.push_back(WindowMessage{WM_MOUSEMOVE, ButtonFlags(), MakeLParam(cx, cy)});
    }

    void GetCursorPos(int& x, int& y) const override {
        if (!offscreen_ && initialised_ && !relativeCursor_) {
            SDL_GetGlobalMouseState(&x, &y);
            return;
        }
        x = cursorX_;
        y = cursorY_;
    }

    int ShowCursor(bool show) override {
        cursorCount_ += show ? 1 : -1;
        if (relativeCursor_ && cursorCount_ >= 0) {
            // A host that shows the cursor again has left mouse look: give the pointer back.
            SDL_SetRelativeMouseMode(SDL_FALSE);
            relativeCursor_ = false;
        }
        if (initialised_) SDL_ShowCursor(cursorCount_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
        return cursorCount_;
    }

    void SetCapture() override {
        captured_ = true;
        if (initialised_ && !offscreen_) SDL_CaptureMouse(SDL_TRUE);
    }
    void ReleaseCapture() override {
        captured_ = false;
        if (initialised_ && !offscreen_) SDL_CaptureMouse(SDL_FALSE);
    }
    bool HasCapture() const override { return captured_; }

    uint32_t GetTickCount() override {
        using namespace std::chrono;
        return static_cast<uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    uint64_t PerformanceCounter() override { return SDL_GetPerformanceCounter(); }
    uint64_t PerformanceFrequency() override { return SDL_GetPerformanceFrequency(); }

    void ShowMessageBox(const std::string& caption, const std::string& text) override {
        if (offscreen_ || SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(),
                                                   text.c_str(), window_) != 0)
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }

    bool ReadFrontBuffer(int x, int y, int width, int height, std::vector<uint8_t>& rgb) override {
        return context_ && shown_.Read(x, y, width, height, clientW_, clientH_, rgb);
    }

    void* WindowHandle() const override { return window_; }
    void* DeviceContextHandle() const override { return window_; }
    void* RenderingContextHandle() const override { return context_; }

  private:
    WParam ButtonFlags() const {
        const Uint32 b = initialised_ ? SDL_GetMouseState(nullptr, nullptr) : 0;
        WParam f = 0;
        if (b & SDL_BUTTON_LMASK) f |= MK_LBUTTON;
        if (b & SDL_BUTTON_RMASK) f |= MK_RBUTTON;
        if (b & SDL_BUTTON_MMASK) f |= MK_MBUTTON;
        const SDL_Keymod mod = SDL_GetModState();
        if (mod & KMOD_SHIFT) f |= MK_SHIFT;
        if (mod & KMOD_CTRL) f |= MK_CONTROL;
        return f;
    }

    bool Translate(const SDL_Event& e, WindowMessage& out) {
        switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const uint32_t vk = VirtualKeyFromSdl(e.key.keysym.sym, e.key.keysym.scancode);
            if (vk == 0) return false;
            out = WindowMessage{e.type == SDL_KEYDOWN ? WM_KEYDOWN : WM_KEYUP, vk, 0};
            return true;
        }
        case SDL_MOUSEMOTION: {
            int cx = e.motion.x, cy = e.motion.y;
            if (relativeCursor_) {
                // Where the pointer cannot be moved back, its absolute position is stale.
                cursorX_ += e.motion.xrel;
                cursorY_ += e.motion.yrel;
                int ox = 0, oy = 0;
                ClientToScreen(ox, oy);
                cx = cursorX_ - ox;
                cy = cursorY_ - oy;
            } else {
                cursorX_ = cx;
                cursorY_ = cy;
                ClientToScreen(cursorX_, cursorY_);
            }
            out = WindowMessage{WM_MOUSEMOVE, ButtonFlags(), MakeLParam(cx, cy)};
            return true;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const bool down = e.type == SDL_MOUSEBUTTONDOWN;
            uint32_t msg;
            switch (e.button.button) {
            case SDL_BUTTON_LEFT:
                msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
                break;
            case SDL_BUTTON_RIGHT:
                msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
                break;
            case SDL_BUTTON_MIDDLE:
                msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
                break;
            default:
                return false;
            }
            // The window class has no double-click style: every press is a plain button-down.
            out = WindowMessage{msg, ButtonFlags(), MakeLParam(e.button.x, e.button.y)};
            return true;
        }
        case SDL_MOUSEWHEEL: {
            // "Natural" scrolling flips what SDL reports; the message counts away from the user.
            const int turn = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            out = WindowMessage{WM_MOUSEWHEEL,
                                static_cast<WParam>(static_cast<uint32_t>(turn * 120) << 16), 0};
            return true;
        }
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                // Only real changes of the client size become size messages.
                if (e.window.data1 == clientW_ && e.window.data2 == clientH_) return false;
                clientW_ = e.window.data1;
                clientH_ = e.window.data2;
                out = WindowMessage{WM_SIZE, 0, MakeLParam(clientW_, clientH_)};
                return true;
            }
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                out = WindowMessage{WM_CLOSE, 0, 0};
                return true;
            }
            return false;
        case SDL_QUIT:
            out = WindowMessage{WM_CLOSE, 0, 0};
            return true;
        default:
            return false;
        }
    }

    bool offscreen_;
    bool noCursorWarp_ = false;   // the display refuses pointer warps
    bool relativeCursor_ = false; // the cursor is tracked from relative motion
    bool initialised_ = false;
    bool fullScreen_ = false;
    SDL_DisplayMode fullScreenMode_{};
    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    int clientW_ = 0, clientH_ = 0;
    std::string caption_;
    std::deque<WindowMessage> posted_;
    bool timerRunning_ = false;
    uint32_t lastTimerTick_ = 0;
    int cursorX_ = 0, cursorY_ = 0;
    int cursorCount_ = 0;
    bool captured_ = false;
    ShownFrameCopy shown_;
};

} // namespace

std::unique_ptr<WindowBackend> CreateNativeWindowBackend() {
    return std::make_unique<SdlWindowBackend>();
}

} // namespace quarn
