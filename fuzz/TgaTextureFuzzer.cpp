// Arbitrary bytes as a TGA texture file: fail cleanly or give a consistent buffer.
#include "engine/materials/TgaReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quarn::Bitmap image;
    if (quarn::DecodeTgaTexture(data, size, image) == quarn::TgaError::None &&
        (image.width <= 0 || image.pixels.size() != image.RowBytes() * size_t(image.height)))
        std::abort();
    return 0;
}
