// Win32-style window messages: the engine's window procedure and loop are written against
// these (message, wParam, lParam), whatever backend produces them.
#pragma once

#include <cstdint>

namespace quarn {

using WParam = uintptr_t;
using LParam = intptr_t;

struct WindowMessage {
    uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
};

constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUIT = 0x0012;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;

// Mouse-message wParam flags.
constexpr WParam MK_LBUTTON = 0x0001;
constexpr WParam MK_RBUTTON = 0x0002;
constexpr WParam MK_SHIFT = 0x0004;
constexpr WParam MK_CONTROL = 0x0008;
constexpr WParam MK_MBUTTON = 0x0010;

// lParam of mouse and size messages: x in the low 16 bits, y in the high 16 bits.
inline LParam MakeLParam(int x, int y) {
    return static_cast<LParam>((static_cast<uint32_t>(y & 0xFFFF) << 16) |
                               static_cast<uint32_t>(x & 0xFFFF));
}
inline uint32_t LowWord(LParam l) {
    return static_cast<uint32_t>(l) & 0xFFFFu;
}
inline uint32_t HighWord(LParam l) {
    return (static_cast<uint32_t>(l) >> 16) & 0xFFFFu;
}

// The timer the render window starts: identifier 1, every 1000 ms.
constexpr WParam kFrameRateTimerId = 1;
constexpr uint32_t kFrameRateTimerPeriodMs = 1000;

} // namespace quarn
