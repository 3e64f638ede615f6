#include "platform/font/GdiFont.h"

#include <windows.h>

#include <cstring>

namespace quarn {

bool GdiFont::Build(const char* face, int pixelHeight, int weight, GLuint base, int first,
                    int count, std::string& error) {
    // WGL is OpenGL32.dll's, loaded by name like the rest of GL (already in the process).
    HMODULE gl = ::GetModuleHandleA("OpenGL32.dll");
    using CurrentDC = HDC(WINAPI*)();
    using UseFontBitmaps = BOOL(WINAPI*)(HDC, DWORD, DWORD, DWORD);
    auto currentDC = gl ? reinterpret_cast<CurrentDC>(
                              reinterpret_cast<void*>(::GetProcAddress(gl, "wglGetCurrentDC")))
                        : nullptr;
    auto useFontBitmaps = gl ? reinterpret_cast<UseFontBitmaps>(reinterpret_cast<void*>(
                                   ::GetProcAddress(gl, "wglUseFontBitmapsA")))
                             : nullptr;
    HDC dc = currentDC ? currentDC() : nullptr;
    if (!dc || !useFontBitmaps) {
        error = "No GL device context for the GDI font";
        return false;
    }
    // Height -pixelHeight: the character height, not the cell height. The font stays selected
    // for the context's life (it is never deleted).
    HFONT font = ::CreateFontA(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                               OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                               FF_DONTCARE | DEFAULT_PITCH, face);
    if (!font) {
        error = std::string("Unable to create the GDI font ") + face;
        return false;
    }
    ::SelectObject(dc, font);
    if (!useFontBitmaps(dc, DWORD(first), DWORD(count), base)) {
        error = std::string("Unable to build the bitmap lists of the GDI font ") + face;
        return false;
    }
    deviceContext_ = dc;
    return true;
}

int GdiFont::TextHeight(const char* text) const {
    if (!deviceContext_ || !text) return 0;
    SIZE extent{0, 0};
    ::GetTextExtentPoint32A(static_cast<HDC>(deviceContext_), text, int(std::strlen(text)),
                            &extent);
    return int(extent.cy);
}

} // namespace quarn
