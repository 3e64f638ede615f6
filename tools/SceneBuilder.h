// Authoring side of the asset files: models (Wavefront OBJ with MTL, or 3DS) turned into a KSF
// scene whose textures go into a packed archive. Shared by quarn-ksf, the tests and the
// benchmarks, so what they write is exactly what the engine reads.
#pragma once

#include "engine/assets/File3DS.h"
#include "engine/assets/FileSystem.h"
#include "engine/assets/KSFFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quarn {

// The archive type code for an image, by its content ("BM", the JPEG start marker) or, for
// TGA, which has no signature, by its ".tga" ending. False for anything else.
bool ArchiveTypeOfImage(const std::vector<uint8_t>& bytes, const std::string& fileName,
                        uint16_t& typeCode);

class SceneBuilder {
  public:
    // Each model becomes one static mesh; its materials are appended to the scene's and their
    // texture files packed into the archive (each file once, under its name without folder).
    void AddObj(const std::string& objFile);
    // Meshes merged and turned from Z-up to Y-up, as the engine's 3DS import does.
    void Add3DS(const std::string& file3ds);

    KsfScene scene;
    TFileSystem archive;
    std::vector<std::string> warnings;

  private:
    // Index of the material in the scene: a texture stage when textureFile is not empty and
    // the image can be packed.
    int32_t AddMaterial(KsfMaterial material, const std::string& textureFile);
    // The archive entry name for the image, packing it the first time; empty when it cannot.
    std::string Pack(const std::string& imageFile);
};

// A 3DS file with the OBJ model's geometry and materials (texture maps by file name), for
// models that are to be imported rather than loaded as a scene.
TFile3DS ObjTo3DS(const std::string& objFile);

} // namespace quarn
