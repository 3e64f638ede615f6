#include "platform/MessageChannel.h"

#include "platform/window/WindowBackend.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace quarn {

namespace {
HostMessageCallback g_callback = nullptr;
WindowBackend* g_backend = nullptr;
int g_holds = 0;
std::vector<std::pair<std::string, std::string>> g_waiting;

void Deliver(const char* caption, const char* text) {
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
    if (g_holds > 0) {
        try {
            g_waiting.emplace_back(caption, text);
        } catch (...) { // no memory to keep it: printed, never delivered mid-walk
            std::fprintf(stderr, "%s: %s\n", caption, text);
        }
        return;
    }
    Deliver(caption, text);
}

MessageHold::MessageHold() {
    ++g_holds;
}

MessageHold::~MessageHold() {
    if (--g_holds > 0) return;
    // Taken out first: a message the host's callback raises goes straight out.
    std::vector<std::pair<std::string, std::string>> waiting;
    waiting.swap(g_waiting);
    for (const auto& [caption, text] : waiting)
        Deliver(caption.c_str(), text.c_str());
}

} // namespace quarn
