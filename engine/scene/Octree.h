// Octree nodes of a static mesh: face sets partitioned by octant, culled node by node against
// the frustum and drawn from display lists compiled the first time a leaf is seen.
#pragma once

#include "engine/scene/FacePool.h"
#include "engine/scene/MeshObject.h"

#include <array>
#include <memory>
#include <vector>

namespace quarn {

class TQGLStaticMeshObject;
class TQGLParticleSystem;

// Build settings shared by every octree of the library.
struct OctreeSettings {
    int32_t MaxFacesPerNode = 500;
    int32_t MaxSubdivisions = 30;
};
OctreeSettings& OctreeBuildSettings();

// The faces of a mesh as the build reads them: the vertex indices of the first three corners of
// each face beside flags saying which of them index a vertex, so the partition streams through
// one flat array instead of reaching through face objects at every level. Indices rather than
// positions: a third of the memory, and fresh memory is what a big build pays most for.
struct OctreeBuildInput {
    explicit OctreeBuildInput(const TQGLBaseMeshObject& mesh);
    static constexpr uint8_t kMoreCorners = 8; // flag: the face has more than three corners
    const TQGLBaseMeshObject& mesh;
    std::vector<std::array<int32_t, 3>, LargeBufferAllocator<std::array<int32_t, 3>>> corners;
    std::vector<uint8_t, LargeBufferAllocator<uint8_t>> flags; // bit c: corner c is usable
};

class TQGLOctree {
  public:
    TQGLOctree() = default;
    ~TQGLOctree();
    TQGLOctree(const TQGLOctree&) = delete;
    TQGLOctree& operator=(const TQGLOctree&) = delete;

    // Partitions faces (the one-element list {-1} means all faces of the mesh).
    void CreateNode(float width, const Vec3& center, const std::vector<int32_t>& faceIndices);
    void ComputeNodeBox(const std::vector<int32_t>& faceIndices);
    // Appends this node when its box is in view and visits its children in order; a node out
    // of view prunes its subtree. Inner nodes are appended too: they hold no faces, so they
    // draw nothing, and keeping them keeps the walk a single pass.
    void CollectVisible(std::vector<TQGLOctree*>& visible);
    // Returns the number of faces drawn.
    int32_t DrawNode(uint32_t ticks);
    void BuildNodeLists();
    int32_t CallNodeLists(uint32_t ticks);
    int32_t DrawNodeImmediate(uint32_t ticks);
    void DrawNodeBoxes();
    void SetUseDisplayLists(bool flag);
    // Deepest node enclosing the box [lo, hi], or null when this node does not.
    TQGLOctree* FindContainingNode(const Vec3& lo, const Vec3& hi);
    bool Encloses(const Vec3& lo, const Vec3& hi) const;
    // Deletes the compiled display lists (they are rebuilt on the next draw).
    void DeleteLists();

    Vec3 Center;
    float Width = 0;
    bool Subdivided = false;
    std::vector<int32_t> FaceIndices;
    int32_t FaceCount = 0;
    std::array<std::unique_ptr<TQGLOctree>, 8> Children; // octants 1..8 at 0..7
    TQGLSubMeshes SubMeshes;
    TQGLFrustrum* Frustum = nullptr;
    TQGLStaticMeshObject* Mesh = nullptr;
    bool UseDisplayLists = true;
    Vec3 Corners[8];
    std::vector<TQGLParticleSystem*> ParticleSystems;
    TQGLOctree* Parent = nullptr;

  private:
    // depth: how many subdivisions lie above this node.
    void Partition(float width, const Vec3& center, std::vector<int32_t>&& faces,
                   const OctreeBuildInput& input, int32_t depth);
    void ComputeLeafBox(const std::vector<int32_t>& faces, const OctreeBuildInput& input);
    void UnionOfChildBoxes();
    bool boxEmpty_ = true; // no corner of any face of the node was usable
};

} // namespace quarn
