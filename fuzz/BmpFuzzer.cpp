// Arbitrary bytes as a BMP file: the decoder must fail cleanly or give a consistent buffer.
#include "engine/materials/BmpReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quarn::Bitmap image;
    if (quarn::DecodeBmp(data, size, image) == quarn::BmpError::None &&
        image.pixels.size() != image.RowBytes() * size_t(image.height))
        std::abort();
    return 0;
}
