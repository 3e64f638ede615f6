// Test backend: no display at all. Messages come from a script, the clock is set by the test,
// GL goes through the recording table, and any creation step can be made to fail.
#pragma once

#include "platform/window/WindowBackend.h"

#include <deque>
#include <functional>
#include <string>

namespace quarn {

enum class WindowStep {
    None,
    RegisterClass,
    DisplayMode,
    CreateWindow,
    DeviceContext,
    ChoosePixelFormat,
    SetPixelFormat,
    CreateContext,
    MakeCurrent,
    ReleaseCurrent,
    DeleteContext,
    ReleaseDeviceContext,
    DestroyWindow,
    UnregisterClass,
};

// State shared between a test and the backend instances the engine creates from it.
struct TestWindowScript {
    std::deque<WindowMessage> messages;
    uint32_t ticks = 0;
    // Added to the clock on every GetTickCount call (0 keeps it still).
    uint32_t ticksPerRead = 0;
    WindowStep failStep = WindowStep::None;
    bool displayModeAvailable = true;
    std::string caption;
    std::vector<std::string> steps; // the creation and teardown steps, in the order they ran
    std::vector<std::pair<std::string, std::string>> messageBoxes;
    int cursorX = 0, cursorY = 0;
    int cursorCount = 0;
    bool captured = false;
    int swaps = 0;
    // Called when the message queue is empty; may append messages (e.g. after N frames).
    std::function<void(TestWindowScript&)> onIdle;
};

// Installs the test backend for every window created from now on; the script must outlive
// those windows. Pass nullptr to go back to the SDL backends.
void UseTestWindowBackend(TestWindowScript* script);

} // namespace quarn
