// Where the texts the engine would show in a message box go: to the host's message callback
// when one is set, else to a modal box on an on-screen window, else to stderr as
// "caption: text".
#pragma once

#include "quarn/QuarnExposedTypes.h"

namespace quarn {

class WindowBackend;

// The host's own convention (stdcall on 32-bit Windows), as every host callback.
using HostMessageCallback = void(QUARN_CALL*)(const char* caption, const char* text);

void SetHostMessageCallback(HostMessageCallback callback);
HostMessageCallback GetHostMessageCallback();
// The backend of the open window, if any, for modal boxes.
void SetMessageBoxBackend(WindowBackend* backend);

void ShowMessage(const char* caption, const char* text);

} // namespace quarn
