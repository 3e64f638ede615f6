#include "engine/effects/Font.h"

#include "platform/MessageChannel.h"

#include <algorithm>
#include <cstdint>

namespace quarn {

namespace {
constexpr GLbitfield kOverlayAttributes = 0x0B71; // the state the 2D switch may touch
constexpr GLbitfield kTextureAttributes = 0x40000;
} // namespace

TQGLFont::TQGLFont(int32_t w, int32_t h) : width(w), height(h) {
    beginOverlay = glGenLists(2);
    endOverlay = beginOverlay == 0 ? 0 : beginOverlay + 1;
    glNewList(beginOverlay, GL_COMPILE);
    glPushAttrib(kOverlayAttributes);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEndList();
    glNewList(endOverlay, GL_COMPILE);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    glPopAttrib();
    glEndList();
}

TQGLFont::~TQGLFont() {
    if (glyphBase != 0) glDeleteLists(glyphBase, GlyphRasterizer::kCodeCount);
    if (beginOverlay != 0) glDeleteLists(beginOverlay, 2);
}

void TQGLFont::BuildFont() {
    if (glyphBase != 0) return;
    std::string error;
#ifdef _WIN32
    // Windows: GDI's Arial, bold, 10 pixels, as display lists from WGL. FreeType below only
    // where GDI cannot build them.
    const GLuint lists = glGenLists(GlyphRasterizer::kCodeCount);
    if (lists == 0) return;
    if (gdi_.Build("Arial", 10, 700, lists, GlyphRasterizer::kFirstCode,
                   GlyphRasterizer::kCodeCount, error)) {
        glyphBase = lists;
        return;
    }
    glDeleteLists(lists, GlyphRasterizer::kCodeCount);
    error.clear();
#endif
    if (!glyphs_.Load("Arial", true, 10, error)) {
        ShowMessage("Error", error.c_str());
        return;
    }
    glyphBase = glGenLists(GlyphRasterizer::kCodeCount);
    if (glyphBase == 0) return;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // glyph rows are byte-aligned
    for (int i = 0; i < GlyphRasterizer::kCodeCount; ++i) {
        const GlyphBitmap& g = glyphs_.Glyph(GlyphRasterizer::kFirstCode + i);
        glNewList(glyphBase + GLuint(i), GL_COMPILE);
        glBitmap(g.width, g.height, g.xOrigin, g.yOrigin, g.advance, 0,
                 g.bits.empty() ? nullptr : g.bits.data());
        glEndList();
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

void TQGLFont::AddText(const char* text, int32_t x, int32_t y) {
    if (!text) return;
    if (lineCount_ == lines_.size()) lines_.emplace_back();
    TQGLFontString& line = lines_[lineCount_++];
    line.text.assign(text); // reuses the line's storage once it has grown
    line.x = x;
    line.y = y;
}

namespace {

// Raster positions far off the window, without overflowing on the way there.
int32_t ClampedToInt(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

void TQGLFont::DrawText(const char* text, int32_t x, int32_t y) {
    if (!text || glyphBase == 0) return;
    const int h = TextHeight(text);
    glCallList(beginOverlay);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glColor3f(1, 1, 1);
    glRasterPos2i(x, ClampedToInt(int64_t(height) - (int64_t(y) + h)));
    glPushAttrib(GL_LIST_BIT);
    glListBase(glyphBase - GlyphRasterizer::kFirstCode);
    // Codes outside the glyph range would call lists that are not glyphs: draw '?' instead.
    unsigned char chunk[128];
    size_t n = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text);; ++p) {
        if (*p == 0 || n == sizeof chunk) {
            if (n > 0) glCallLists(GLsizei(n), GL_UNSIGNED_BYTE, chunk);
            n = 0;
            if (*p == 0) break;
        }
        chunk[n++] = (*p >= 32 && *p < 128) ? *p : '?';
    }
    glPopAttrib();
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glCallList(endOverlay);
}

int TQGLFont::TextHeight(const char* text) const {
#ifdef _WIN32
    if (gdi_.Built()) return gdi_.TextHeight(text);
#endif
    (void)text; // every line of the FreeType font has the same extent
    return glyphs_.LineHeight();
}

const char* TQGLFont::GlyphSource() const {
#ifdef _WIN32
    if (gdi_.Built()) return "GDI";
#endif
    return "FreeType";
}

void TQGLFont::RenderTexts() {
    glPushAttrib(kTextureAttributes);
    glDisable(GL_TEXTURE_2D);
    for (size_t i = 0; i < lineCount_; ++i)
        DrawText(lines_[i].text.c_str(), lines_[i].x, ClampedToInt(int64_t(lines_[i].y) - height));
    glPopAttrib();
    lineCount_ = 0;
}

} // namespace quarn
