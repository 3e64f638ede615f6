// The message-and-render loop and the window procedure.
#pragma once

#include "platform/window/Messages.h"

#include <cstdint>

namespace quarn {

class TQGLWinDLLScreen;

// Creates the window and scene, calls the host's init callback and runs until Escape, a quit
// message or the quit request. Returns the wParam of the last message retrieved (27 on Escape,
// 0 for the close box or when none), or -1 when the window could not be created or a frame
// failed (the error is then the library's last error).
int32_t RunSceneLoop(TQGLWinDLLScreen& screen);

// Key table, registered keys, mouse state and host input callbacks; the frame-rate caption.
void SceneWindowProc(TQGLWinDLLScreen& screen, const WindowMessage& message);

// One frame's timing: smooths the tick count into the elapsed time and the frame time.
void AdvanceFrameTiming(TQGLWinDLLScreen& screen, uint32_t tickCount);

// The caption the timer sets: title + "   [" + fps + " FPS]".
void UpdateFrameRateCaption(TQGLWinDLLScreen& screen);

} // namespace quarn
