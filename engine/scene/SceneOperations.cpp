// The scene's selection operations and the six-view cube-map capture.
#include "common/FiniteArguments.h"
#include "engine/materials/BitmapFile.h"
#include "engine/scene/MeshTransforms.h"
#include "engine/scene/Scene.h"
#include "platform/MessageChannel.h"
#include "platform/gl/GL.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace quarn {

namespace {

struct MemberKinds {
    TQGLStaticMeshObject* statik = nullptr;
    TQGLBaseDynamicMeshObject* dynamic = nullptr;
};

MemberKinds KindsOf(TQGLBaseObject* member) {
    return MemberKinds{dynamic_cast<TQGLStaticMeshObject*>(member),
                       dynamic_cast<TQGLBaseDynamicMeshObject*>(member)};
}

bool Finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Whether every vertex of the mesh stays finite under change (checked before anything moves,
// so a selection carried past the float range is refused whole).
template <class Change> bool VerticesStayFinite(const TQGLBaseMeshObject& mesh, Change change) {
    for (const Vec3& v : mesh.Vertices)
        if (!Finite(change(v))) return false;
    return true;
}

} // namespace

void TQGLBaseScene::MoveSelectedByVector(const Vec3& offset) {
    for (TQGLBaseObject* member : selection) {
        const MemberKinds k = KindsOf(member);
        const Vec3 moved = VectorAdd(member->Position, offset);
        const bool finite =
            k.statik
                ? VerticesStayFinite(*k.statik, [&](const Vec3& v) { return VectorAdd(v, moved); })
                : Finite(moved);
        if (!finite) ThrowNonFinite("the moved selection");
    }
    for (TQGLBaseObject* member : selection) {
        const MemberKinds k = KindsOf(member);
        const Vec3 moved = VectorAdd(member->Position, offset);
        if (k.statik) {
            // The stored position is read, not changed: the vertices move by position + offset.
            TranslateMesh(*k.statik, moved);
            k.statik->RebuildOctree();
        } else if (k.dynamic) {
            k.dynamic->SetPositionAndRebuild(moved);
        } else {
            member->Position = moved;
        }
    }
}

void TQGLBaseScene::MoveSelected(int32_t side, int32_t forward) {
    if (side == 0 && forward == 0) return;
    const Vec3& d = camera.direction;
    const float s = float(side), f = float(forward);
    MoveSelectedByVector(Vec3{d.z * s + d.x * f, 0, -d.x * s + d.z * f});
}

void TQGLBaseScene::MoveSelectedX(int32_t amount) {
    MoveSelectedByVector(Vec3{-float(amount), 0, 0});
}

void TQGLBaseScene::MoveSelectedY(int32_t amount) {
    MoveSelectedByVector(Vec3{0, float(amount), 0});
}

void TQGLBaseScene::MoveSelectedZ(int32_t amount) {
    MoveSelectedByVector(Vec3{0, 0, -float(amount)});
}

void TQGLBaseScene::MoveSelectedYBySpeed(int32_t amount, float speed) {
    MoveSelectedByVector(Vec3{0, float(amount) * speed, 0});
}

// Turns every member: static geometry by staticTurn (then a new octree), dynamic angles by
// dynamicTurn (the stored matrix is not rebuilt).
template <class StaticTurn, class DynamicTurn>
void TurnSelected(const std::vector<TQGLBaseObject*>& selection, StaticTurn staticTurn,
                  DynamicTurn dynamicTurn) {
    for (TQGLBaseObject* member : selection) {
        const MemberKinds k = KindsOf(member);
        if (k.statik) {
            staticTurn(*k.statik);
            k.statik->RebuildOctree();
        } else if (k.dynamic) {
            dynamicTurn(*k.dynamic);
        }
    }
}

void TQGLBaseScene::RotateSelected(int32_t a, int32_t b) {
    TurnSelected(
        selection,
        [&](TQGLStaticMeshObject& m) {
            RotateMeshZ(m, float(a));
            RotateMeshX(m, float(b));
        },
        [&](TQGLBaseDynamicMeshObject& d) {
            d.Roll -= float(a);
            d.Pitch += float(b);
        });
}

// RotateSelectedX and RotateSelectedZ both turn about the axis their partner names: X about Z
// and Z about X, as level tools have always had them.
void TQGLBaseScene::RotateSelectedX(int32_t angle) {
    TurnSelected(
        selection, [&](TQGLStaticMeshObject& m) { RotateMeshZ(m, float(angle)); },
        [&](TQGLBaseDynamicMeshObject& d) { d.Roll -= float(angle); });
}

void TQGLBaseScene::RotateSelectedY(int32_t angle) {
    TurnSelected(
        selection, [&](TQGLStaticMeshObject& m) { RotateMeshY(m, float(angle)); },
        [&](TQGLBaseDynamicMeshObject& d) { d.Yaw -= float(angle); });
}

void TQGLBaseScene::RotateSelectedZ(int32_t angle) {
    TurnSelected(
        selection, [&](TQGLStaticMeshObject& m) { RotateMeshX(m, float(angle)); },
        [&](TQGLBaseDynamicMeshObject& d) { d.Pitch -= float(angle); });
}

void TQGLBaseScene::ScaleSelected(const Vec3& factors) {
    const auto scaled = [&](const Vec3& v) {
        return Vec3{v.x * factors.x, v.y * factors.y, v.z * factors.z};
    };
    for (TQGLBaseObject* member : selection) {
        const MemberKinds k = KindsOf(member);
        TQGLBaseMeshObject* mesh =
            k.statik ? static_cast<TQGLBaseMeshObject*>(k.statik) : k.dynamic;
        if (mesh && !VerticesStayFinite(*mesh, scaled)) ThrowNonFinite("the scaled selection");
    }
    for (TQGLBaseObject* member : selection) {
        const MemberKinds k = KindsOf(member);
        if (k.statik) {
            ScaleMesh(*k.statik, factors);
            k.statik->RebuildOctree();
        } else if (k.dynamic) {
            ScaleMesh(*k.dynamic, factors);
            k.dynamic->ComputeBoundingBox();
        }
    }
}

void TQGLBaseScene::DeleteSelected() {
    while (!selection.empty()) {
        TQGLBaseObject* member = selection.back();
        selection.pop_back();
        const MemberKinds k = KindsOf(member);
        // Freed now: also out of this frame's pending deletions, which would otherwise free
        // whatever object the allocator puts at the same address before the frame ends.
        if (k.statik) {
            deletedStatics_.erase(
                std::remove(deletedStatics_.begin(), deletedStatics_.end(), k.statik),
                deletedStatics_.end());
            staticObjects.Remove(k.statik);
        } else if (k.dynamic) {
            deletedDynamics_.erase(
                std::remove(deletedDynamics_.begin(), deletedDynamics_.end(), k.dynamic),
                deletedDynamics_.end());
            ForgetDynamicObject(k.dynamic);
            dynamicObjects.Remove(k.dynamic);
        }
    }
}

void TQGLBaseScene::RenderLoaderScreen(const std::string& imageFile, SceneEvent swap) {
    // Its own clear colours; the host's comes back afterwards, for the frames after.
    const SavedClearColour hostClear = SavedClearColour::Current();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    auto material = std::make_unique<TQGLMaterial>();
    material->ambient = material->diffuse = material->emissive = Vec3{1, 1, 1};
    TQGLMaterial* m = materials.AddMaterial(std::move(material));
    materials.AddTextureShader(m, imageFile, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR);
    glClearDepth(1.0);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    materials.SetMaterial(materials.Count() - 1, 0);
    glClearColor(1, 0, 0, 0);
    glColor3f(1, 0, 0);
    glTranslatef(0, 0, -10);
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1);
    glTexCoord2f(0, 0);
    glVertex3f(-2.4f, -1.9f, 1.0f);
    glTexCoord2f(1, 0);
    glVertex3f(2.4f, -1.9f, 1.0f);
    glTexCoord2f(1, 1);
    glVertex3f(2.4f, 1.9f, 1.0f);
    glTexCoord2f(0, 1);
    glVertex3f(-2.4f, 1.9f, 1.0f);
    glEnd();
    glFlush();
    hostClear.Restore();
    if (swap) swap();
}

namespace {

struct CubeView {
    float angle1;
    Vec3 axis1;
    float angle2; // 0: no second turn
    Vec3 axis2;
    const char* suffix;
};

constexpr std::array<CubeView, 6> kCubeViews{{
    {90, {0, 1, 0}, 180, {1, 0, 0}, "xpos"},
    {-90, {0, 1, 0}, 180, {1, 0, 0}, "xneg"},
    {-90, {1, 0, 0}, 0, {}, "ypos"},
    {90, {1, 0, 0}, 0, {}, "yneg"},
    {180, {1, 0, 0}, 0, {}, "zpos"},
    {180, {0, 0, 1}, 0, {}, "zneg"},
}};

} // namespace

void TQGLBaseScene::RenderCubeMapToFiles(const std::string& directory, int32_t size,
                                         int32_t windowWidth, int32_t windowHeight,
                                         const Vec3& position, SceneEvent swap) {
    if (size <= 0 || size > 8192) throw EngineError(Format("Invalid cube-map size %d", size));
    const MessageHold hold; // the views walk the static list: messages wait until they are done
    const uint32_t ticks = frameTicks;
    glViewport(0, 0, size, size);
    glScissor(0, 0, size, size);
    glEnable(GL_SCISSOR_TEST);
    glMatrixMode(GL_PROJECTION); // the host's projection comes back after the capture
    glPushMatrix();
    BeginSquareView();
    // Only the part of the square inside the window can be read; the rest stays black.
    const int readW = std::min(size, width), readH = std::min(size, height);
    std::array<std::vector<uint8_t>, 6> views;
    for (size_t k = 0; k < kCubeViews.size(); ++k) {
        const CubeView& view = kCubeViews[k];
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glRotatef(view.angle1, view.axis1.x, view.axis1.y, view.axis1.z);
        if (view.angle2 != 0) glRotatef(view.angle2, view.axis2.x, view.axis2.y, view.axis2.z);
        glTranslatef(-position.x, -position.y, -position.z);
        frustum.ExtractPlanes();
        glPushMatrix();
        environment.skyBox->Position = position; // the box centred on the capture point
        glTranslatef(position.x, position.y, position.z);
        environment.Render(ticks);
        glPopMatrix();
        RenderStaticObjects(ticks, true);
        glFlush();
        std::vector<uint8_t>& rgb = views[k];
        rgb.assign(size_t(size) * size_t(size) * 3, 0);
        if (readW > 0 && readH > 0) {
            std::vector<uint8_t> part(size_t(readW) * size_t(readH) * 3);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, readW, readH, GL_RGB, GL_UNSIGNED_BYTE, part.data());
            for (int row = 0; row < readH; ++row) // bottom-up, like the file
                std::copy_n(&part[size_t(row) * size_t(readW) * 3], size_t(readW) * 3,
                            &rgb[size_t(row) * size_t(size) * 3]);
        }
        if (swap) swap();
    }
    glScissor(0, 0, windowWidth, windowHeight);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    const int32_t h = windowHeight == 0 ? 1 : windowHeight;
    glViewport(0, 0, windowWidth, h);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    // One level; failure shows when the files are written.
#ifdef _WIN32
    ::mkdir(directory.c_str());
#else
    ::mkdir(directory.c_str(), 0777);
#endif
    std::vector<std::string> written;
    for (size_t k = 0; k < kCubeViews.size(); ++k) {
        const std::string name = directory + "cube" + kCubeViews[k].suffix + ".bmp";
        try {
            SaveBitmapFile(name, size, size, views[k]);
        } catch (const EngineError&) {
            // Nothing half-way: the views written so far and any partial file go again.
            std::remove(name.c_str());
            for (const std::string& done : written)
                std::remove(done.c_str());
            throw;
        }
        written.push_back(name);
    }
}

} // namespace quarn
