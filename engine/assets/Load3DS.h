// 3DS models into the scene: the file's materials become engine materials (texture maps loaded
// from files next to the model), all meshes merge into one static or dynamic object turned from
// the file's Z-up into the engine's Y-up space. Everything is built before it is appended, so a
// failed import adds nothing.
#pragma once

#include "engine/assets/File3DS.h"
#include "engine/materials/MaterialList.h"
#include "engine/scene/DynamicMeshObject.h"
#include "engine/scene/StaticMeshObject.h"

#include <string>
#include <vector>

namespace quarn {

class TQGLFrustrum;

enum class Import3DSKind { Static = 0, Dynamic = 1 };

struct Import3DSResult {
    TQGLBaseMeshObject* object = nullptr;
    std::vector<TQGLMaterial*> newMaterials; // in list order
};

// The list the object goes to is statics or dynamics by kind; the other may be null.
Import3DSResult Load3DSIntoScene(const TFile3DS& file, Import3DSKind kind,
                                 TQGLMaterialList& materials, TQGLStaticMeshObjects* statics,
                                 TQGLDynamicMeshObjects* dynamics, TQGLFrustrum* frustum);

} // namespace quarn
