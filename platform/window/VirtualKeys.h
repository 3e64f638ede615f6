// Win32 virtual-key codes for SDL keys (Escape 27, space 32, 'A'..'Z' 65..90, arrows 37..40,
// F1 112 ...). 0 for keys without a code.
#pragma once

#include <cstdint>

namespace quarn {

uint32_t VirtualKeyFromSdl(int32_t sdlKeycode, uint32_t sdlScancode);
// The SDL keycode for a virtual-key code (tests inject keys with it); 0 when none.
int32_t SdlKeycodeFromVirtualKey(uint32_t vk);

} // namespace quarn
