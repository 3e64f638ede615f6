// Screenshot exports: what the window shows (the last swapped frame) saved as 24-bit BMP.
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"
#include "engine/materials/BitmapFile.h"

#include <algorithm>

using namespace quarn;

namespace {
void CopyScreenPart(const char* fileName, int x, int y, int width, int height) {
    TQGLWinDLLScreen& screen = RequireScreen();
    if (!fileName) throw EngineError("No bitmap file name given");
    if (width <= 0 || height <= 0)
        throw EngineError(
            Format("Invalid screenshot size %d x %d for %s", width, height, fileName));
    // The bitmap never grows past the window: a larger rectangle is cut to the window's width
    // and height (its corner kept), so a wild size cannot ask for gigabytes.
    width = std::min(width, std::max(screen.width, 1));
    height = std::min(height, std::max(screen.height, 1));
    std::vector<uint8_t> rgb;
    if (!screen.backend() || !screen.backend()->ReadFrontBuffer(x, y, width, height, rgb))
        throw EngineError(std::string("Unable to read the window for ") + fileName);
    SaveBitmapFile(fileName, width, height, rgb);
}
} // namespace

extern "C" {

QUARN_API void QUARN_CALL qglCopySceneScreenToBitmapFile(const char* FileName) {
    GuardGLVoid([&] {
        TQGLWinDLLScreen& s = RequireScreen();
        CopyScreenPart(FileName, 0, 0, s.width, s.height);
    });
}

QUARN_API void QUARN_CALL qglCopySceneScreenPartToBitmapFile(const char* FileName, int32_t X,
                                                             int32_t Y, int32_t Width,
                                                             int32_t Height) {
    GuardGLVoid([&] { CopyScreenPart(FileName, X, Y, Width, Height); });
}

} // extern "C"
