// Window, input and timing exports.
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"

#include <algorithm>

using namespace quarn;

namespace {

WindowBackend& RequireBackend() {
    WindowBackend* b = RequireScreen().backend();
    if (!b) throw EngineError("No scene window: call qglCreateSceneWindow first");
    return *b;
}

// Moves the cursor from code: the move message this causes is not reported.
void MoveCursorFromCode(int x, int y) {
    WindowBackend& b = RequireBackend();
    Engine().input.reportMouseMove = false;
    b.SetCursorPos(x, y);
}

} // namespace

extern "C" {

QUARN_API void QUARN_CALL qglSetSceneTitle(const char* Title) {
    GuardGLVoid([&] { RequireScreen().title = Title ? Title : ""; });
}

QUARN_API const char* QUARN_CALL qglGetSceneTitle(void) {
    return GuardGL<const char*>(nullptr, [] { return RequireScreen().title.c_str(); });
}

QUARN_API void QUARN_CALL qglSetSceneKeyCallbacks(TQGLKeyProc OnKeyHeld, TQGLKeyProc OnKeyUp) {
    Engine().callbacks.onKeyHeld = OnKeyHeld;
    Engine().callbacks.onKeyUp = OnKeyUp;
}

QUARN_API void QUARN_CALL qglRegisterSceneKey(int32_t Key) {
    GuardGLVoid([&] { Engine().input.registeredSceneKeys.push_back(Key); });
}

QUARN_API void QUARN_CALL qglUnRegisterSceneKey(int32_t Key) {
    std::deque<int32_t>& keys = Engine().input.registeredSceneKeys;
    std::replace(keys.begin(), keys.end(), Key, 0);
}

QUARN_API void QUARN_CALL qglSetSceneMouseCallbacks(TQGLMouseMoveProc OnMouseMove,
                                                    TQGLMouseDownProc OnMouseDown,
                                                    TQGLMouseUpProc OnMouseUp) {
    Engine().callbacks.onMouseMove = OnMouseMove;
    Engine().callbacks.onMouseDown = OnMouseDown;
    Engine().callbacks.onMouseUp = OnMouseUp;
}

QUARN_API void QUARN_CALL qglSetSceneMouseWheelCallback(TQGLMouseWheelProc OnMouseWheel) {
    Engine().callbacks.onMouseWheel = OnMouseWheel;
}

QUARN_API uint8_t QUARN_CALL qglGetSceneKeyState(uint8_t Key) {
    return Engine().input.sceneKeyStates[Key];
}

QUARN_API void QUARN_CALL qglSetSceneKeyState(uint8_t Key, uint8_t State) {
    Engine().input.sceneKeyStates[Key] = State;
}

QUARN_API void QUARN_CALL qglSetSceneCursorVisibility(uint8_t Visible) {
    GuardGLVoid([&] { RequireBackend().ShowCursor(Visible >= 1); });
}

QUARN_API void QUARN_CALL qglSetSceneMousePosition(int32_t X, int32_t Y) {
    GuardGLVoid([&] { MoveCursorFromCode(X, Y); });
}

QUARN_API void QUARN_CALL qglGetSceneMousePosition(int32_t* X, int32_t* Y) {
    GuardGLVoid([&] {
        int x = 0, y = 0;
        RequireBackend().GetCursorPos(x, y);
        if (X) *X = x;
        if (Y) *Y = y;
    });
}

QUARN_API void QUARN_CALL qglSetSceneMousePositionToCenter(void) {
    GuardGLVoid([&] {
        int x = 0, y = 0;
        RequireScene().camera.ScreenCentre(x, y);
        MoveCursorFromCode(x, y);
    });
}

QUARN_API int32_t QUARN_CALL qglGetSceneActualWidth(void) {
    return GuardGL<int32_t>(0, [] { return RequireScreen().width; });
}

QUARN_API int32_t QUARN_CALL qglGetSceneActualHeight(void) {
    return GuardGL<int32_t>(0, [] { return RequireScreen().height; });
}

QUARN_API int32_t QUARN_CALL qglGetScenePixelDepth(void) {
    return GuardGL<int32_t>(0, [] { return RequireScreen().pixelDepth; });
}

QUARN_API uint8_t QUARN_CALL qglGetSceneFullScreen(void) {
    return GuardGL<uint8_t>(0, [] { return uint8_t(RequireScreen().fullScreen ? 1 : 0); });
}

QUARN_API uint32_t QUARN_CALL qglGetSceneStartTicks(void) {
    return GuardGL<uint32_t>(0, [] { return RequireScreen().startTicks; });
}

QUARN_API uint32_t QUARN_CALL qglGetSceneElapsedTicks(void) {
    return GuardGL<uint32_t>(0, [] { return RequireScreen().elapsed; });
}

QUARN_API uint32_t QUARN_CALL qglGetSceneFrameTicks(void) {
    return GuardGL<uint32_t>(0, [] { return RequireScreen().frameTime; });
}

QUARN_API uint32_t QUARN_CALL qglGetSceneFrameTime(void) {
    return qglGetSceneFrameTicks();
}

QUARN_API const char* QUARN_CALL qglGetSceneFPSString(void) {
    return GuardGL<const char*>(nullptr, [] { return RequireScene().fpsText.c_str(); });
}

QUARN_API void* QUARN_CALL qglGetSceneDeviceContext(void) {
    return GuardGL<void*>(nullptr, [] { return RequireBackend().DeviceContextHandle(); });
}

QUARN_API void* QUARN_CALL qglGetSceneRenderingContext(void) {
    return GuardGL<void*>(nullptr, [] { return RequireBackend().RenderingContextHandle(); });
}

QUARN_API void* QUARN_CALL qglGetSceneWindowHandle(void) {
    return GuardGL<void*>(nullptr, [] { return RequireBackend().WindowHandle(); });
}

} // extern "C"
