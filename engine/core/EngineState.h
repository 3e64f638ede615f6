// The library-global state every export reaches: the render screen, the quit request, the
// host callback slots, the input state of the window procedure and the last error.
#pragma once

#include "common/EngineError.h"
#include "common/ErrorGuard.h"
#include "common/FiniteArguments.h"
#include "common/HandleRegistry.h"
#include "quarn/QuarnGL.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace quarn {

class TQGLWinDLLScreen;
class TQGLScene;

struct HostCallbacks {
    TQGLSceneProc onSceneInit = nullptr;
    TQGLSceneProc onBeforeRender = nullptr;
    TQGLSceneProc onAfterRender = nullptr;
    TQGLKeyProc onKeyHeld = nullptr;
    TQGLKeyProc onKeyUp = nullptr;
    TQGLMouseMoveProc onMouseMove = nullptr;
    TQGLMouseDownProc onMouseDown = nullptr;
    TQGLMouseUpProc onMouseUp = nullptr;
    TQGLMouseWheelProc onMouseWheel = nullptr;
    TQGLMessageProc onMessage = nullptr;
};

struct InputState {
    uint8_t sceneKeyStates[256] = {};
    // A deque: the key callbacks get a pointer into it, which must stay valid when the host
    // registers more keys from inside the callback.
    std::deque<int32_t> registeredSceneKeys;
    int32_t cursorX = 0, cursorY = 0;
    int32_t prevCursorX = 0, prevCursorY = 0;
    float mouseDownX = 0, mouseDownY = 0;
    int32_t mouseButton = -1;
    bool reportMouseMove = true;

    // Codes outside the table are never down.
    bool IsKeyDown(int32_t key) const { return key >= 0 && key < 256 && sceneKeyStates[key] != 0; }
};

// Frees the screen where its type is complete (the frame layer), so this header needs only its
// name.
struct ScreenDeleter {
    void operator()(TQGLWinDLLScreen* screen) const noexcept;
};

struct EngineState {
    std::unique_ptr<TQGLWinDLLScreen, ScreenDeleter> renderScreen;
    bool quitRequested = false;
    // True while qglCreateSceneWindow runs its loop: a nested call from a callback is refused.
    bool loopRunning = false;
    HostCallbacks callbacks;
    InputState input;
    LastError lastError;
};

EngineState& Engine();

// The screen and scene, raising when the window has not been created yet.
// Stores the message as last error and sends it to the message channel with caption "Error".
void ReportEngineError(const char* message);

// Runs an export body through the library's guard. A failed handle or finite-number check names
// the export it happened in (the caller's name, taken where the export calls the guard).
template <class R, class F>
R GuardGL(R neutral, F&& body, const char* exportName = __builtin_FUNCTION()) noexcept {
    return GuardedCall(Engine().lastError, &ReportEngineError, neutral, [&]() -> R {
        try {
            return body();
        } catch (const HandleError& e) {
            throw EngineError(std::string(exportName) + ": " + e.what());
        } catch (const NonFiniteArgument& e) {
            throw EngineError(std::string(exportName) + ": " + e.what());
        }
    });
}
template <class F>
void GuardGLVoid(F&& body, const char* exportName = __builtin_FUNCTION()) noexcept {
    GuardGL<int>(
        0,
        [&] {
            body();
            return 0;
        },
        exportName);
}

} // namespace quarn
