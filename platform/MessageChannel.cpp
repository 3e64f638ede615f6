#include "platform/MessageChannel.h"

#include "platform/window/WindowBackend.h"

#include <cstdio>

namespace quarn {

namespace {
HostMessageCallback g_callback = nullptr;
WindowBackend* g_backend = nullptr;
} // namespace

void SetHostMessageCallback(HostMessageCallback callback) {
    g_callback = callback;
}
HostMessageCallback GetHostMessageCallback() {
    return g_callback;
}
void SetMessageBoxBackend(WindowBackend* backend) {
    g_backend = backend;
}

void ShowMessage(const char* caption, const char* text) {
    caption = caption ? caption : "";
    text = text ? text : "";
    if (g_callback) {
        g_callback(caption, text);
        return;
    }
    if (g_backend) {
        g_backend->ShowMessageBox(caption, text);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

} // namespace quarn
