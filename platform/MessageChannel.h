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

// While a hold lives, messages wait, and the outermost hold delivers them as it ends, in order.
// The engine holds them while it walks its object lists in a frame: a host message callback
// that adds or deletes objects then runs between walks, never in the middle of one.
class MessageHold {
  public:
    MessageHold();
    ~MessageHold();
    MessageHold(const MessageHold&) = delete;
    MessageHold& operator=(const MessageHold&) = delete;
};

} // namespace quarn
