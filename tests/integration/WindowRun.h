// A headless 64 x 64 scene window for tests that drive the engine through its exports: the
// camera at (0, 0, 5) looking down -z, then the test's init; after every rendered frame the
// pixel at the centre is kept and the test's after-frame hook runs; the window closes after
// stopAfter frames. The engine's messages are collected.
#pragma once

#include "GLProbe.h"
#include "quarn/QuarnGL.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace probe {

struct WindowRun {
    int stopAfter = 2;
    void (*init)() = nullptr;
    void (*afterFrame)(int frame) = nullptr;
    int frames = 0;
    std::vector<Pixel> centre; // one per frame
    std::vector<std::string> messages;
};

inline WindowRun g_run;

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_run = WindowRun{};
        qglClearLastError();
        qglSetMessageCallBack([](const char* caption, const char* text) {
            g_run.messages.push_back(std::string(caption) + ": " + text);
        });
    }
    static int32_t Run() { return qglCreateSceneWindow(64, 64, 32, 0, &OnInit, nullptr, &OnAfter); }

  private:
    static void QUARN_CALL OnInit() {
        qglSetCameraPosition(0, 0, 5);
        qglSetCameraDirection(0, 0, -1);
        if (g_run.init) g_run.init();
    }
    static void QUARN_CALL OnAfter() {
        ++g_run.frames;
        g_run.centre.push_back(ReadFramePixel(32, 32));
        if (g_run.afterFrame) g_run.afterFrame(g_run.frames);
        if (g_run.frames >= g_run.stopAfter) qglDestroySceneWindow();
    }
};

} // namespace probe
