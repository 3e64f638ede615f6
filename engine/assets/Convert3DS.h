// One 3DS mesh record turned into render-ready geometry: vertices split by smoothing group so
// each group gets its own averaged normals (faces without a group are shaded flat), and the
// faces grouped per engine material. No GL and no scene here; the importer appends the result
// to an engine object, the scene tool writes it to a KSF file.
#pragma once

#include "engine/assets/File3DS.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quarn {

struct ConvertedFaceGroup3DS {
    int32_t material = 0;         // engine material index
    std::vector<int32_t> indices; // three converted vertices per triangle
};

// Converted meshes, one after another: the arrays are parallel, and the face groups index
// them directly.
struct ConvertedMesh3DS {
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;   // unit length (zero for unused vertices)
    std::vector<Vec3> texCoords; // (u, v, 0); (0, 0, 0) for meshes without coordinates
    std::vector<ConvertedFaceGroup3DS> groups;
    bool mixedSmoothingGroups = false; // a face carried more than one group bit
};

// Engine material index of a 3DS material name, or -1 when there is none.
using MaterialLookup3DS = std::function<int32_t(const std::string&)>;

// Appends the converted mesh to out; false (nothing added) for fewer than three vertices. Groups
// whose material is not found use material 0 and add a message; faces that belong to no group are
// kept in a last group with ungroupedMaterial, so no face of the file is lost.
bool ConvertMesh3DS(const TMesh3DS& mesh, int32_t meshRelease, const MaterialLookup3DS& lookup,
                    int32_t ungroupedMaterial, ConvertedMesh3DS& out,
                    std::vector<std::string>& messages);

// Whether any face of the mesh is in no face material group.
bool HasUngroupedFaces(const TMesh3DS& mesh);

// The message shown for a mesh whose faces carry more than one smoothing group.
std::string MixedSmoothingMessage(const std::string& meshName);

} // namespace quarn
