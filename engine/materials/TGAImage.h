// The TGA graphic class the scene readers decode embedded textures with: a bitmap (scan lines
// top-down, pixels blue, green, red (, alpha)) that loads from and saves to TGA streams.
#pragma once

#include "common/EngineError.h"
#include "engine/materials/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <iosfwd>

namespace quarn {

class ETGAException : public EngineError {
  public:
    using EngineError::EngineError;
};

class TTGAImage : public Bitmap {
  public:
    // Reads one TGA image (types 0, 2 and 10; 24 or 32 bits; no colour map) from the stream's
    // current position, consuming exactly its header, ID field and pixel data. Raises
    // ETGAException: "ColorMapped TGA unsupported", "Unsupported TGA ImageType" (bad depth),
    // "Unsupported TGA ImageType <n>" (bad type), "Unexpected end of TGA data" (short stream),
    // "TGA image too large". On failure the image keeps its previous contents.
    void LoadFromStream(std::istream& stream);
    void LoadFromBytes(const uint8_t* data, size_t size);

    // Writes an uncompressed bottom-up TGA (type 2, depth 24 or 32). Raises ETGAException
    // "Unsupported Bitmap format" when the bitmap cannot be written as TGA (sides over 65535,
    // or fewer pixel bytes than its size needs), "Error writing TGA data" on a failed write.
    void SaveToStream(std::ostream& stream) const;
};

} // namespace quarn
