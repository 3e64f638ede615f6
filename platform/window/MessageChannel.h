// Where the texts the engine would show in a message box go: to the host's message callback
// when one is set, else to a modal box on an on-screen window, else to stderr as
// "caption: text".
#pragma once

namespace quarn {

class WindowBackend;

using HostMessageCallback = void (*)(const char* caption, const char* text);

void SetHostMessageCallback(HostMessageCallback callback);
HostMessageCallback GetHostMessageCallback();
// The backend of the open window, if any, for modal boxes.
void SetMessageBoxBackend(WindowBackend* backend);

void ShowMessage(const char* caption, const char* text);

} // namespace quarn
