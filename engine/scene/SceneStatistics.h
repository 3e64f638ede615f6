// What the last frame drew, counted where the draw paths already know it (no GL queries), for
// hosts, level tools and benchmarks.
#pragma once

#include <cstdint>

namespace quarn {

class TQGLStaticMeshObject;
class TQGLBaseDynamicMeshObject;

struct TQGLFrameStatistics {
    int32_t trianglesDrawn = 0; // faces sent to GL by static meshes and dynamic objects
    int32_t nodesVisited = 0;   // octree nodes whose box the culling walks tested
    int32_t objectsDrawn = 0;   // static meshes with a node in view, dynamic objects in view

    // After the mesh's RenderStatic.
    void CountStatic(const TQGLStaticMeshObject& mesh);
    // For an object that passed its frustum test and is drawn in this frame (now or in the
    // blended pass).
    void CountDynamic(const TQGLBaseDynamicMeshObject& object);
};

} // namespace quarn
