#include "engine/frame/RenderScreen.h"

#include "common/EngineError.h"
#include "engine/core/EngineState.h"
#include "platform/gl/GL.h"
#include "platform/MessageChannel.h"

#include <cmath>

namespace quarn {

namespace {
constexpr const char* kErrorCaption = "Error";
}

TQGLWinDLLScreen::TQGLWinDLLScreen(int w, int h) : TQGLBaseScreen(w, h) {}

TQGLWinDLLScreen::~TQGLWinDLLScreen() {
    // The scene's GL objects died with their context; free them without touching GL.
    gl::ScopedNullDispatch noGL;
    scene.reset();
    SetMessageBoxBackend(nullptr);
}

bool TQGLWinDLLScreen::SetMode(bool full, int depth) {
    if (width <= 0 || height <= 0 || (depth != 16 && depth != 24 && depth != 32)) return false;
    fullScreen = full;
    pixelDepth = depth;
    return true;
}

void TQGLWinDLLScreen::LoadProjection(int w, int h, double farClip) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, static_cast<double>(w) / static_cast<double>(h), nearPlane,
                   farClip);
    glMatrixMode(GL_MODELVIEW);
}

void TQGLWinDLLScreen::ApplyProjection(int w, int h, double farClip) {
    if (h == 0) h = 1;
    glViewport(0, 0, w, h);
    LoadProjection(w, h, farClip);
    glLoadIdentity();
    width = w;
    height = h;
}

void TQGLWinDLLScreen::Resize(int w, int h) {
    ApplyProjection(w, h, farPlane);
}

void TQGLWinDLLScreen::SetProjection(float fov, float n, float f) {
    if (!(fov > 0 && fov < 180 && n > 0 && f > n && std::isfinite(f)))
        throw EngineError(Format("Projection %g degrees, near %g, far %g: needs 0 < field of view "
                                 "< 180 and 0 < near < far",
                                 double(fov), double(n), double(f)));
    fieldOfView = fov;
    nearPlane = n;
    farPlane = f;
    projectionSet = true;
    // The model-view matrix is kept, so a call from inside a frame does not lose the camera;
    // culling follows from the next frame, whose frustum is read from these matrices.
    if (glReady) LoadProjection(width, height > 0 ? height : 1, farPlane);
}

void TQGLWinDLLScreen::ResizeRenderWindow(int w, int h) {
    ApplyProjection(w, h, projectionSet ? farPlane : 100.0);
    if (scene) scene->camera.SetCentre(width / 2, height / 2);
}

void TQGLWinDLLScreen::CreateScene() {
    scene = std::make_unique<TQGLScene>(width, height);
    scene->InitGL();
}

void TQGLWinDLLScreen::Render() {
    if (scene) scene->Render();
}

void TQGLWinDLLScreen::Fail(const char* text) {
    if (creationError.empty()) creationError = text;
    ShowMessage(kErrorCaption, text);
}

bool TQGLWinDLLScreen::CreateRenderWindow() {
    creationError.clear();
    glReady = false;
    backend_ = CreateWindowBackend();
    SetMessageBoxBackend(backend_.get());
    if (!backend_->RegisterWindowClass()) {
        Fail("Failed to register the window class!");
        return false;
    }
    classRegistered_ = true;
    if (fullScreen && !backend_->ChangeDisplayMode(width, height, pixelDepth)) {
        ShowMessage(kErrorCaption, "Unable to switch to fullscreen!");
        fullScreen = false;
    }
    if (fullScreen) backend_->ShowCursor(false);
    const auto failAndTearDown = [&](const char* text) {
        DestroyRenderWindow(fullScreen);
        Fail(text);
        return false;
    };
    WindowRequest request;
    request.title = title;
    request.width = width;
    request.height = height;
    request.colourBits = pixelDepth & 0xFF;
    request.depthBits = 16;
    request.fullScreen = fullScreen;
    if (!backend_->CreateWindow(request)) return failAndTearDown("Unable to create window!");
    windowCreated_ = true;
    if (!backend_->GetDeviceContext()) return failAndTearDown("Unable to get a device context!");
    if (!backend_->ChoosePixelFormat(request.colourBits, 16))
        return failAndTearDown("Unable to find a suitable pixel format");
    if (!backend_->SetPixelFormat()) return failAndTearDown("Unable to set the pixel format");
    if (!backend_->CreateContext())
        return failAndTearDown("Unable to create an OpenGL rendering context");
    if (!backend_->MakeCurrent())
        return failAndTearDown("Unable to activate OpenGL rendering context");
    std::string glError;
    if (!backend_->LoadGL(glError)) return failAndTearDown(glError.c_str());
    glReady = true;
    backend_->StartTimer();
    backend_->ShowWindow();
    Resize(width, height);
    InitRenderState();
    return true;
}

void TQGLWinDLLScreen::DestroyRenderWindow(bool full) {
    if (!backend_) return;
    glReady = false;
    if (full) {
        backend_->RestoreDisplayMode();
        backend_->ShowCursor(true);
    }
    if (!backend_->ReleaseCurrent()) ShowMessage(kErrorCaption, "Release of DC and RC failed!");
    if (!backend_->DeleteContext())
        ShowMessage(kErrorCaption, "Release of rendering context failed!");
    if (!backend_->ReleaseDeviceContext())
        ShowMessage(kErrorCaption, "Release of device context failed!");
    if (windowCreated_ && !backend_->DestroyWindow())
        ShowMessage(kErrorCaption, "Unable to destroy window!");
    windowCreated_ = false;
    if (classRegistered_ && !backend_->UnregisterWindowClass())
        ShowMessage(kErrorCaption, "Unable to unregister window class!");
    classRegistered_ = false;
}

void TQGLWinDLLScreen::InitRenderState() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_TEXTURE_2D);
}

void ScreenDeleter::operator()(TQGLWinDLLScreen* screen) const noexcept {
    delete screen;
}

TQGLWinDLLScreen& RequireScreen() {
    TQGLWinDLLScreen* s = Engine().renderScreen.get();
    if (!s) throw EngineError("No scene window: call qglCreateSceneWindow first");
    return *s;
}

TQGLScene& RequireScene() {
    TQGLWinDLLScreen& s = RequireScreen();
    if (!s.scene) throw EngineError("No scene: the scene window has not been created");
    return *s.scene;
}

} // namespace quarn
