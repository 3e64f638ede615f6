// Arbitrary bytes as a TGA stream for the scene readers' decoder. Whatever loads must save and
// load again to the same bitmap.
#include "engine/materials/TGAImage.h"

#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quarn::TTGAImage image;
    try {
        image.LoadFromBytes(data, size);
    } catch (const quarn::ETGAException&) {
        return 0;
    }
    if (!image.Consistent()) std::abort();
    std::stringstream stream;
    image.SaveToStream(stream);
    quarn::TTGAImage again;
    again.LoadFromStream(stream);
    if (again.width != image.width || again.height != image.height ||
        again.format != image.format || again.pixels != image.pixels)
        std::abort();
    return 0;
}
