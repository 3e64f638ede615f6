// The loop, the window procedure and window creation on the test backend: scripted messages,
// a settable clock and the recording GL table.
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"
#include "platform/gl/GLRecorder.h"
#include "platform/window/TestWindowBackend.h"
#include "quarn/QuarnGL.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quarn;
using gl::GLRecorder;

namespace {

std::vector<std::string> g_events;
int g_framesToRun = 1;
int g_frames = 0;
std::vector<uint32_t> g_elapsed, g_frameTimes;
std::vector<int32_t> g_keysHeld, g_keysUp;
std::vector<std::string> g_mouse;

void QUARN_CALL OnInit() {
    g_events.push_back("init");
}
void QUARN_CALL OnBefore() {
    g_events.push_back("before");
}
void QUARN_CALL OnAfter() {
    g_events.push_back("after");
    g_elapsed.push_back(qglGetSceneElapsedTicks());
    g_frameTimes.push_back(qglGetSceneFrameTime());
    if (++g_frames >= g_framesToRun) qglDestroySceneWindow();
}
void QUARN_CALL DestroyInInit() {
    g_events.push_back("init");
    qglDestroySceneWindow();
}
void QUARN_CALL KeyHeld(int32_t* key) {
    g_keysHeld.push_back(*key);
}
void QUARN_CALL KeyUp(int32_t* key) {
    g_keysUp.push_back(*key);
    // The pointer is into the registered-key list: the first matching entry.
    *key = *key; // readable and writable
}
void QUARN_CALL MouseMove(float x, float y, float px, float py) {
    g_mouse.push_back("move " + std::to_string(int(x)) + "," + std::to_string(int(y)) + " from " +
                      std::to_string(int(px)) + "," + std::to_string(int(py)));
}
void QUARN_CALL MouseDown(int32_t b, float x, float y, float, float) {
    g_mouse.push_back("down " + std::to_string(b) + " " + std::to_string(int(x)) + "," +
                      std::to_string(int(y)));
}
void QUARN_CALL MouseUp(int32_t b) {
    g_mouse.push_back("up " + std::to_string(b));
}

// The library as a new process finds it, for cases that run in one process.
void FreshLibrary() {
    EngineState& engine = Engine();
    engine.renderScreen.reset();
    engine.input = InputState{};
    engine.callbacks = HostCallbacks{};
    engine.lastError.Clear();
    qglSetMessageCallBack(nullptr);
}

class SceneLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        g_events.clear();
        g_frames = 0;
        g_framesToRun = 1;
        for (auto* list : {&g_elapsed, &g_frameTimes})
            list->clear();
        for (auto* list : {&g_keysHeld, &g_keysUp})
            list->clear();
        g_mouse.clear();
        FreshLibrary();
        UseTestWindowBackend(&script);
    }
    void TearDown() override { UseTestWindowBackend(nullptr); }

    int32_t Run(TQGLSceneProc init = OnInit) {
        return qglCreateSceneWindow(320, 200, 32, 0, init, OnBefore, OnAfter);
    }
    void Post(uint32_t msg, WParam w = 0, LParam l = 0) {
        script.messages.push_back(WindowMessage{msg, w, l});
    }

    TestWindowScript script;
};

} // namespace

TEST_F(SceneLoop, CallsInitThenBeforeAndAfterEveryFrame) {
    g_framesToRun = 3;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(g_events, (std::vector<std::string>{"init", "before", "after", "before", "after",
                                                  "before", "after"}));
    EXPECT_EQ(script.swaps, 3);
}

TEST_F(SceneLoop, EscapeEndsTheLoopAndIsReturned) {
    g_framesToRun = 1000;
    Post(WM_KEYDOWN, 27);
    EXPECT_EQ(Run(), 27);
    EXPECT_EQ(g_frames, 0);
}

TEST_F(SceneLoop, AnyMessageWithWParam27EndsTheLoop) {
    g_framesToRun = 1000;
    Post(WM_MOUSEMOVE, 27, MakeLParam(3, 4));
    EXPECT_EQ(Run(), 27);
    EXPECT_TRUE(g_mouse.empty()); // neither translated nor dispatched
}

TEST_F(SceneLoop, TheCloseBoxEndsTheLoopWithZero) {
    g_framesToRun = 1000;
    Post(WM_KEYDOWN, 'A');
    Post(WM_CLOSE);
    EXPECT_EQ(Run(), 0);
}

TEST_F(SceneLoop, DestroyInInitDrawsNoFrameAndAReopenedWindowRendersAgain) {
    EXPECT_EQ(Run(DestroyInInit), 0);
    EXPECT_EQ(g_events, (std::vector<std::string>{"init"}));
    // The quit request does not stick: a second window gets its frames.
    g_events.clear();
    g_framesToRun = 2;
    g_frames = 0;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(g_frames, 2);
}

TEST_F(SceneLoop, TheLastMessageWParamIsReturnedAfterADestroy) {
    Post(WM_KEYDOWN, 'Q');
    EXPECT_EQ(Run(), 'Q');
}

TEST_F(SceneLoop, OneMessagePerIterationAndNoFrameWhileMessagesWait) {
    g_framesToRun = 1;
    for (int i = 0; i < 3; ++i)
        Post(WM_KEYDOWN, 'A');
    int framesWhenQueueEmptied = -1;
    script.onIdle = [&](TestWindowScript&) {
        if (framesWhenQueueEmptied < 0) framesWhenQueueEmptied = g_frames;
    };
    Run();
    EXPECT_EQ(framesWhenQueueEmptied, 0);
}

TEST_F(SceneLoop, ElapsedTimeIsSmoothedHalfwayTowardTheClock) {
    script.ticks = 5000;     // start ticks
    script.ticksPerRead = 0; // clock moves only where the test says
    g_framesToRun = 4;
    int frame = 0;
    script.onIdle = [&](TestWindowScript& s) { s.ticks = 5000 + 40 * ++frame; };
    Run();
    EXPECT_EQ(qglGetSceneStartTicks(), 5000u);
    // raw 40 -> (0 + 40) / 2 = 20; raw 80 -> (20 + 80) / 2 = 50; raw 120 -> 85; raw 160 -> 122
    EXPECT_EQ(g_elapsed, (std::vector<uint32_t>{20, 50, 85, 122}));
    EXPECT_EQ(g_frameTimes, (std::vector<uint32_t>{20, 30, 35, 37}));
    EXPECT_EQ(qglGetSceneFrameTicks(), qglGetSceneFrameTime());
}

TEST_F(SceneLoop, ElapsedArithmeticWrapsLikeUnsigned32Bits) {
    script.ticks = 0xFFFFFF00u;
    g_framesToRun = 1;
    script.onIdle = [&](TestWindowScript& s) { s.ticks = 0x00000100u; }; // clock wrapped
    Run();
    EXPECT_EQ(g_elapsed.back(), 0x100u); // (0 + 0x200) >> 1
}

TEST_F(SceneLoop, KeyHeldCallsEveryRegisteredDownKeyEachFrame) {
    static const auto init = []() {
        qglSetSceneKeyCallbacks(KeyHeld, KeyUp);
        qglRegisterSceneKey('W');
        qglRegisterSceneKey('S');
        qglRegisterSceneKey('W');
        qglRegisterSceneKey(300); // outside the key table: never down
    };
    g_framesToRun = 2;
    Post(WM_KEYDOWN, 'W');
    qglSetSceneKeyState(44, 1); // 300 & 0xFF must not alias this entry
    // The result is the wParam of the last message handled.
    EXPECT_EQ(qglCreateSceneWindow(
                  320, 200, 32, 0, [] { init(); }, nullptr, OnAfter),
              'W');
    EXPECT_EQ(g_keysHeld, (std::vector<int32_t>{'W', 'W', 'W', 'W'}));
    EXPECT_EQ(qglGetSceneKeyState('W'), 1);
}

TEST_F(SceneLoop, KeyUpReportsTheFirstMatchingEntryOnceAndUnregisterZeroesAll) {
    static int32_t* firstEntry = nullptr;
    static int32_t* reported = nullptr;
    static const auto init = []() {
        qglSetSceneKeyCallbacks(nullptr, [](int32_t* key) {
            reported = key;
            // Keys registered by the callback must leave the entry it was given in place.
            for (int32_t more = 1000; more < 1064; ++more)
                qglRegisterSceneKey(more);
            g_keysUp.push_back(*key);
        });
        qglRegisterSceneKey('Z');
        qglRegisterSceneKey('E');
        qglRegisterSceneKey('E');
        firstEntry = &Engine().input.registeredSceneKeys[1];
    };
    g_framesToRun = 1;
    Post(WM_KEYDOWN, 'E');
    Post(WM_KEYUP, 'E');
    Post(WM_KEYUP, 'X'); // not registered: only the key table changes
    qglCreateSceneWindow(
        320, 200, 32, 0, [] { init(); }, nullptr, OnAfter);
    EXPECT_EQ(g_keysUp, (std::vector<int32_t>{'E'}));
    EXPECT_EQ(reported, firstEntry);
    EXPECT_EQ(reported, &Engine().input.registeredSceneKeys[1]);
    EXPECT_EQ(qglGetSceneKeyState('E'), 0);

    qglUnRegisterSceneKey('E');
    qglRegisterSceneKey('E');
    const auto& keys = Engine().input.registeredSceneKeys;
    ASSERT_EQ(keys.size(), 68u);
    EXPECT_EQ(std::vector<int32_t>(keys.begin(), keys.begin() + 4),
              (std::vector<int32_t>{'Z', 0, 0, 1000}));
    EXPECT_EQ(keys.back(), 'E');
}

TEST_F(SceneLoop, MouseMessagesReachTheCallbacksWithButtonCodes) {
    static const auto init = []() { qglSetSceneMouseCallbacks(MouseMove, MouseDown, MouseUp); };
    Post(WM_LBUTTONUP, 0, MakeLParam(1, 1)); // before any press: -1
    Post(WM_MOUSEMOVE, 0, MakeLParam(10, 20));
    Post(WM_MOUSEMOVE, 0, MakeLParam(15, 25));
    Post(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(15, 25));
    Post(WM_RBUTTONUP, 0, MakeLParam(15, 25)); // left pressed, right released: reports 1
    Post(WM_MBUTTONUP, 0, MakeLParam(15, 25)); // after a completed click: 0
    qglCreateSceneWindow(
        320, 200, 32, 0, [] { init(); }, nullptr, OnAfter);
    EXPECT_EQ(g_mouse,
              (std::vector<std::string>{"up -1", "move 10,20 from 0,0", "move 15,25 from 10,20",
                                        "down 1 15,25", "up 1", "up 0"}));
    EXPECT_FALSE(script.captured);
}

TEST_F(SceneLoop, ACursorMoveFromCodeIsSwallowedOnce) {
    static const auto init = []() {
        qglSetSceneMouseCallbacks(MouseMove, nullptr, nullptr);
        qglSetSceneMousePosition(50, 60);
    };
    script.onIdle = [](TestWindowScript& s) {
        static bool once = false;
        if (!once) s.messages.push_back(WindowMessage{WM_MOUSEMOVE, 0, MakeLParam(51, 61)});
        once = true;
    };
    g_framesToRun = 2;
    qglCreateSceneWindow(
        320, 200, 32, 0, [] { init(); }, nullptr, OnAfter);
    EXPECT_EQ(g_mouse, (std::vector<std::string>{"move 51,61 from 50,60"}));
    int x = 0, y = 0;
    qglGetSceneMousePosition(&x, &y);
    EXPECT_EQ(x, 50);
}

TEST_F(SceneLoop, MouseMovesWithoutACallbackStillTrackTheCursor) {
    Post(WM_MOUSEMOVE, 0, MakeLParam(7, 8));
    Post(WM_MOUSEMOVE, 0, MakeLParam(9, 10));
    Run();
    EXPECT_EQ(Engine().input.cursorX, 9);
    EXPECT_EQ(Engine().input.prevCursorX, 7);
}

TEST_F(SceneLoop, TheTimerSetsTheFrameRateCaption) {
    static const auto init = []() { qglSetSceneTitle("Demo"); };
    g_framesToRun = 3;
    int frames = 0;
    script.onIdle = [&](TestWindowScript& s) {
        if (++frames == 3) s.messages.push_back(WindowMessage{WM_TIMER, 1, 0});
    };
    EXPECT_EQ(script.caption, "");
    qglCreateSceneWindow(
        320, 200, 32, 0, [] { init(); }, nullptr, OnAfter);
    EXPECT_EQ(script.caption, "Demo   [2 FPS]");
    EXPECT_STREQ(qglGetSceneTitle(), "Demo");
}

TEST_F(SceneLoop, OtherTimersLeaveTheCaptionAlone) {
    Post(WM_TIMER, 2);
    Run();
    EXPECT_EQ(script.caption, "");
}

TEST_F(SceneLoop, CreationRunsTheWindowStepsInOrderAndTearsDownAtTheEnd) {
    Run();
    EXPECT_EQ(script.steps, (std::vector<std::string>{
                                "register", "create-window", "get-dc", "choose-pixel-format",
                                "set-pixel-format", "create-context", "make-current", "load-gl",
                                "start-timer", "show-window", "release-current", "delete-context",
                                "release-dc", "destroy-window", "unregister"}));
}

struct FailureCase {
    WindowStep step;
    const char* text;
};

class WindowFailure : public SceneLoop, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(WindowFailure, ReportsTheTextEndsWithMinusOneAndRunsNoScene) {
    script.failStep = GetParam().step;
    EXPECT_EQ(Run(), -1);
    EXPECT_TRUE(g_events.empty());
    ASSERT_NE(qglGetLastError(), nullptr);
    EXPECT_STREQ(qglGetLastError(), GetParam().text);
    // The one box that says why: tearing down what was never made reports nothing.
    ASSERT_EQ(script.messageBoxes.size(), 1u);
    EXPECT_EQ(script.messageBoxes.back().first, "Error");
    EXPECT_EQ(script.messageBoxes.back().second, GetParam().text);
    if (GetParam().step != WindowStep::RegisterClass) {
        EXPECT_EQ(script.steps.back(), "unregister"); // torn down again
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, WindowFailure,
    ::testing::Values(
        FailureCase{WindowStep::RegisterClass, "Failed to register the window class!"},
        FailureCase{WindowStep::CreateWindow, "Unable to create window!"},
        FailureCase{WindowStep::DeviceContext, "Unable to get a device context!"},
        FailureCase{WindowStep::ChoosePixelFormat, "Unable to find a suitable pixel format"},
        FailureCase{WindowStep::SetPixelFormat, "Unable to set the pixel format"},
        FailureCase{WindowStep::CreateContext, "Unable to create an OpenGL rendering context"},
        FailureCase{WindowStep::MakeCurrent, "Unable to activate OpenGL rendering context"}));

TEST_F(SceneLoop, TeardownFailuresAreReportedButTheLoopStillEnds) {
    script.failStep = WindowStep::DestroyWindow;
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(script.messageBoxes.size(), 1u) << ::testing::PrintToString(script.messageBoxes);
    EXPECT_EQ(script.messageBoxes[0].second, "Unable to destroy window!");
}

TEST_F(SceneLoop, RefusedFullScreenOpensAWindowAndClearsTheFlag) {
    script.displayModeAvailable = false;
    EXPECT_EQ(qglCreateSceneWindow(320, 200, 32, 1, OnInit, OnBefore, OnAfter), 0);
    EXPECT_EQ(qglGetSceneFullScreen(), 0);
    ASSERT_EQ(script.messageBoxes.size(), 1u) << ::testing::PrintToString(script.messageBoxes);
    EXPECT_EQ(script.messageBoxes[0].second, "Unable to switch to fullscreen!");
    EXPECT_EQ(script.cursorCount, 0); // the cursor was never hidden
}

TEST_F(SceneLoop, FullScreenHidesTheCursorAndRestoresTheModeAtTheEnd) {
    EXPECT_EQ(qglCreateSceneWindow(320, 200, 32, 1, OnInit, OnBefore, OnAfter), 0);
    EXPECT_EQ(qglGetSceneFullScreen(), 1);
    EXPECT_EQ(script.cursorCount, 0); // hidden at creation, shown at teardown
    EXPECT_NE(std::find(script.steps.begin(), script.steps.end(), "restore-display-mode"),
              script.steps.end());
}

TEST_F(SceneLoop, AnErrorDuringAFrameEndsTheLoopWithMinusOne) {
    g_framesToRun = 1000;
    // The GL table disappears under the loop: the next GL call raises.
    script.onIdle = [](TestWindowScript&) {
        if (g_frames == 2) GLRecorder::Uninstall();
    };
    EXPECT_EQ(Run(), -1);
    ASSERT_NE(qglGetLastError(), nullptr);
    EXPECT_NE(std::string(qglGetLastError()).find("is not available"), std::string::npos);
    EXPECT_EQ(script.steps.back(), "unregister");
    qglClearLastError();
    EXPECT_EQ(qglGetLastError(), nullptr);
}

TEST(SceneExports, CallsBeforeTheWindowExistsFailCleanly) {
    FreshLibrary();
    qglSetMessageCallBack([](const char*, const char*) {});
    EXPECT_EQ(qglGetSceneActualWidth(), 0);
    ASSERT_NE(qglGetLastError(), nullptr);
    float pos[3] = {9, 9, 9};
    qglGetCameraPosition(pos);
    EXPECT_FLOAT_EQ(pos[0], 9.0f);
    EXPECT_EQ(qglGetSceneTitle(), nullptr);
    EXPECT_EQ(qglGetOpenGLLibHandle(), nullptr);
}
