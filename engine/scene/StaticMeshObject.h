// Static world meshes: partitioned once into an octree, culled per node, drawn per node.
#pragma once

#include "engine/core/GLHandles.h"
#include "engine/scene/Octree.h"

#include <memory>
#include <string>
#include <vector>

namespace quarn {

class TQGLStaticMeshObject : public TQGLBaseMeshObject,
                             public HeldAfterFreeAs<kStaticObjectHandle> {
  public:
    TQGLStaticMeshObject();

    void RenderMesh(uint32_t ticks) override { RenderStatic(ticks); }
    void RenderStatic(uint32_t ticks);

    void BuildOctree();
    void RebuildOctree();
    void SetUseDisplayLists(bool flag);
    void SetAutoNodeSize(bool flag) { AutoNodeSize = flag; }
    // Records a particle system (its eight corners) in the deepest node enclosing its box;
    // with grow, a box outside the root widens the root to hold it.
    void PlaceParticleSystem(TQGLParticleSystem* system, const Vec3 corners[8], bool grow);
    // Fills an empty mesh from a height map: a cell of CellSize per pixel, height
    // (red - 128) * HeightScale. JPEG when the upper-cased name ends in ".JPG", else BMP.
    void BuildTerrain(const std::string& heightMapFile, int32_t cellSize, int32_t heightScale);
    // The same from pixels already decoded: red bytes of width x height, row 0 the top row.
    void BuildTerrainFromHeights(const std::vector<uint8_t>& red, int width, int height,
                                 int32_t cellSize, int32_t heightScale);

    // Faces are checked against the arrays once per build; a bad face is reported once and
    // skipped instead of failing the frame.
    bool FaceDrawable(int32_t faceIndex);
    void EmitCorners(const TQGLFace& face, int material) {
        EmitFaceCorners(face, material, Vertices);
    }

    std::unique_ptr<TQGLOctree> Octree;
    bool UseDisplayLists = true;
    bool AutoNodeSize = false;
    std::vector<TQGLOctree*> ParticleNodes;
    std::vector<TQGLOctree*> VisibleNodes;
    LiveHandle liveHandle{this, kStaticObjectHandle};
    // What the last RenderStatic did: faces sent to GL, and octree nodes whose box the culling
    // walk tested (in view or not).
    int32_t FacesDrawn = 0, NodesVisited = 0;

  private:
    std::vector<uint8_t> drawable_; // per face, from the last build
};

class TQGLStaticMeshObjects : public ObjectList<TQGLStaticMeshObject> {
  public:
    void SetDrawNormalsAll(bool flag);
    bool DrawNormalsAll = false;
};

} // namespace quarn
