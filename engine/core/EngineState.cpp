#include "engine/core/EngineState.h"

#include "common/EngineError.h"
#include "platform/MessageChannel.h"

namespace quarn {

EngineState& Engine() {
    static EngineState* state = new EngineState(); // lives as long as the library
    return *state;
}

void ReportEngineError(const char* message) {
    Engine().lastError.Set(message ? message : "");
    ShowMessage("Error", message);
}

} // namespace quarn
