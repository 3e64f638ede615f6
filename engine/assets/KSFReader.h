// Loads a KSF scene and its texture archive into a scene's lists. The whole file is read and
// every material, texture and mesh is built before anything is appended, so a bad file or
// archive raises and leaves the lists exactly as they were.
#pragma once

#include "engine/assets/FileSystem.h"
#include "engine/assets/KSFFile.h"
#include "engine/materials/MaterialList.h"
#include "engine/scene/DynamicMeshObject.h"
#include "engine/scene/StaticMeshObject.h"

#include <memory>
#include <string>
#include <vector>

namespace quarn {

class TQGLFrustrum;

class TKSFReader {
  public:
    // Appends the file's materials to materials and its meshes to statics. Faces name
    // materials relative to the file's first one; they are offset by the list's count when the
    // load began. dynamics is kept for the file's dynamic objects (the format has none yet).
    void Load(const std::string& ksfFile, const std::string& archiveFile, TQGLFrustrum* frustum,
              TQGLMaterialList& materials, TQGLStaticMeshObjects& statics,
              TQGLDynamicMeshObjects& dynamics);
    // The same from a scene already read and an archive already loaded.
    void Build(const KsfScene& scene, const TFileSystem& archive, TQGLFrustrum* frustum,
               TQGLMaterialList& materials, TQGLStaticMeshObjects& statics);

    int32_t header[3] = {0, 0, 0};
    int32_t materialBase = 0;

  private:
    std::unique_ptr<TQGLMaterial> BuildMaterial(const KsfMaterial& record,
                                                const TFileSystem& archive, TQGLStates* states);
    void AddTexture(TQGLShader& stage, const KsfTexture& record, const TFileSystem& archive);
    std::unique_ptr<TQGLStaticMeshObject> BuildMesh(const KsfMesh& record, TQGLFrustrum* frustum,
                                                    TQGLMaterialList& materials);

    std::string archiveName_;
};

} // namespace quarn
