#include "engine/scene/HeightMap.h"

#include "common/EngineError.h"

#include <cctype>

namespace quarn {

bool IsJpegHeightMapName(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return tail == ".JPG";
}

HeightMap LoadHeightMap(const std::string& fileName) {
    throw EngineError("Unable to read height map " + fileName);
}

} // namespace quarn
