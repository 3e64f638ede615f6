#include "engine/scene/Scene.h"

#include "engine/materials/RenderTargetShader.h"
#include "engine/scene/ViewCamera.h"
#include "platform/MessageChannel.h"
#include "platform/gl/GL.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

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

TQGLBaseScene::TQGLBaseScene(int w, int h)
    : font(std::make_unique<TQGLFont>(w, h)), camera(w, h, Vec3{0, 0, 0}), height(h), width(w) {
    capabilities.Read();
    camera.speed = 50.0;
    environment.skyBox->materials = &materials;
    environment.skyBox->camera = &camera;
    environment.skyBox->boxHeight = h;
    environment.skyBox->boxWidth = w + w / 2;
    environment.lensFlare->materials = &materials;
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
    font->BuildFont();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

void TQGLBaseScene::SetShowOcclusionNodes(bool flag) {
    showOcclusionNodes = flag;
    for (const auto& m : staticObjects)
        m->ShowOcclusionNodes = flag;
    for (const auto& d : dynamicObjects)
        d->ShowOcclusionNodes = flag;
    for (const auto& p : particleSystems)
        p->showBox = flag;
}

void TQGLBaseScene::SetDrawNormals(bool flag) {
    drawNormals = flag;
    staticObjects.SetDrawNormalsAll(flag);
    for (const auto& d : dynamicObjects)
        d->DrawNormals = flag;
}

int32_t CompareBlendedDistance(const TQGLBaseDynamicMeshObject& a,
                               const TQGLBaseDynamicMeshObject& b) {
    const float hundredths = (a.CameraDistance - b.CameraDistance) * 100.0f;
    // NaN compares equal and differences beyond the int range saturate: converting them to
    // int would be undefined.
    if (std::isnan(hundredths)) return 0;
    if (std::fabs(hundredths) > 2147483520.0f) // the largest float below 2^31
        return hundredths > 0 ? -INT32_MAX : INT32_MAX;
    return -int32_t(std::nearbyint(hundredths)); // the default rounding mode: half to even
}

void SortBlended(std::vector<TQGLBaseDynamicMeshObject*>& v) {
    // Lomuto partitions over [lo, hi]; the smaller side recurses so the depth stays logarithmic.
    struct Sorter {
        std::vector<TQGLBaseDynamicMeshObject*>& v;
        void Sort(ptrdiff_t lo, ptrdiff_t hi) {
            while (lo < hi) {
                std::swap(v[size_t(lo + (hi - lo) / 2)], v[size_t(hi)]);
                const TQGLBaseDynamicMeshObject& pivot = *v[size_t(hi)];
                ptrdiff_t store = lo;
                for (ptrdiff_t j = lo; j < hi; ++j)
                    if (CompareBlendedDistance(*v[size_t(j)], pivot) < 0)
                        std::swap(v[size_t(j)], v[size_t(store++)]);
                std::swap(v[size_t(store)], v[size_t(hi)]);
                if (store - lo < hi - store) {
                    Sort(lo, store - 1);
                    lo = store + 1;
                } else {
                    Sort(store + 1, hi);
                    hi = store - 1;
                }
            }
        }
    };
    if (v.size() > 1) Sorter{v}.Sort(0, ptrdiff_t(v.size()) - 1);
}

void TQGLBaseScene::AddMapTrackedObject(TQGLBaseDynamicMeshObject* object, uint8_t colourFlag) {
    mapTrackedObjects.push_back(TQGLMapDynamicObject{object, colourFlag});
}

void TQGLBaseScene::DeleteMapTrackedObject(const TQGLBaseDynamicMeshObject* object) {
    for (auto it = mapTrackedObjects.begin(); it != mapTrackedObjects.end(); ++it)
        if (it->trackedObject == object) {
            mapTrackedObjects.erase(it);
            return;
        }
}

void TQGLBaseScene::RenderDynamicObjects(uint32_t ticks) {
    blended_.clear();
    deletedDynamics_.clear();
    for (const auto& d : dynamicObjects) {
        glPushMatrix();
        if (d->Billboard) {
            d->BillboardCamPos = billboardCamPos;
            d->BillboardCamUp = billboardCamUp;
        }
        // Compiled in the first frame it is shown, so faces added while hidden are drawn, and
        // before culling, which needs the box compiling computes.
        if (d->Visible) d->EnsureCompiled();
        if (d->Prepare(ticks)) {
            statistics.CountDynamic(*d);
            if (d->HasBlendedMaterial) {
                d->ComputeCameraDistance(billboardCamPos);
                blended_.push_back(d.get());
            } else {
                d->RenderMesh(ticks);
            }
            if (showOcclusionNodes || d->ShowOcclusionNodes) d->DrawBoundingBox();
        }
        if (d->Deleted) deletedDynamics_.push_back(d.get());
        glPopMatrix();
    }
}

void TQGLBaseScene::RenderBlendedObjects(uint32_t ticks) {
    SortBlended(blended_);
    for (TQGLBaseDynamicMeshObject* d : blended_) {
        glPushMatrix();
        if (d->Prepare(ticks)) d->RenderMesh(ticks);
        glPopMatrix();
    }
    blended_.clear();
}

void TQGLBaseScene::ForgetDynamicObject(const TQGLBaseDynamicMeshObject* object) {
    for (const auto& d : dynamicObjects)
        if (d->IsProxy && d->ProxySource == object)
            static_cast<TQGLDynamicMeshObject&>(*d).DetachFromSource();
    for (size_t i = mapTrackedObjects.size(); i-- > 0;)
        if (mapTrackedObjects[i].trackedObject == object)
            mapTrackedObjects.erase(mapTrackedObjects.begin() + ptrdiff_t(i));
    ForgetSelected(object);
}

void TQGLBaseScene::ForgetSelected(const TQGLBaseObject* object) {
    selection.erase(std::remove(selection.begin(), selection.end(), object), selection.end());
}

void TQGLBaseScene::RenderStaticObjects(uint32_t ticks, bool unlit) {
    for (const auto& m : staticObjects) {
        glPushMatrix();
        if (unlit) glDisable(GL_LIGHTING);
        m->RenderStatic(ticks);
        statistics.CountStatic(*m);
        glPopMatrix();
    }
}

void TQGLBaseScene::FreeDeletedObjects() {
    for (TQGLStaticMeshObject* m : deletedStatics_) {
        ForgetSelected(m);
        staticObjects.Remove(m);
    }
    deletedStatics_.clear();
    for (TQGLBaseDynamicMeshObject* d : deletedDynamics_) {
        ForgetDynamicObject(d);
        dynamicObjects.Remove(d);
    }
    deletedDynamics_.clear();
}

void TQGLBaseScene::Render() {
    const uint32_t ticks = frameTicks;
    // Messages raised while the passes walk the object lists reach the host after each run of
    // passes, before its own callbacks: it may change the lists from its message callback.
    std::optional<MessageHold> hold(std::in_place);
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
    hold.reset();
    // 3-5. Camera, frustum, host.
    camera.ApplyView();
    frustum.ExtractPlanes();
    if (beforeRender) beforeRender();
    hold.emplace();
    // 6. Per-frame counters and the material cache.
    statistics = TQGLFrameStatistics{};
    materials.ResetMaterial();
    // 7. Environment: sky preparation and render.
    glPushMatrix();
    environment.skyBox->PrepareSky();
    environment.Render(ticks);
    glPopMatrix();
    // 8. Static objects, each pushed.
    RenderStaticObjects(ticks, false);
    // 9. Bump light.
    glPushMatrix();
    bumpLight.Update(ticks);
    bumpLight.Render(ticks);
    glPopMatrix();
    // 10. Camera for billboards.
    CameraFromModelview(billboardCamPos, billboardCamUp);
    // 11. Dynamic objects, blended ones deferred.
    RenderDynamicObjects(ticks);
    // 12. Particle systems.
    // No frame-rate figures reach the particles: they run on their defaults (30 frames, 1 tick).
    particleSystems.UpdateAll(0, 0, billboardCamPos, billboardCamUp);
    particleSystems.RenderAll(ticks);
    // 13. Static objects flagged for deletion.
    deletedStatics_.clear();
    for (const auto& m : staticObjects) {
        glPushMatrix();
        if (m->Deleted) deletedStatics_.push_back(m.get());
        glPopMatrix();
    }
    // 14. Lens flare.
    glPushMatrix();
    if (environment.lensFlare->Visible) {
        environment.lensFlare->UpdatePosition();
        environment.lensFlare->Render(ticks);
    }
    glPopMatrix();
    // 15. Blended objects, far to near.
    RenderBlendedObjects(ticks);
    // 16. HUD.
    glPushMatrix();
    hudObjects.Render(ticks);
    glPopMatrix();
    hold.reset();
    // 17. Host.
    if (afterRender) afterRender();
    // 18. Deferred deletion: statics first, then dynamics.
    FreeDeletedObjects();
    // 19. Text pass.
    hold.emplace();
    font->RenderTexts();
    hold.reset();
    // 20.
    glFlush();
}

SavedClearColour SavedClearColour::Current() {
    SavedClearColour saved;
    glGetFloatv(GL_COLOR_CLEAR_VALUE, saved.rgba);
    return saved;
}

void SavedClearColour::Restore() const {
    glClearColor(rgba[0], rgba[1], rgba[2], rgba[3]);
}

void TQGLBaseScene::RenderSceneMap() {
    if (!mapRender) return;
    // The map clears to black; the host's clear colour comes back afterwards.
    const SavedClearColour hostClear = SavedClearColour::Current();
    glPushAttrib(GL_FOG_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDisable(GL_FOG);
    const int s = mapTextureSize;
    glViewport(0, 0, s, s);
    BeginSquareView();
    glLoadIdentity();
    gluLookAt(mapEyePosition.x, mapEyePosition.y, mapEyePosition.z, 0, 0, 0, 0, 1, 0);
    frustum.ExtractPlanes();
    RenderStaticObjects(frameTicks, true);
    DrawMapMarkers();
    // Only a render-target stage can take the copy; any other first stage is left alone.
    if (mapMaterial && mapMaterial->shaders.Count() > 0)
        if (auto* target = dynamic_cast<TQGLRenderTargetShader*>(mapMaterial->shaders.Items(0)))
            target->CopyFromFrameBuffer(s);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    if (screenResize) screenResize(width, height);
    glLoadIdentity();
    glPopAttrib();
    hostClear.Restore();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void TQGLBaseScene::BeginSquareView() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 1.0, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
}

void TQGLBaseScene::DrawMapMarkers() {
    glPointSize(5.0f);
    glPushAttrib(GL_LIGHTING_BIT | GL_TEXTURE_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    for (const TQGLMapDynamicObject& marker : mapTrackedObjects) {
        if (marker.colourFlag == 0)
            glColor3f(0, 1, 0);
        else
            glColor3f(1, 0, 0);
        const float* t = marker.trackedObject->Matrix.m + 12;
        glBegin(GL_POINTS);
        glVertex4f(t[0], t[1], t[2], t[3]); // the fourth row, w included
        glEnd();
        glColor3f(1, 1, 1);
    }
    glPopAttrib();
}

} // namespace quarn
