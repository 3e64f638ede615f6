#include "engine/frame/EngineState.h"

#include "common/EngineError.h"
#include "engine/frame/RenderScreen.h"
#include "platform/window/MessageChannel.h"

namespace quarn {

EngineState& Engine() {
    static EngineState* state = new EngineState(); // lives as long as the library
    return *state;
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

void ReportEngineError(const char* message) {
    Engine().lastError.Set(message ? message : "");
    ShowMessage("Error", message);
}

} // namespace quarn
