#include "engine/materials/ImageSource.h"

#include "engine/materials/BmpReader.h"
#include "engine/materials/JpegReader.h"
#include "engine/materials/TgaReader.h"
#include "platform/resources/LibraryResources.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <sys/stat.h>
#include <vector>

namespace quarn {
namespace {

enum class FileRead { Ok, CannotOpen, ReadError };

bool FileExists(const std::string& fileName) {
    struct stat info;
    return ::stat(fileName.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

// A folder cannot be opened as an image, though fopen opens it on Linux.
FileRead ReadWholeFile(const std::string& fileName, std::vector<uint8_t>& bytes) {
    if (!FileExists(fileName)) return FileRead::CannotOpen;
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) return FileRead::CannotOpen;
    bytes.clear();
    uint8_t chunk[65536];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return failed ? FileRead::ReadError : FileRead::Ok;
}

bool Fail(LoadFailure& failure, const char* caption, const std::string& text) {
    failure.caption = caption;
    failure.text = text;
    return false;
}

std::string Quoted(const std::string& fileName) {
    return "\"" + fileName + "\"";
}

const LibraryResource* FindImageResource(const std::string& fileName, const char* type) {
    return FindResource(ResourceNameFromFileName(fileName).c_str(), type);
}

} // namespace

ImageKind ImageKindFromFileName(const std::string& fileName) {
    if (fileName.size() < 4) return ImageKind::Unknown;
    std::string ending = fileName.substr(fileName.size() - 4);
    for (char& c : ending)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (ending == ".BMP") return ImageKind::Bmp;
    if (ending == ".JPG") return ImageKind::Jpeg;
    if (ending == ".TGA") return ImageKind::Tga;
    return ImageKind::Unknown;
}

std::string ResourceNameFromFileName(const std::string& fileName) {
    return fileName.substr(0, fileName.find('.'));
}

bool ReadBmpImage(const std::string& fileName, bool fromResource, Bitmap& out,
                  LoadFailure& failure) {
    if (fromResource) {
        const LibraryResource* resource = FindImageResource(fileName, "BMP");
        if (!resource)
            return Fail(failure, "BMP Texture", "File not found in resource - " + fileName);
        if (DecodeBmp(resource->data, resource->size, out) != BmpError::None)
            return Fail(failure, "BMP Unit", "Unable to read from resource - " + fileName);
        return true;
    }
    std::vector<uint8_t> bytes;
    const FileRead read = ReadWholeFile(fileName, bytes);
    if (read == FileRead::CannotOpen) return Fail(failure, "BMP Unit", "Error opening " + fileName);
    if (read == FileRead::ReadError) return Fail(failure, "BMP Unit", "Error reading bitmap data");
    switch (DecodeBmp(bytes.data(), bytes.size(), out)) {
    case BmpError::None:
        return true;
    case BmpError::Palette:
        return Fail(failure, "BMP Unit", "Error reading palette");
    case BmpError::Unsupported:
        return Fail(failure, "BMP Unit", "Unsupported bitmap format - " + fileName);
    case BmpError::Header:
    case BmpError::PixelData:
        break;
    }
    return Fail(failure, "BMP Unit", "Error reading bitmap data");
}

bool ReadJpegImage(const std::string& fileName, bool fromResource, Bitmap& out,
                   LoadFailure& failure) {
    if (fromResource) {
        const LibraryResource* resource = FindImageResource(fileName, "JPEG");
        if (!resource)
            return Fail(failure, "JPG Texture", "File not found in resource - " + fileName);
        if (!DecodeJpeg(resource->data, resource->size, out))
            return Fail(failure, "BMP Unit", "Couldn't load JPG Resource - " + Quoted(fileName));
        return true;
    }
    std::vector<uint8_t> bytes;
    if (ReadWholeFile(fileName, bytes) != FileRead::Ok ||
        !DecodeJpeg(bytes.data(), bytes.size(), out))
        return Fail(failure, "BMP Unit", "Couldn't load JPG - " + Quoted(fileName));
    return true;
}

bool ReadTgaImage(const std::string& fileName, bool fromResource, Bitmap& out,
                  LoadFailure& failure) {
    std::vector<uint8_t> bytes;
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (fromResource) {
        const LibraryResource* resource = FindImageResource(fileName, "TGA");
        if (!resource)
            return Fail(failure, "TGA Texture", "File not found in resource - " + fileName);
        data = resource->data;
        size = resource->size;
    } else {
        if (!FileExists(fileName))
            return Fail(failure, "TGA Texture", "File not found  - " + fileName);
        if (ReadWholeFile(fileName, bytes) != FileRead::Ok)
            return Fail(failure, "TGA File Error", "Couldn't read file " + Quoted(fileName) + ".");
        data = bytes.data();
        size = bytes.size();
    }
    const std::string couldNotLoad = "Couldn't load " + Quoted(fileName);
    switch (DecodeTgaTexture(data, size, out)) {
    case TgaError::None:
        return true;
    case TgaError::ImageType:
        return Fail(failure, "TGA File Error", couldNotLoad + ". Only 24 and 32bit TGA supported.");
    case TgaError::ColourMapped:
        return Fail(failure, "TGA File Error",
                    couldNotLoad + ". Colormapped TGA files not supported.");
    case TgaError::PixelDepth:
        return Fail(failure, "TGA File Error",
                    couldNotLoad + ". Only 24 and 32 bit TGA files supported.");
    case TgaError::Header:
    case TgaError::PixelData:
        break;
    }
    if (fromResource)
        return Fail(failure, "BMP Unit", "Unable to read from resource - " + fileName);
    return Fail(failure, "TGA File Error", "Couldn't read file " + Quoted(fileName) + ".");
}

bool ReadImage(ImageKind kind, const std::string& fileName, bool fromResource, Bitmap& out,
               LoadFailure& failure) {
    switch (kind) {
    case ImageKind::Bmp:
        return ReadBmpImage(fileName, fromResource, out, failure);
    case ImageKind::Jpeg:
        return ReadJpegImage(fileName, fromResource, out, failure);
    case ImageKind::Tga:
        return ReadTgaImage(fileName, fromResource, out, failure);
    case ImageKind::Unknown:
        break;
    }
    failure = LoadFailure{};
    return false;
}

} // namespace quarn
