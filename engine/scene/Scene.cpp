#include "engine/scene/Scene.h"

#include "engine/scene/ViewCamera.h"
#include "platform/gl/GL.h"

namespace quarn {

void TQGLCapabilities::Read() {
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &textureUnits);
    glGetIntegerv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &max3DTextureSize);
    // An unsupported limit (no anisotropic filtering) raises a GL error; clear it so it is not
    // taken for a later failure.
    while (glGetError() != GL_NO_ERROR) {
    }
}

TQGLBaseScene::TQGLBaseScene(int w, int h) : camera(w, h, Vec3{0, 0, 0}), height(h), width(w) {
    capabilities.Read();
    camera.speed = 50.0;
    SetShowOcclusionNodes(false);
}

TQGLBaseScene::~TQGLBaseScene() = default;

void TQGLBaseScene::InitGL() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

void TQGLBaseScene::SetShowOcclusionNodes(bool flag) {
    showOcclusionNodes = flag;
    for (const auto& m : staticObjects)
        m->ShowOcclusionNodes = flag;
}

void TQGLBaseScene::SetDrawNormals(bool flag) {
    drawNormals = flag;
    staticObjects.SetDrawNormalsAll(flag);
}

void TQGLBaseScene::RenderStaticObjects(uint32_t ticks, bool unlit) {
    for (const auto& m : staticObjects) {
        glPushMatrix();
        if (unlit) glDisable(GL_LIGHTING);
        m->RenderStatic(ticks);
        glPopMatrix();
    }
}

void TQGLBaseScene::FreeDeletedObjects() {
    for (TQGLStaticMeshObject* m : deletedStatics_)
        staticObjects.Remove(m);
    deletedStatics_.clear();
}

void TQGLBaseScene::Render() {
    const uint32_t ticks = frameTicks;
    // 1. Clear and start from the identity.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    // 2. The scene map in the first frame and every fourth frame after.
    if (mapFrameCounter == 4) {
        RenderSceneMap();
        mapFrameCounter = 1;
    } else {
        ++mapFrameCounter;
    }
    // 3-5. Camera, frustum, host.
    camera.ApplyView();
    frustum.ExtractPlanes();
    if (beforeRender) beforeRender();
    // 6. Per-frame counters and the material cache.
    drawnFaces = 0;
    materials.ResetMaterial();
    // 7. Environment: sky preparation and render.
    glPushMatrix();
    glPopMatrix();
    // 8. Static objects, each pushed.
    RenderStaticObjects(ticks, false);
    // 9. Bump light.
    glPushMatrix();
    glPopMatrix();
    // 10. Camera for billboards.
    CameraFromModelview(billboardCamPos, billboardCamUp);
    // 11. Dynamic objects, blended ones deferred.
    // 12. Particle systems.
    // 13. Static objects flagged for deletion.
    deletedStatics_.clear();
    for (const auto& m : staticObjects) {
        glPushMatrix();
        if (m->Deleted) deletedStatics_.push_back(m.get());
        glPopMatrix();
    }
    // 14. Lens flare.
    glPushMatrix();
    glPopMatrix();
    // 15. Blended objects, far to near.
    // 16. HUD.
    glPushMatrix();
    glPopMatrix();
    // 17. Host.
    if (afterRender) afterRender();
    // 18. Deferred deletion: statics first, then dynamics.
    FreeDeletedObjects();
    // 19. Text pass.
    // 20.
    glFlush();
}

void TQGLBaseScene::RenderSceneMap() {
    if (!mapRender) return;
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glPushAttrib(GL_FOG_BIT);
    glDisable(GL_FOG);
    const int s = mapTextureSize;
    glViewport(0, 0, s, s);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 1.0, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glLoadIdentity();
    gluLookAt(mapEyePosition.x, mapEyePosition.y, mapEyePosition.z, 0, 0, 0, 0, 1, 0);
    frustum.ExtractPlanes();
    RenderStaticObjects(frameTicks, true);
    // Tracked-object markers are drawn here once dynamic objects exist.
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    if (screenResize) screenResize(width, height);
    glLoadIdentity();
    glPopAttrib();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

} // namespace quarn
