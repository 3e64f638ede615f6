// A headless scene window for tests that drive the engine through its exports. A test sets the
// hooks it needs on g_run and calls Run: unless aimCamera is cleared the camera is put at
// (0, 0, 5) looking down -z before the test's init; before each frame the beforeFrame hook runs;
// after each rendered frame the pixel at the window's centre is kept and the afterFrame hook
// runs; the window closes after stopAfter frames. The engine's messages are collected.
#pragma once

#include "GLProbe.h"
#include "quarn/QuarnGL.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace probe {

struct Message {
    std::string caption, text;
    std::string Line() const { return caption + ": " + text; }
};

struct WindowRun {
    int stopAfter = 2;
    bool aimCamera = true;
    std::function<void()> init;
    std::function<void(int frame)> beforeFrame; // the frame about to render, 1-based
    std::function<void(int frame)> afterFrame;  // the frame just rendered
    std::function<void()> onMessage;            // after each message is added to messages
    // What the last Run saw; the messages since SetUp, over every run.
    int frames = 0;
    std::vector<Pixel> centre;      // one per frame
    std::vector<std::string> calls; // "init", "before", "after" in the order they came
    std::vector<Message> messages;
    int width = 0, height = 0; // the window's size, for its centre
};

inline WindowRun g_run;

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_run = WindowRun{};
        qglClearLastError();
        qglSetMessageCallBack(&OnMessage);
    }
    static int32_t Run(int width = 64, int height = 64, int depth = 32, bool fullScreen = false) {
        g_run.frames = 0;
        g_run.centre.clear();
        g_run.calls.clear();
        g_run.width = width, g_run.height = height;
        return qglCreateSceneWindow(width, height, depth, fullScreen ? 1 : 0, &OnInit, &OnBefore,
                                    &OnAfter);
    }

  private:
    static void QUARN_CALL OnInit() {
        g_run.calls.push_back("init");
        if (g_run.aimCamera) {
            qglSetCameraPosition(0, 0, 5);
            qglSetCameraDirection(0, 0, -1);
        }
        if (g_run.init) g_run.init();
    }
    static void QUARN_CALL OnBefore() {
        g_run.calls.push_back("before");
        if (g_run.beforeFrame) g_run.beforeFrame(g_run.frames + 1);
    }
    static void QUARN_CALL OnAfter() {
        g_run.calls.push_back("after");
        ++g_run.frames;
        g_run.centre.push_back(ReadFramePixel(g_run.width / 2, g_run.height / 2));
        if (g_run.afterFrame) g_run.afterFrame(g_run.frames);
        if (g_run.frames >= g_run.stopAfter) qglDestroySceneWindow();
    }
    static void QUARN_CALL OnMessage(const char* caption, const char* text) {
        g_run.messages.push_back({caption, text});
        // Called through a copy: the hook may replace itself, or raise another message, while
        // it runs.
        if (const auto hook = g_run.onMessage) hook();
    }
};

} // namespace probe
