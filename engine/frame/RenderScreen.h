// The render screen: the window with its GL context, size, colour depth, title, timing and the
// scene it owns. TQGLWinDLLScreen is the one concrete screen the library creates.
#pragma once

#include "engine/scene/Scene.h"
#include "platform/window/WindowBackend.h"

#include <cstdint>
#include <memory>
#include <string>

namespace quarn {

class TQGLBaseScreen {
  public:
    TQGLBaseScreen(int width, int height) : width(width), height(height) {}
    virtual ~TQGLBaseScreen() = default;

    virtual void Resize(int width, int height) = 0;
    virtual void CreateScene() = 0;
    virtual void Render() = 0;

    int32_t frameCounter = 0;
    int32_t width, height;
    int32_t pixelDepth = 32;
    std::string title;
    bool fullScreen = false;
    std::unique_ptr<TQGLScene> scene;
    uint32_t startTicks = 0, previousElapsed = 0, elapsed = 0, frameTime = 0;
};

class TQGLWinDLLScreen : public TQGLBaseScreen {
  public:
    TQGLWinDLLScreen(int width, int height);
    ~TQGLWinDLLScreen() override;

    // Stores the requested mode; refused (false) for a width or height below 1 or a colour
    // depth other than 16, 24 or 32 bits.
    bool SetMode(bool fullScreen, int pixelDepth);

    // Viewport, projection (45 degrees, near 1, far 2000 unless the host set its own) and
    // identity model-view.
    void Resize(int width, int height) override;
    // The window procedure's variant on size messages: far plane 100 (the host's far plane once
    // it set a projection), camera centre updated.
    void ResizeRenderWindow(int width, int height);
    // The host's projection, kept through resizes and applied at once when GL is ready; raises
    // unless 0 < fieldOfView < 180 and 0 < nearPlane < farPlane.
    void SetProjection(float fieldOfViewDegrees, float nearPlane, float farPlane);

    double fieldOfView = 45.0, nearPlane = 1.0, farPlane = 2000.0;
    bool projectionSet = false;
    void CreateScene() override;
    void Render() override;

    // Window, context and GL entry points; false (after the message box and teardown) when a
    // step fails, with the failure text in creationError.
    bool CreateRenderWindow();
    void DestroyRenderWindow(bool fullScreen);
    void InitRenderState();

    WindowBackend* backend() const { return backend_.get(); }
    // True once the GL entry points of this window's context are loaded.
    bool glReady = false;
    std::string creationError;

  private:
    void ApplyProjection(int width, int height, double farClip);
    // Only the projection matrix; the model-view matrix is left as it is.
    void LoadProjection(int width, int height, double farClip);
    void Fail(const char* text);

    std::unique_ptr<WindowBackend> backend_;
    bool classRegistered_ = false;
    bool windowCreated_ = false; // only a window that was made is destroyed at teardown
};

// The engine's screen and its scene, for the exports: raise when no window was created yet.
TQGLWinDLLScreen& RequireScreen();
TQGLScene& RequireScene();

} // namespace quarn
