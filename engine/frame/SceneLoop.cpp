#include "engine/frame/SceneLoop.h"

#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"
#include "platform/MessageChannel.h"

#include <cmath>
#include <exception>
#include <string>

namespace quarn {

namespace {

void CallBeforeRender() {
    if (Engine().callbacks.onBeforeRender) Engine().callbacks.onBeforeRender();
}

void CallAfterRender() {
    if (Engine().callbacks.onAfterRender) Engine().callbacks.onAfterRender();
}

void ResizeRenderScreen(int width, int height) {
    if (Engine().renderScreen) Engine().renderScreen->Resize(width, height);
}

// Mouse look and the cursor exports move the cursor from code; the move message that jump
// causes is swallowed once instead of being reported.
void WarpCursor(int x, int y) {
    EngineState& e = Engine();
    e.input.reportMouseMove = false;
    if (e.renderScreen && e.renderScreen->backend()) e.renderScreen->backend()->SetCursorPos(x, y);
}

void ClientOriginOnScreen(int& x, int& y) {
    EngineState& e = Engine();
    x = y = 0;
    if (e.renderScreen && e.renderScreen->backend())
        e.renderScreen->backend()->ClientToScreen(x, y);
}

void DispatchKeysHeld() {
    EngineState& e = Engine();
    const size_t count = e.input.registeredSceneKeys.size();
    for (size_t i = 0; i < count && i < e.input.registeredSceneKeys.size(); ++i) {
        int32_t* key = &e.input.registeredSceneKeys[i];
        if (e.input.IsKeyDown(*key) && e.callbacks.onKeyHeld) e.callbacks.onKeyHeld(key);
    }
}

} // namespace

void AdvanceFrameTiming(TQGLWinDLLScreen& s, uint32_t tickCount) {
    s.previousElapsed = s.elapsed;
    s.elapsed = tickCount - s.startTicks;
    s.elapsed = static_cast<uint32_t>(s.previousElapsed + s.elapsed) >> 1;
    s.frameTime = s.elapsed - s.previousElapsed;
}

void UpdateFrameRateCaption(TQGLWinDLLScreen& s) {
    const long fps = std::lround(s.frameCounter * 1000 / 1000.0);
    if (s.backend()) s.backend()->SetCaption(s.title + "   [" + std::to_string(fps) + " FPS]");
    s.frameCounter = 0;
}

void SceneWindowProc(TQGLWinDLLScreen& screen, const WindowMessage& m) {
    EngineState& e = Engine();
    InputState& in = e.input;
    WindowBackend* backend = screen.backend();
    const int x = static_cast<int>(LowWord(m.lParam));
    const int y = static_cast<int>(HighWord(m.lParam));
    switch (m.message) {
    case WM_SIZE:
        if (screen.glReady) screen.ResizeRenderWindow(x, y);
        break;
    case WM_CLOSE:
        backend->PostMessage(WindowMessage{WM_QUIT, 0, 0});
        break;
    case WM_KEYDOWN:
        if (m.wParam < 256) in.sceneKeyStates[m.wParam] = 1;
        break;
    case WM_KEYUP:
        if (m.wParam < 256) in.sceneKeyStates[m.wParam] = 0;
        for (int32_t& key : in.registeredSceneKeys) {
            if (static_cast<WParam>(static_cast<uint32_t>(key)) == m.wParam) {
                if (e.callbacks.onKeyUp) e.callbacks.onKeyUp(&key);
                break;
            }
        }
        break;
    case WM_TIMER:
        if (m.wParam == kFrameRateTimerId) UpdateFrameRateCaption(screen);
        break;
    case WM_MOUSEMOVE: {
        in.prevCursorX = in.cursorX;
        in.prevCursorY = in.cursorY;
        int sx = x, sy = y;
        backend->ClientToScreen(sx, sy);
        in.cursorX = sx;
        in.cursorY = sy;
        if (e.callbacks.onMouseMove && in.reportMouseMove)
            e.callbacks.onMouseMove(float(in.cursorX), float(in.cursorY), float(in.prevCursorX),
                                    float(in.prevCursorY));
        else
            in.reportMouseMove = true;
        break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        backend->ReleaseCapture();
        backend->SetCapture();
        in.mouseButton = m.message == WM_LBUTTONDOWN ? 1 : (m.message == WM_RBUTTONDOWN ? 2 : 3);
        in.mouseDownX = float(x);
        in.mouseDownY = float(y);
        if (e.callbacks.onMouseDown)
            e.callbacks.onMouseDown(in.mouseButton, in.mouseDownX, in.mouseDownY,
                                    float(in.prevCursorX), float(in.prevCursorY));
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        backend->ReleaseCapture();
        if (e.callbacks.onMouseUp) e.callbacks.onMouseUp(in.mouseButton);
        in.mouseButton = 0;
        in.mouseDownX = in.mouseDownY = 0.0f;
        break;
    case WM_MOUSEWHEEL: // the turn in the high word, signed, 120 a notch
        if (e.callbacks.onMouseWheel)
            e.callbacks.onMouseWheel(float(static_cast<int16_t>(HighWord(m.wParam))) / 120.0f);
        break;
    default:
        break; // default processing
    }
}

int32_t RunSceneLoop(TQGLWinDLLScreen& screen) {
    EngineState& e = Engine();
    if (!screen.CreateRenderWindow()) {
        e.lastError.Set(screen.creationError);
        return -1;
    }
    try {
        screen.CreateScene();
        screen.scene->camera.SetCursorWarp(&WarpCursor);
        screen.scene->camera.SetClientOrigin(&ClientOriginOnScreen);
        screen.scene->screenResize = &ResizeRenderScreen;
        if (e.callbacks.onSceneInit) e.callbacks.onSceneInit();
        screen.scene->beforeRender = &CallBeforeRender;
        screen.scene->afterRender = &CallAfterRender;
        WindowBackend& backend = *screen.backend();
        screen.startTicks = backend.GetTickCount();
        int32_t result = 0;
        while (!e.quitRequested) {
            WindowMessage m;
            if (backend.PeekMessage(m)) {
                result = static_cast<int32_t>(m.wParam);
                if (m.wParam == 27) break;
                // The close box posts a quit message; it ends the loop.
                if (m.message == WM_QUIT) break;
                SceneWindowProc(screen, m);
                continue;
            }
            ++screen.frameCounter;
            AdvanceFrameTiming(screen, backend.GetTickCount());
            screen.scene->frameTicks = screen.elapsed;
            screen.Render();
            backend.SwapBuffers();
            DispatchKeysHeld();
        }
        screen.DestroyRenderWindow(screen.fullScreen);
        return result;
    } catch (const std::exception& ex) {
        ReportEngineError(ex.what());
    } catch (...) {
        ReportEngineError("Unknown error");
    }
    screen.DestroyRenderWindow(screen.fullScreen);
    return -1;
}

} // namespace quarn
