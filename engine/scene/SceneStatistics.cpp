#include "engine/scene/SceneStatistics.h"

#include "engine/scene/DynamicMeshObject.h"
#include "engine/scene/StaticMeshObject.h"

namespace quarn {

void TQGLFrameStatistics::CountStatic(const TQGLStaticMeshObject& mesh) {
    trianglesDrawn += mesh.FacesDrawn;
    nodesVisited += mesh.NodesVisited;
    if (!mesh.VisibleNodes.empty() && mesh.Visible) ++objectsDrawn;
}

void TQGLFrameStatistics::CountDynamic(const TQGLBaseDynamicMeshObject& object) {
    if (!object.Visible) return; // culled in, but its draw does nothing
    trianglesDrawn += object.DrawnFaceCount();
    ++objectsDrawn;
}

} // namespace quarn
