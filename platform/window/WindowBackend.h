// The window-system seam: one render window with a GL context, its message queue, cursor,
// timing and the read-back of what the window shows. The backends: on Linux on-screen and
// offscreen over SDL2 (offscreen is chosen when no display is available), on Windows the
// Win32 window with WGL, and everywhere a test backend with scripted messages, a settable
// clock and the recording GL table.
#pragma once

#include "platform/window/Messages.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quarn {

struct WindowRequest {
    std::string title;
    int width = 0;
    int height = 0;
    int colourBits = 32;
    int depthBits = 16;
    bool fullScreen = false;
};

class WindowBackend {
  public:
    virtual ~WindowBackend() = default;
    virtual const char* Name() const = 0;
    // Whether message boxes can be shown to a person (on-screen only).
    virtual bool HasDisplay() const = 0;

    // The steps of window creation, each reporting success, in the order the engine runs them.
    virtual bool RegisterWindowClass() = 0;
    virtual bool ChangeDisplayMode(int width, int height, int bitsPerPixel) = 0;
    virtual void RestoreDisplayMode() = 0;
    virtual bool CreateWindow(const WindowRequest& request) = 0;
    virtual bool GetDeviceContext() = 0;
    virtual bool ChoosePixelFormat(int colourBits, int depthBits) = 0;
    virtual bool SetPixelFormat() = 0;
    virtual bool CreateContext() = 0;
    virtual bool MakeCurrent() = 0;
    // Fills the GL dispatch table for the current context; false with a message on failure.
    virtual bool LoadGL(std::string& error) = 0;
    virtual void StartTimer() = 0;
    virtual void ShowWindow() = 0;

    // Teardown steps, each reporting success.
    virtual bool ReleaseCurrent() = 0;
    virtual bool DeleteContext() = 0;
    virtual bool ReleaseDeviceContext() = 0;
    virtual bool DestroyWindow() = 0;
    virtual bool UnregisterWindowClass() = 0;

    // Removes one waiting message from the queue; false when none waits.
    virtual bool PeekMessage(WindowMessage& out) = 0;
    virtual void PostMessage(const WindowMessage& message) = 0;

    virtual void SwapBuffers() = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    virtual std::string Caption() const = 0;
    virtual void ClientToScreen(int& x, int& y) const = 0;
    // Moves the cursor (screen coordinates); the window then receives a mouse-move message.
    virtual void SetCursorPos(int x, int y) = 0;
    virtual void GetCursorPos(int& x, int& y) const = 0;
    // Adjusts the cursor display count by +1 or -1; the cursor shows while the count is >= 0.
    virtual int ShowCursor(bool show) = 0;
    virtual void SetCapture() = 0;
    virtual void ReleaseCapture() = 0;
    virtual bool HasCapture() const = 0;
    virtual uint32_t GetTickCount() = 0;
    virtual uint64_t PerformanceCounter() = 0;
    virtual uint64_t PerformanceFrequency() = 0;
    virtual void ShowMessageBox(const std::string& caption, const std::string& text) = 0;
    // RGB pixels of the rectangle (x, y from the window's top-left, y downward) of the frame the
    // window shows (the last frame swapped to it), bottom-up rows; pixels outside the window
    // are black.
    virtual bool ReadFrontBuffer(int x, int y, int width, int height,
                                 std::vector<uint8_t>& rgbBottomUp) = 0;
    // Native handles for the exports that hand them out.
    virtual void* WindowHandle() const = 0;
    virtual void* DeviceContextHandle() const = 0;
    virtual void* RenderingContextHandle() const = 0;
};

// The backend the next window is created on. Defaults to the platform's own (SDL on-screen or
// offscreen on Linux, Win32 on Windows); tests may install a factory for the test backend.
using WindowBackendFactory = std::unique_ptr<WindowBackend> (*)();
void SetWindowBackendFactory(WindowBackendFactory factory);
std::unique_ptr<WindowBackend> CreateWindowBackend();
// The platform's own backend (SdlWindowBackend.cpp or Win32WindowBackend.cpp).
std::unique_ptr<WindowBackend> CreateNativeWindowBackend();

} // namespace quarn
