// Library frame exports: the window and loop, the message channel, the last error.
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"
#include "engine/frame/SceneLoop.h"
#include "platform/gl/GL.h"
#include "platform/MessageChannel.h"

using namespace quarn;

extern "C" {

QUARN_API int32_t QUARN_CALL qglCreateSceneWindow(int32_t Width, int32_t Height, int32_t PixelDepth,
                                                  TQUARNBool FullScreen, TQGLSceneProc OnSceneInit,
                                                  TQGLSceneProc OnBeforeRender,
                                                  TQGLSceneProc OnAfterRender) {
    return GuardGL<int32_t>(-1, [&]() -> int32_t {
        EngineState& e = Engine();
        // Called from inside a callback it would free the screen of the running loop.
        if (e.loopRunning)
            throw EngineError("qglCreateSceneWindow: a scene window is already running");
        // A host may open the window again after qglDestroySceneWindow ended the last loop.
        e.quitRequested = false;
        e.renderScreen.reset();
        e.renderScreen.reset(new TQGLWinDLLScreen(Width, Height));
        if (!e.renderScreen->SetMode(FullScreen != 0, PixelDepth))
            throw EngineError("Could not create render screen");
        e.callbacks.onSceneInit = OnSceneInit;
        e.callbacks.onBeforeRender = OnBeforeRender;
        e.callbacks.onAfterRender = OnAfterRender;
        e.loopRunning = true;
        struct LoopEnd {
            ~LoopEnd() { Engine().loopRunning = false; }
        } loopEnd;
        return RunSceneLoop(*e.renderScreen);
    });
}

QUARN_API void QUARN_CALL qglDestroySceneWindow(void) {
    Engine().quitRequested = true;
}

QUARN_API void QUARN_CALL qglSetMessageCallBack(TQGLMessageProc Callback) {
    Engine().callbacks.onMessage = Callback;
    SetHostMessageCallback(Callback);
}

QUARN_API void* QUARN_CALL qglGetOpenGLLibHandle(void) {
    return gl::OpenGLLibraryHandle();
}

QUARN_API const char* QUARN_CALL qglGetLastError(void) {
    return Engine().lastError.Get();
}

QUARN_API void QUARN_CALL qglClearLastError(void) {
    Engine().lastError.Clear();
}

QUARN_API int32_t QUARN_CALL qglGetVersion(void) {
    return QUARN_VERSION_NUMBER;
}

} // extern "C"
