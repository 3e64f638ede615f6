// Frame statistics and the camera projection: what the last frame cost, and the lens it used.
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"

using namespace quarn;

extern "C" {

QUARN_API void QUARN_CALL qglGetSceneStatistics(int32_t* TrianglesDrawn, int32_t* NodesVisited,
                                                int32_t* ObjectsDrawn) {
    GuardGLVoid([&] {
        for (int32_t* out : {TrianglesDrawn, NodesVisited, ObjectsDrawn})
            if (out) *out = 0; // zeros too when there is no scene to ask
        const TQGLFrameStatistics& s = RequireScene().statistics;
        if (TrianglesDrawn) *TrianglesDrawn = s.trianglesDrawn;
        if (NodesVisited) *NodesVisited = s.nodesVisited;
        if (ObjectsDrawn) *ObjectsDrawn = s.objectsDrawn;
    });
}

QUARN_API void QUARN_CALL qglSetCameraProjection(float FieldOfViewDegrees, float Near, float Far) {
    GuardGLVoid([&] {
        RequireFinite("FieldOfViewDegrees", FieldOfViewDegrees, "Near", Near, "Far", Far);
        RequireScreen().SetProjection(FieldOfViewDegrees, Near, Far);
    });
}

} // extern "C"
