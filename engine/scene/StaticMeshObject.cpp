#include "engine/scene/StaticMeshObject.h"

#include "engine/materials/MaterialList.h"
#include "engine/scene/Frustum.h"
#include "platform/gl/GL.h"

#include <cmath>

namespace quarn {

TQGLStaticMeshObject::TQGLStaticMeshObject() : Octree(std::make_unique<TQGLOctree>()) {
    Octree->Mesh = this;
}

bool TQGLStaticMeshObject::FaceDrawable(int32_t f) {
    if (f < 0 || size_t(f) >= drawable_.size()) return false;
    if (drawable_[size_t(f)] == 2) { // not yet checked
        const std::string bad = DescribeBadFace(*Faces.Get(f), Vertices.size(), Normals.size(),
                                                TexCoords.size(), MaterialCount());
        drawable_[size_t(f)] = bad.empty() ? 1 : 0;
        if (!bad.empty()) ReportBadFace(f, bad);
    }
    return drawable_[size_t(f)] == 1;
}

void TQGLStaticMeshObject::BuildOctree() {
    TQGLOctree& root = *Octree;
    root.DeleteLists();
    root.Center = Vec3{};
    root.Width = 0;
    root.Subdivided = false;
    root.FaceIndices.clear();
    root.FaceCount = 0;
    for (auto& c : root.Children)
        c.reset();
    root.ParticleSystems.clear();
    ParticleNodes.clear();
    if (Frustum) Frustum->ExtractPlanes();
    root.Mesh = this;
    root.Frustum = Frustum;
    // Faces are re-checked lazily against the arrays as they are now.
    drawable_.assign(size_t(Faces.Count()), 2);
    badFaceReported_ = false;

    Vec3 sum{};
    float largest = 0;
    for (const Vec3& v : Vertices) {
        sum.x += v.x;
        sum.y += v.y;
        sum.z += v.z;
        for (float a : {std::fabs(v.x), std::fabs(v.y), std::fabs(v.z)})
            if (a > largest) largest = a; // a NaN coordinate never wins
    }
    const Vec3 center = Vertices.empty() ? Vec3{} : VectorScale(sum, 1.0f / float(Vertices.size()));
    OctreeSettings& settings = OctreeBuildSettings();
    if (AutoNodeSize) settings.MaxFacesPerNode = Faces.Count() / 8 - 1;
    root.CreateNode(2.0f * largest, center, std::vector<int32_t>{-1});
}

void TQGLStaticMeshObject::RebuildOctree() {
    Octree = std::make_unique<TQGLOctree>();
    Octree->Mesh = this;
    Octree->Frustum = Frustum;
    BuildOctree();
    Octree->SetUseDisplayLists(UseDisplayLists);
}

void TQGLStaticMeshObject::SetUseDisplayLists(bool flag) {
    UseDisplayLists = flag;
    Octree->SetUseDisplayLists(flag);
}

void TQGLStaticMeshObject::RenderStatic(uint32_t ticks) {
    FacesDrawn = NodesVisited = 0;
    if (!Visible) return;
    if (Wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glColor3f(1, 1, 1);
    VisibleNodes.clear(); // keeps its storage: no allocation per frame once warmed up
    Octree->CollectVisible(VisibleNodes);
    NodesVisited = 1; // the root; below it, every child of a node in view is tested
    for (TQGLOctree* node : VisibleNodes) {
        FacesDrawn += node->DrawNode(ticks);
        if (node->Subdivided)
            for (const auto& child : node->Children)
                NodesVisited += child != nullptr;
    }
    if (Wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (ShowOcclusionNodes) Octree->DrawNodeBoxes();
    if (DrawNormals) DrawNormalVectors();
}

void TQGLStaticMeshObject::PlaceParticleSystem(TQGLParticleSystem* system, const Vec3 corners[8],
                                               bool grow) {
    Vec3 lo = corners[0], hi = corners[0];
    for (int i = 1; i < 8; ++i) {
        lo = Vec3{std::fmin(lo.x, corners[i].x), std::fmin(lo.y, corners[i].y),
                  std::fmin(lo.z, corners[i].z)};
        hi = Vec3{std::fmax(hi.x, corners[i].x), std::fmax(hi.y, corners[i].y),
                  std::fmax(hi.z, corners[i].z)};
    }
    TQGLOctree* node = Octree->FindContainingNode(lo, hi);
    if (!node) {
        if (!grow) return; // outside the world and not allowed to widen it: not recorded
        TQGLOctree& root = *Octree;
        const Vec3 rlo{std::fmin(root.Corners[4].x, lo.x), std::fmin(root.Corners[4].y, lo.y),
                       std::fmin(root.Corners[4].z, lo.z)};
        const Vec3 rhi{std::fmax(root.Corners[2].x, hi.x), std::fmax(root.Corners[2].y, hi.y),
                       std::fmax(root.Corners[2].z, hi.z)};
        BoxCorners(rlo, rhi, root.Corners);
        node = &root;
    }
    node->ParticleSystems.push_back(system);
    for (TQGLOctree* n : ParticleNodes)
        if (n == node) return;
    ParticleNodes.push_back(node);
}

void TQGLStaticMeshObjects::SetDrawNormalsAll(bool flag) {
    DrawNormalsAll = flag;
    for (const auto& m : *this)
        m->DrawNormals = flag;
}

} // namespace quarn
