// Reading an image for a texture from a file or from the library's resources, with the exact
// caption and text each failure shows. No GL here: the texture loaders upload what this gives.
#pragma once

#include "engine/materials/Bitmap.h"

#include <string>

namespace quarn {

enum class ImageKind { Unknown, Bmp, Jpeg, Tga };

// By the last four characters of the name, upper-cased: ".BMP", ".JPG" or ".TGA". Anything
// else (".jpeg", names shorter than four characters) is Unknown.
ImageKind ImageKindFromFileName(const std::string& fileName);

// The resource a file name stands for: the name up to (not including) its first ".".
std::string ResourceNameFromFileName(const std::string& fileName);

// The message box a failed load shows.
struct LoadFailure {
    std::string caption;
    std::string text;
};

// Each reads fileName (or, with fromResource, the resource it names) into out. On failure
// returns false with the message in failure and out unchanged.
bool ReadBmpImage(const std::string& fileName, bool fromResource, Bitmap& out,
                  LoadFailure& failure);
bool ReadJpegImage(const std::string& fileName, bool fromResource, Bitmap& out,
                   LoadFailure& failure);
bool ReadTgaImage(const std::string& fileName, bool fromResource, Bitmap& out,
                  LoadFailure& failure);
// Dispatches on kind; Unknown fails with an empty message (the loaders show nothing then).
bool ReadImage(ImageKind kind, const std::string& fileName, bool fromResource, Bitmap& out,
               LoadFailure& failure);

} // namespace quarn
