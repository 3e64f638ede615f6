#include "platform/font/GlyphRasterizer.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fontconfig/fontconfig.h>
#endif
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>

namespace quarn {

namespace {

#ifdef _WIN32
// Windows has no fontconfig: the face files of the system's font folder, by their usual names.
std::string MatchFontFile(const std::string& family, bool bold, int& index) {
    index = 0;
    char folder[MAX_PATH] = {};
    const UINT n = ::GetWindowsDirectoryA(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string base = family == "Arial" ? "arial" : "tahoma";
    for (const std::string& file : {base + (bold ? "bd" : "") + ".ttf", base + ".ttf"}) {
        const std::string path = std::string(folder) + "\\Fonts\\" + file;
        if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return path;
    }
    return {};
}
bool FontLookupReady() {
    return true;
}
#else
bool FontLookupReady() {
    return FcInit() != FcFalse;
}

// The file fontconfig matches for the pattern, or empty.
std::string MatchFontFile(const std::string& family, bool bold, int& index) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return {};
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string path;
    if (match) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
            path = reinterpret_cast<const char*>(file);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return path;
}
#endif

int SafeCode(int code) {
    return code >= GlyphRasterizer::kFirstCode &&
                   code < GlyphRasterizer::kFirstCode + GlyphRasterizer::kCodeCount
               ? code
               : '?';
}

} // namespace

bool GlyphRasterizer::Load(const std::string& family, bool bold, int pixelHeight,
                           std::string& error) {
    if (!FontLookupReady()) {
        error = "Unable to initialise fontconfig";
        return false;
    }
    for (const std::string& name : {family, std::string("DejaVu Sans")}) {
        int index = 0;
        const std::string path = MatchFontFile(name, bold, index);
        if (!path.empty() && LoadFile(path, index, pixelHeight, error)) return true;
    }
    if (error.empty()) error = "No font found for " + family;
    return false;
}

bool GlyphRasterizer::LoadFile(const std::string& path, int index, int pixelHeight,
                               std::string& error) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        error = "Unable to initialise FreeType";
        return false;
    }
    std::unique_ptr<FT_LibraryRec_, FT_Error (*)(FT_Library)> libraryGuard(library,
                                                                           &FT_Done_FreeType);
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), index, &face) != 0 ||
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelHeight)) != 0) {
        error = "Unable to load the font " + path;
        return false; // the face goes with the library
    }
    for (int i = 0; i < kCodeCount; ++i) {
        GlyphBitmap& glyph = glyphs_[size_t(i)];
        glyph = GlyphBitmap{};
        if (FT_Load_Char(face, FT_ULong(kFirstCode) + FT_ULong(i),
                         FT_LOAD_RENDER | FT_LOAD_MONOCHROME | FT_LOAD_TARGET_MONO) != 0)
            continue; // no glyph: an empty bitmap that does not advance
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        glyph.width = int(bitmap.width);
        glyph.height = int(bitmap.rows);
        glyph.xOrigin = float(-slot->bitmap_left);
        glyph.yOrigin = float(glyph.height - slot->bitmap_top);
        glyph.advance = float(slot->advance.x) / 64.0f;
        const size_t rowBytes = size_t(glyph.width + 7) / 8;
        glyph.bits.assign(rowBytes * size_t(glyph.height), 0);
        if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO || !bitmap.buffer) continue;
        for (int row = 0; row < glyph.height; ++row) { // FreeType rows run top-down
            const int pitch = bitmap.pitch;
            const unsigned char* src = pitch >= 0
                                           ? bitmap.buffer + row * pitch
                                           : bitmap.buffer + (glyph.height - 1 - row) * -pitch;
            std::copy_n(src, rowBytes, &glyph.bits[size_t(glyph.height - 1 - row) * rowBytes]);
        }
    }
    const FT_Size_Metrics& metrics = face->size->metrics;
    lineHeight_ = int((metrics.ascender - metrics.descender + 63) / 64);
    facePath_ = path;
    return true;
}

const GlyphBitmap& GlyphRasterizer::Glyph(int code) const {
    return glyphs_[size_t(SafeCode(code) - kFirstCode)];
}

} // namespace quarn
