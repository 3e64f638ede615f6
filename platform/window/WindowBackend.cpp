#include "platform/window/WindowBackend.h"

namespace quarn {

namespace {
WindowBackendFactory g_factory = nullptr;
} // namespace

void SetWindowBackendFactory(WindowBackendFactory factory) {
    g_factory = factory;
}

std::unique_ptr<WindowBackend> CreateWindowBackend() {
    return g_factory ? g_factory() : CreateNativeWindowBackend();
}

} // namespace quarn
