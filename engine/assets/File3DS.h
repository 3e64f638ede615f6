// Our reader of the 3D Studio chunk format into plain records (materials, triangle meshes), and
// a writer of the same subset for the tools and benchmarks. Every chunk is bounded by its
// parent, by the end of the file and by the 6-byte chunk header; unknown chunks are skipped;
// counts and indices are checked against the data, so a broken file raises E3DSError.
#pragma once

#include "common/EngineError.h"
#include "common/QuarnMath.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace quarn {

class E3DSError : public EngineError {
  public:
    using EngineError::EngineError;
};

struct TMaterial3DS {
    std::string name;
    Vec3 ambient, diffuse, specular; // 0..1
    float shininess = 0;             // percent, 0..100
    float transparency = 0;          // percent
    float selfIllumination = 0;      // percent
    std::string textureMap;          // file names; empty when absent
    std::string secondMap;           // the second texture map
};

struct TFaceGroup3DS {
    std::string material;
    std::vector<uint16_t> faces;
};

struct TMesh3DS {
    std::string name;
    std::vector<Vec3> vertices;
    std::vector<std::array<float, 2>> texCoords; // empty, or one per vertex
    std::vector<std::array<uint16_t, 3>> faces;
    std::vector<uint32_t> smoothing; // empty, or one group word per face
    std::vector<TFaceGroup3DS> groups;
};

class TFile3DS {
  public:
    void LoadFromFile(const std::string& fileName);
    // fileName names the file in errors and is kept for resolving texture names.
    void LoadFromBytes(const std::string& fileName, const uint8_t* data, size_t size);
    // The subset this reader understands, as a file (root, version, editor, materials, meshes).
    std::vector<uint8_t> SaveToBytes() const;
    void SaveToFile(const std::string& fileName) const;

    std::string fileName;
    // Winding: 0, 1, 2 for mesh versions 1, 2, 3; the reader gives 3 for anything else or no
    // version chunk. New files are written as version 3.
    int32_t meshRelease = 2;
    std::vector<TMaterial3DS> materials;
    std::vector<TMesh3DS> meshes;
};

// Chunk identifiers the reader and writer use.
enum Chunk3DS : uint16_t {
    kChunkMain = 0x4D4D,
    kChunkMainAlt = 0xC23D,
    kChunkVersion = 0x0002,
    kChunkEditor = 0x3D3D,
    kChunkMeshVersion = 0x3D3E,
    kChunkColourF = 0x0010,
    kChunkColour24 = 0x0011,
    kChunkLinColour24 = 0x0012,
    kChunkLinColourF = 0x0013,
    kChunkPercentI = 0x0030,
    kChunkPercentF = 0x0031,
    kChunkMaterial = 0xAFFF,
    kChunkMatName = 0xA000,
    kChunkMatAmbient = 0xA010,
    kChunkMatDiffuse = 0xA020,
    kChunkMatSpecular = 0xA030,
    kChunkMatShininess = 0xA040,
    kChunkMatTransparency = 0xA050,
    kChunkMatSelfIllum = 0xA084,
    kChunkMatTexture = 0xA200,
    kChunkMatTexture2 = 0xA33A,
    kChunkMapFile = 0xA300,
    kChunkObject = 0x4000,
    kChunkTriMesh = 0x4100,
    kChunkPoints = 0x4110,
    kChunkFaces = 0x4120,
    kChunkFaceMaterial = 0x4130,
    kChunkTexVerts = 0x4140,
    kChunkSmoothing = 0x4150,
};

} // namespace quarn
