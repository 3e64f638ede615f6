// Through the exported C API, in headless windows with real Mesa GL. Input is injected as SDL
// events, which the engine's window layer turns into window messages.
#include "WindowRun.h"
#include "quarn/QuarnGL.h"

#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A file name in the test temp directory that no other process uses.
std::string TempFile(const char* stem) {
    return ::testing::TempDir() + stem + "_" + std::to_string(getpid()) + ".bmp";
}

using probe::g_run;

void PushKey(Uint32 type, SDL_Keycode key) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = key;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&e);
}

void PushWindowEvent(Uint8 event, int a = 0, int b = 0) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = event;
    e.window.data1 = a;
    e.window.data2 = b;
    SDL_PushEvent(&e);
}

void PushMotion(int x, int y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
}

void PushButton(Uint32 type, Uint8 button, int x, int y) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.x = x;
    e.button.y = y;
    e.button.clicks = 1;
    SDL_PushEvent(&e);
}

using probe::GLEntry;

// One frame unless a test asks for more; the camera where the engine puts it.
class WindowApi : public probe::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        g_run.stopAfter = 1;
        g_run.aimCamera = false;
    }
};

} // namespace

TEST_F(WindowApi, CallbacksRunInOrderEveryFrameWithRealGL) {
    g_run.stopAfter = 3;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(g_run.calls, (std::vector<std::string>{"init", "before", "after", "before", "after",
                                                     "before", "after"}));
    EXPECT_EQ(qglGetLastError(), nullptr);
    EXPECT_NE(qglGetOpenGLLibHandle(), nullptr);
    EXPECT_TRUE(g_run.messages.empty());
}

TEST_F(WindowApi, EscapeReturns27) {
    g_run.stopAfter = 1000000;
    g_run.beforeFrame = [](int frame) {
        if (frame == 2) PushKey(SDL_KEYDOWN, SDLK_ESCAPE);
    };
    EXPECT_EQ(Run(), 27);
    EXPECT_EQ(g_run.frames, 2);
}

TEST_F(WindowApi, TheCloseBoxEndsTheLoopWithZero) {
    g_run.stopAfter = 1000000;
    g_run.beforeFrame = [](int frame) {
        if (frame == 3) PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(g_run.frames, 3);
}

TEST_F(WindowApi, DestroyInInitDrawsNoFrame) {
    g_run.init = [] { qglDestroySceneWindow(); };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(g_run.calls, std::vector<std::string>{"init"});
}

TEST_F(WindowApi, KeysHeldAndReleasedReachTheHost) {
    static std::vector<int32_t> held, up;
    held.clear();
    up.clear();
    g_run.stopAfter = 4;
    g_run.init = [] {
        qglSetSceneKeyCallbacks([](int32_t* k) { held.push_back(*k); },
                                [](int32_t* k) { up.push_back(*k); });
        qglRegisterSceneKey(QGL_VK_W);
        qglRegisterSceneKey(QGL_VK_W);
        qglRegisterSceneKey(QGL_VK_LEFT);
    };
    g_run.beforeFrame = [](int frame) {
        if (frame == 1) PushKey(SDL_KEYDOWN, SDLK_w);
        if (frame == 2) PushKey(SDL_KEYUP, SDLK_w);
        if (frame == 3) PushKey(SDL_KEYDOWN, SDLK_LEFT);
    };
    Run();
    // Frame 2 sees W down (twice registered); frame 4 sees Left down.
    EXPECT_EQ(held, (std::vector<int32_t>{QGL_VK_W, QGL_VK_W, QGL_VK_LEFT}));
    EXPECT_EQ(up, (std::vector<int32_t>{QGL_VK_W})); // once, for the first entry
    EXPECT_EQ(qglGetSceneKeyState(QGL_VK_LEFT), 1);
    EXPECT_EQ(qglGetSceneKeyState(QGL_VK_W), 0);
}

TEST_F(WindowApi, MouseCallbacksAndTheSwallowedMoveAfterSettingThePosition) {
    static std::vector<std::string> events;
    events.clear();
    g_run.stopAfter = 5;
    g_run.init = [] {
        qglSetSceneMouseCallbacks(
            [](float x, float y, float px, float py) {
                char b[64];
                std::snprintf(b, sizeof b, "move %g,%g from %g,%g", x, y, px, py);
                events.push_back(b);
            },
            [](int32_t button, float x, float y, float, float) {
                char b[64];
                std::snprintf(b, sizeof b, "down %d %g,%g", button, x, y);
                events.push_back(b);
            },
            [](int32_t button) { events.push_back("up " + std::to_string(button)); });
    };
    g_run.beforeFrame = [](int frame) {
        if (frame == 1) PushMotion(10, 12);
        if (frame == 2) qglSetSceneMousePosition(30, 31); // its move message is swallowed
        if (frame == 3) PushMotion(33, 34);
        if (frame == 4) {
            PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 33, 34);
            PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 33, 34);
        }
    };
    Run();
    EXPECT_EQ(events, (std::vector<std::string>{"move 10,12 from 0,0", "move 33,34 from 30,31",
                                                "down 2 33,34", "up 2"}));
}

TEST_F(WindowApi, WheelTurnsReachTheHostInNotchesAwayFromTheUser) {
    static std::vector<float> turns;
    turns.clear();
    g_run.stopAfter = 3;
    static const auto wheel = [](int y, bool flipped) {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.y = y;
        e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
        SDL_PushEvent(&e);
    };
    g_run.beforeFrame = [](int frame) {
        if (frame == 1) wheel(1, false); // handled before any callback is set: ignored
        if (frame == 2) {
            qglSetSceneMouseWheelCallback([](float notches) { turns.push_back(notches); });
            wheel(1, false);
            wheel(-3, false);
            wheel(2, true); // "natural" scrolling: the same turn as -2
        }
    };
    Run();
    qglSetSceneMouseWheelCallback(nullptr);
    EXPECT_EQ(turns, (std::vector<float>{1.0f, -3.0f, -2.0f}));
}

TEST_F(WindowApi, EveryPressOfAFastDoubleClickReachesTheHost) {
    static std::vector<std::string> events;
    events.clear();
    g_run.stopAfter = 2;
    g_run.init = [] {
        qglSetSceneMouseCallbacks(
            nullptr,
            [](int32_t button, float, float, float, float) {
                events.push_back("down " + std::to_string(button));
            },
            [](int32_t button) { events.push_back("up " + std::to_string(button)); });
    };
    g_run.beforeFrame = [](int frame) {
        if (frame != 1) return;
        PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 20, 20);
        PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 20, 20);
        SDL_Event second{};
        second.type = SDL_MOUSEBUTTONDOWN;
        second.button.button = SDL_BUTTON_LEFT;
        second.button.x = second.button.y = 20;
        second.button.clicks = 2; // SDL counts it as the second click of a double-click
        SDL_PushEvent(&second);
        PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 20, 20);
    };
    Run();
    EXPECT_EQ(events, (std::vector<std::string>{"down 1", "up 1", "down 1", "up 1"}));
}

// The host steers the camera from the move callback (screen coordinates). The window is moved
// away from the screen origin: one real move turns the camera by that move only, and the
// cursor goes back to the window's centre on the screen.
TEST_F(WindowApi, MouseLookRecentresTheCursorInAWindowAwayFromTheOrigin) {
    static std::vector<std::pair<float, float>> moves;
    static int wx = 0, wy = 0;
    static int32_t cursor[2] = {};
    static float dir[3] = {};
    static bool onScreen = false;
    moves.clear();
    wx = wy = 0;
    g_run.stopAfter = 8;
    g_run.init = [] {
        SDL_Window* window = static_cast<SDL_Window*>(qglGetSceneWindowHandle());
        SDL_SetWindowPosition(window, 200, 150); // clear of the pointer at the screen centre
        qglSetSceneMouseCallbacks(
            [](float x, float y, float, float) {
                moves.emplace_back(x, y);
                qglMouseLookCamera(int32_t(x), int32_t(y));
            },
            nullptr, nullptr);
    };
    g_run.beforeFrame = [](int frame) {
        SDL_Window* window = static_cast<SDL_Window*>(qglGetSceneWindowHandle());
        if (frame == 3) {
            const char* driver = SDL_GetCurrentVideoDriver();
            onScreen = driver && std::string(driver) != "offscreen";
            if (onScreen) SDL_GetWindowPosition(window, &wx, &wy);
            moves.clear();
            PushMotion(40, 32); // 8 pixels right of the centre
        }
        if (frame == 8) {
            qglGetSceneMousePosition(&cursor[0], &cursor[1]);
            qglGetCameraDirection(dir);
        }
    };
    Run();
    const char* display = std::getenv("DISPLAY");
    if (display && *display) {
        EXPECT_TRUE(onScreen) << "SDL did not reach the display " << display;
    }
    if (onScreen) {
        EXPECT_EQ(wx, 200);
        EXPECT_EQ(wy, 150);
    }
    ASSERT_EQ(moves.size(), 1u); // the cursor's jump back is swallowed
    EXPECT_EQ(moves[0], std::make_pair(float(wx + 40), float(wy + 32)));
    EXPECT_EQ(cursor[0], wx + 32);
    EXPECT_EQ(cursor[1], wy + 32);
    // Turned by 8 pixels at 0.25 degrees each.
    EXPECT_NEAR(std::fabs(dir[2]), std::sin(2.0 * 3.14159265 / 180.0), 1e-3);
}

// Where the display refuses pointer warps (Wayland; forced here on X), mouse look holds the
// pointer in SDL's relative mode and follows each motion's relative amount: a motion whose
// absolute position is stale still turns the camera by what the mouse moved.
TEST_F(WindowApi, MouseLookWithoutPointerWarpsFollowsRelativeMotion) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "needs a display";
    setenv("QUARN_RELATIVE_MOUSE", "1", 1);
    static std::vector<std::pair<float, float>> moves;
    static int wx = 0, wy = 0;
    static int32_t cursor[2] = {};
    static float dir[3] = {};
    static bool relative = false;
    moves.clear();
    g_run.stopAfter = 10;
    g_run.init = [] {
        SDL_Window* window = static_cast<SDL_Window*>(qglGetSceneWindowHandle());
        SDL_SetWindowPosition(window, 200, 150);
        qglSetSceneMouseCallbacks(
            [](float x, float y, float, float) {
                moves.emplace_back(x, y);
                qglMouseLookCamera(int32_t(x), int32_t(y));
            },
            nullptr, nullptr);
    };
    g_run.beforeFrame = [](int frame) {
        SDL_Window* window = static_cast<SDL_Window*>(qglGetSceneWindowHandle());
        if (frame == 3) {
            SDL_GetWindowPosition(window, &wx, &wy);
            moves.clear();
            PushMotion(40, 32); // absolute: 8 pixels right of the centre
        }
        if (frame == 5) {
            relative = SDL_GetRelativeMouseMode() == SDL_TRUE;
            SDL_Event e{};
            e.type = SDL_MOUSEMOTION;
            e.motion.x = e.motion.y = 0; // what a held pointer may report
            e.motion.xrel = -20;
            e.motion.yrel = 0;
            SDL_PushEvent(&e);
        }
        if (frame == 8) {
            qglGetSceneMousePosition(&cursor[0], &cursor[1]);
            qglGetCameraDirection(dir);
        }
    };
    Run();
    unsetenv("QUARN_RELATIVE_MOUSE");
    EXPECT_TRUE(relative);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0], std::make_pair(float(wx + 40), float(wy + 32)));
    EXPECT_EQ(moves[1], std::make_pair(float(wx + 12), float(wy + 32)));
    EXPECT_EQ(cursor[0], wx + 32);
    EXPECT_EQ(cursor[1], wy + 32);
    // Turned by 8 - 20 = -12 pixels at 0.25 degrees each.
    EXPECT_NEAR(std::fabs(dir[2]), std::sin(3.0 * 3.14159265 / 180.0), 1e-3);
}

TEST_F(WindowApi, TheCaptionShowsTheFrameRateAfterATimerTick) {
    g_run.stopAfter = 1000000;
    static std::string caption;
    caption.clear();
    g_run.beforeFrame = [](int frame) {
        if (frame == 1) qglSetSceneTitle("Probe");
        const char* t = SDL_GetWindowTitle(static_cast<SDL_Window*>(qglGetSceneWindowHandle()));
        if (t && std::string(t).find("FPS]") != std::string::npos) {
            caption = t;
            qglDestroySceneWindow();
        }
        if (SDL_GetTicks() > 20000) qglDestroySceneWindow(); // never hang
    };
    Run();
    ASSERT_FALSE(caption.empty());
    EXPECT_EQ(caption.rfind("Probe   [", 0), 0u);
    EXPECT_EQ(caption.substr(caption.size() - 5), " FPS]");
}

TEST_F(WindowApi, AWindowResizeSetsFarPlane100) {
    static float before[16], after[16];
    g_run.stopAfter = 3;
    g_run.beforeFrame = [](int frame) {
        auto getFloatv = GLEntry<void (*)(unsigned, float*)>("glGetFloatv");
        if (frame == 1) {
            getFloatv(0x0BA7 /*GL_PROJECTION_MATRIX*/, before);
            PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 40, 20);
        }
        if (frame == 3) getFloatv(0x0BA7, after);
    };
    Run();
    // Far plane of a perspective matrix: m[14] / (m[10] + 1).
    EXPECT_NEAR(before[14] / (before[10] + 1), 2000.0f, 1.0f);
    EXPECT_NEAR(after[14] / (after[10] + 1), 100.0f, 0.1f);
    EXPECT_NEAR(after[5] / after[0], 2.0f, 1e-3f); // aspect 40 / 20
    EXPECT_EQ(qglGetSceneActualWidth(), 40);
    EXPECT_EQ(qglGetSceneActualHeight(), 20);
}

TEST_F(WindowApi, RefusedFullScreenFallsBackToAWindow) {
    EXPECT_EQ(Run(64, 64, 32, true), 0);
    EXPECT_EQ(qglGetSceneFullScreen(), 0);
    ASSERT_EQ(g_run.messages.size(), 1u);
    EXPECT_EQ(g_run.messages[0].caption, "Error");
    EXPECT_EQ(g_run.messages[0].text, "Unable to switch to fullscreen!");
    EXPECT_EQ(g_run.frames, 1);
}

TEST_F(WindowApi, CameraExportsAfterTheWindowOpens) {
    static float speed = 0, pos[3] = {}, dir[3] = {};
    g_run.init = [] {
        speed = qglGetCameraSpeed();
        qglSetCameraSpeed(5);
        qglMoveCamera(1);
        qglStrafeCamera(1);
        qglGetCameraPosition(pos);
        qglGetCameraDirection(dir);
    };
    Run();
    EXPECT_FLOAT_EQ(speed, 50.0f);
    EXPECT_FLOAT_EQ(qglGetCameraSpeed(), 5.0f);
    EXPECT_FLOAT_EQ(pos[0], -1.0f); // speed not applied
    EXPECT_FLOAT_EQ(pos[2], 1.0f);
    EXPECT_FLOAT_EQ(dir[0], -1.0f);
}

TEST_F(WindowApi, AScreenshotSavesTheShownFrameAsABitmap) {
    const std::string file = TempFile("quarn_shot");
    static std::string path;
    path = file;
    g_run.stopAfter = 3;
    g_run.beforeFrame = [](int frame) {
        if (frame == 3) qglCopySceneScreenPartToBitmapFile(path.c_str(), 60, 60, 8, 6);
    };
    Run();
    EXPECT_EQ(qglGetLastError(), nullptr);
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(bytes.size(), 54u + 24u * 6u); // rows of 8 pixels padded to 24 bytes
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[18], 8);
    EXPECT_EQ(bytes[22], 6);
    std::remove(file.c_str());
}

TEST_F(WindowApi, ReopeningTheWindowGivesFramesAgain) {
    g_run.stopAfter = 2;
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(Run(32, 32), 0);
    EXPECT_EQ(g_run.frames, 2);
    EXPECT_EQ(qglGetSceneActualWidth(), 32);
}
