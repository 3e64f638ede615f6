// The KSF scene file as plain records, and its reader and writer. The file is a header of three
// integers, the materials with their stages and texture records, an integer list, and the static
// meshes; all little-endian, strings as a 32-bit length and that many bytes. The reader checks
// every count and length against the bytes that remain, so a broken file raises before anything
// is built from it.
#pragma once

#include "common/QuarnMath.h"
#include "engine/assets/NQStream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quarn {

struct KsfTexture {
    std::string name;        // archive entry holding the image
    std::string path;        // stored only
    int32_t target = 0x0DE1; // GL_TEXTURE_2D
    int32_t unit = 0x84C0;   // GL_TEXTURE0
    int32_t wrapS = 0x2901;  // GL_REPEAT
    int32_t wrapT = 0x2901;
    int32_t magFilter = 0x2601; // GL_LINEAR
    int32_t minFilter = 0x2601;
    uint8_t auxFlag = 0;
    int32_t auxValue1 = 1;
    int32_t auxValue2 = 0;
    int32_t envMode = 0x2100; // GL_MODULATE
};

struct KsfStage {
    int32_t kind = 0; // only the low byte counts
    std::string name;
    std::vector<KsfTexture> textures;
};

struct KsfMaterial {
    std::string name;
    Vec3 ambient{0.8f, 0.8f, 0.8f}, diffuse{0.2f, 0.2f, 0.2f}, emissive{}, specular{};
    float gloss = 0;
    uint8_t blend = 0;
    int32_t blendSource = 0; // GL_ZERO
    int32_t blendDest = 1;   // GL_ONE
    std::vector<KsfStage> stages;
};

// A face's three index lists live in the mesh's shared index pool, one after another.
struct KsfFace {
    uint32_t first = 0; // into KsfMesh::indices
    int32_t vertexCount = 0, normalCount = 0, texCoordCount = 0;
    int32_t material = 0; // relative to the file's first material
};

struct KsfMesh {
    std::vector<Vec3> vertices, normals, texCoords;
    std::vector<KsfFace> faces;
    std::vector<int32_t> indices;
    uint8_t visible = 1;

    // Appends a face from its lists (writers and tests).
    void AddFace(const std::vector<int32_t>& v, const std::vector<int32_t>& n,
                 const std::vector<int32_t>& t, int32_t material);
};

struct KsfScene {
    int32_t header[3] = {0, 0, 0};
    std::vector<KsfMaterial> materials;
    std::vector<int32_t> integerList;
    std::vector<KsfMesh> meshes;
};

// Reads a whole KSF file from the stream's position. Anything after the last mesh is ignored.
KsfScene ReadKSF(TNQStream& stream);
std::vector<uint8_t> WriteKSF(const KsfScene& scene);

} // namespace quarn
