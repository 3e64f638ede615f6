// Arbitrary bytes as a JPEG file. The pixel limit is lowered so huge claimed sizes do not make
// single runs slow; the decoding path is the loaders' own.
#include "engine/materials/JpegReader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quarn::Bitmap image;
    if (!quarn::DecodeJpeg(data, size, image, int64_t(1) << 20)) return 0;
    if (image.format != quarn::BitmapFormat::Rgba32 ||
        image.pixels.size() != size_t(image.width) * image.height * 4)
        std::abort();
    for (size_t i = 3; i < image.pixels.size(); i += 4)
        if (image.pixels[i] != 255) std::abort();
    return 0;
}
