// Reading GL state from a test host: entry points come from the OpenGL library the engine
// opened (qglGetOpenGLLibHandle), so the tests never link GL themselves.
#pragma once

#include "quarn/QuarnGL.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <array>

namespace probe {

template <class F> F GLEntry(const char* name) {
    void* lib = qglGetOpenGLLibHandle();
#ifdef _WIN32
    return lib ? reinterpret_cast<F>(
                     reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(lib), name)))
               : nullptr;
#else
    return lib ? reinterpret_cast<F>(dlsym(lib, name)) : nullptr;
#endif
}

using Pixel = std::array<int, 3>;

// The pixel (x, y) from the bottom-left of the frame being drawn (black when GL is not there).
inline Pixel ReadFramePixel(int x, int y) {
    using ReadPixels = void (*)(int, int, int, int, unsigned, unsigned, void*);
    unsigned char rgba[4] = {0, 0, 0, 0};
    if (auto read = GLEntry<ReadPixels>("glReadPixels"))
        read(x, y, 1, 1, 0x1908 /* GL_RGBA */, 0x1401 /* GL_UNSIGNED_BYTE */, rgba);
    return Pixel{rgba[0], rgba[1], rgba[2]};
}

} // namespace probe
