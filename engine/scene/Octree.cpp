#include "engine/scene/Octree.h"

#include "engine/materials/MaterialList.h"
#include "engine/scene/Frustum.h"
#include "engine/scene/StaticMeshObject.h"
#include "platform/gl/GL.h"

#include <cmath>

namespace quarn {

OctreeSettings& OctreeBuildSettings() {
    static OctreeSettings settings;
    return settings;
}

namespace {

// Octant tests against the node centre: per axis, true means "<=" and false means ">=".
struct OctantRule {
    bool xLow, yLow, zLow;
};
const OctantRule kOctants[8] = {{true, false, false}, {true, false, true}, {false, false, false},
                                {false, false, true}, {true, true, false}, {true, true, true},
                                {false, true, false}, {false, true, true}};

// Bit k set in kXLow when octant k+1 tests x with "<=" (and so on); the other octants use ">=".
constexpr unsigned kXLow = 0x33, kYLow = 0xF0, kZLow = 0xAA;

// Bit k set when v passes octant k+1's test (tests are inclusive, so a point on a centre plane
// passes several; a NaN coordinate passes none).
inline unsigned OctantMask(const Vec3& v, const Vec3& o) {
    const unsigned x = (v.x <= o.x ? kXLow : 0u) | (v.x >= o.x ? ~kXLow & 0xFFu : 0u);
    const unsigned y = (v.y <= o.y ? kYLow : 0u) | (v.y >= o.y ? ~kYLow & 0xFFu : 0u);
    const unsigned z = (v.z <= o.z ? kZLow : 0u) | (v.z >= o.z ? ~kZLow & 0xFFu : 0u);
    return x & y & z;
}

inline void Widen(const Vec3& p, bool& any, Vec3& lo, Vec3& hi) {
    if (!any) {
        lo = hi = p;
        any = true;
        return;
    }
    if (p.x < lo.x) lo.x = p.x;
    if (p.y < lo.y) lo.y = p.y;
    if (p.z < lo.z) lo.z = p.z;
    if (p.x > hi.x) hi.x = p.x;
    if (p.y > hi.y) hi.y = p.y;
    if (p.z > hi.z) hi.z = p.z;
}

} // namespace

OctreeBuildInput::OctreeBuildInput(const TQGLBaseMeshObject& m) : mesh(m) {
    const size_t nf = size_t(m.Faces.Count());
    const size_t nv = m.Vertices.size();
    corners.resize(nf);
    flags.assign(nf, 0);
    size_t f = 0;
    for (const auto& face : m.Faces) {
        const FaceIndexArray& vi = face->VectorIndices;
        uint8_t bits = vi.size() > 3 ? kMoreCorners : 0;
        for (size_t c = 0; c < 3 && c < vi.size(); ++c) {
            const int32_t i = vi[c];
            if (i < 0 || size_t(i) >= nv) continue;
            corners[f][c] = i;
            bits |= uint8_t(1u << c);
        }
        flags[f++] = bits;
    }
}

TQGLOctree::~TQGLOctree() {
    DeleteLists();
}

void TQGLOctree::DeleteLists() {
    gl::ScopedDropWithoutContext dropWithoutContext;
    for (const auto& s : SubMeshes)
        glDeleteLists(s->ListId, 1);
    SubMeshes.Clear();
}

void TQGLOctree::CreateNode(float width, const Vec3& center,
                            const std::vector<int32_t>& faceIndices) {
    const OctreeBuildInput input(*Mesh);
    std::vector<int32_t> list;
    if (faceIndices.size() == 1 && faceIndices[0] == -1) {
        list.resize(size_t(Mesh->Faces.Count()));
        for (size_t i = 0; i < list.size(); ++i)
            list[i] = int32_t(i);
    } else {
        list = faceIndices;
        for (int32_t f : list)
            Mesh->Faces.Get(f); // a face outside the list raises the list error, as drawing would
    }
    Partition(width, center, std::move(list), input, 0);
}

void TQGLOctree::Partition(float width, const Vec3& center, std::vector<int32_t>&& list,
                           const OctreeBuildInput& input, int32_t depth) {
    OctreeSettings& settings = OctreeBuildSettings();
    Center = center;
    Width = width;
    const int32_t n = int32_t(list.size());
    if (n > settings.MaxFacesPerNode && depth < settings.MaxSubdivisions) {
        Subdivided = true;
        // The first octant any of the first three corners falls in; a face with no usable
        // corner goes to the first octant. Counted first so each octant list is sized once.
        const std::vector<Vec3>& v = input.mesh.Vertices;
        std::vector<uint8_t> chosen(list.size());
        size_t counts[8] = {};
        for (size_t i = 0; i < list.size(); ++i) {
            const size_t f = size_t(list[i]);
            const std::array<int32_t, 3>& p = input.corners[f];
            const unsigned usable = input.flags[f];
            unsigned mask = 0;
            for (unsigned c = 0; c < 3; ++c)
                if (usable & (1u << c)) mask |= OctantMask(v[size_t(p[c])], center);
            const unsigned k = mask ? unsigned(__builtin_ctz(mask)) : 0u;
            chosen[i] = uint8_t(k);
            ++counts[k];
        }
        std::vector<int32_t> octants[8];
        for (int k = 0; k < 8; ++k)
            octants[k].reserve(counts[k]);
        for (size_t i = 0; i < list.size(); ++i)
            octants[chosen[i]].push_back(list[i]);
        std::vector<int32_t>().swap(list); // the children own the faces from here
        std::vector<uint8_t>().swap(chosen);
        const float w = width / 4.0f;
        for (int k = 0; k < 8; ++k) {
            if (octants[k].empty()) continue;
            const OctantRule& r = kOctants[k];
            const Vec3 c{center.x + (r.xLow ? -w : w), center.y + (r.yLow ? -w : w),
                         center.z + (r.zLow ? -w : w)};
            auto child = std::make_unique<TQGLOctree>();
            child->Frustum = Frustum;
            child->Mesh = Mesh;
            child->Parent = this;
            child->UseDisplayLists = true;
            child->Partition(width / 2.0f, c, std::move(octants[k]), input, depth + 1);
            Children[size_t(k)] = std::move(child);
        }
        // The children partition the list, so their boxes together are the node's box (the
        // minimum-y offset survives a minimum); no second pass over the faces.
        UnionOfChildBoxes();
    } else {
        ComputeLeafBox(list, input);
        Subdivided = false;
        FaceCount = n;
        FaceIndices = std::move(list);
    }
}

void TQGLOctree::ComputeLeafBox(const std::vector<int32_t>& faces, const OctreeBuildInput& input) {
    const std::vector<Vec3>& v = input.mesh.Vertices;
    bool any = false;
    Vec3 lo, hi;
    for (int32_t f : faces) {
        const unsigned usable = input.flags[size_t(f)];
        if (usable & OctreeBuildInput::kMoreCorners) { // rare: every corner counts
            for (int32_t vi : input.mesh.Faces.Get(f)->VectorIndices)
                if (vi >= 0 && size_t(vi) < v.size()) Widen(v[size_t(vi)], any, lo, hi);
            continue;
        }
        for (unsigned c = 0; c < 3; ++c)
            if (usable & (1u << c)) Widen(v[size_t(input.corners[size_t(f)][c])], any, lo, hi);
    }
    boxEmpty_ = !any;
    if (any) lo.y -= 0.1f; // the minimum-y side sits a little lower
    BoxCorners(lo, hi, Corners);
}

void TQGLOctree::UnionOfChildBoxes() {
    bool any = false;
    Vec3 lo, hi;
    for (const auto& child : Children) {
        if (!child || child->boxEmpty_) continue;
        const Vec3& clo = child->Corners[4];
        const Vec3& chi = child->Corners[2];
        if (!any) {
            lo = clo;
            hi = chi;
            any = true;
            continue;
        }
        lo = Vec3{std::fmin(lo.x, clo.x), std::fmin(lo.y, clo.y), std::fmin(lo.z, clo.z)};
        hi = Vec3{std::fmax(hi.x, chi.x), std::fmax(hi.y, chi.y), std::fmax(hi.z, chi.z)};
    }
    boxEmpty_ = !any;
    BoxCorners(lo, hi, Corners);
}

void TQGLOctree::ComputeNodeBox(const std::vector<int32_t>& faceIndices) {
    const std::vector<Vec3>& v = Mesh->Vertices;
    bool any = false;
    Vec3 lo, hi;
    for (int32_t f : faceIndices)
        for (int32_t vi : Mesh->Faces.Get(f)->VectorIndices)
            if (vi >= 0 && size_t(vi) < v.size()) Widen(v[size_t(vi)], any, lo, hi);
    boxEmpty_ = !any;
    if (any) lo.y -= 0.1f; // the minimum-y side sits a little lower
    BoxCorners(lo, hi, Corners);
}

void TQGLOctree::CollectVisible(std::vector<TQGLOctree*>& visible) {
    if (!Frustum || !Frustum->ArePointsVisible(Corners)) return;
    visible.push_back(this);
    if (!Subdivided) return;
    for (const auto& child : Children)
        if (child) child->CollectVisible(visible);
}

int32_t TQGLOctree::DrawNode(uint32_t ticks) {
    if (!UseDisplayLists) return DrawNodeImmediate(ticks);
    if (SubMeshes.Empty()) BuildNodeLists();
    return CallNodeLists(ticks);
}

void TQGLOctree::BuildNodeLists() {
    SubMeshCompiler compiler(SubMeshes);
    for (int32_t i = 0; i < FaceCount; ++i) {
        const int32_t f = FaceIndices[size_t(i)];
        if (!Mesh->FaceDrawable(f)) continue;
        const TQGLFace& face = *Mesh->Faces.Get(f);
        compiler.Run(face.MaterialIndex);
        Mesh->EmitCorners(face, face.MaterialIndex);
    }
    compiler.Finish(); // static meshes do not track blended materials
}

int32_t TQGLOctree::CallNodeLists(uint32_t ticks) {
    int32_t faces = 0;
    for (const auto& s : SubMeshes) {
        Mesh->Materials->SetMaterial(s->MaterialIndex, ticks);
        glCallList(s->ListId);
        faces += s->FaceCount;
    }
    return faces;
}

int32_t TQGLOctree::DrawNodeImmediate(uint32_t ticks) {
    int current = -1;
    bool open = false;
    int32_t faces = 0;
    for (int32_t i = 0; i < FaceCount; ++i) {
        const int32_t f = FaceIndices[size_t(i)];
        if (!Mesh->FaceDrawable(f)) continue;
        const TQGLFace& face = *Mesh->Faces.Get(f);
        if (!open || face.MaterialIndex != current) {
            if (open) glEnd();
            current = face.MaterialIndex;
            Mesh->Materials->SetMaterial(current, ticks);
            glBegin(GL_TRIANGLES);
            open = true;
        }
        Mesh->EmitCorners(face, current);
        ++faces;
    }
    if (open) glEnd();
    return faces;
}

void TQGLOctree::DrawNodeBoxes() {
    if (Subdivided)
        for (const auto& child : Children)
            if (child) child->DrawNodeBoxes();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    if (ParticleSystems.empty())
        glColor3f(0, 0, 1);
    else
        glColor3f(1, 0, 1);
    DrawBoxEdges(Corners);
    glColor3f(1, 1, 1);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
}

void TQGLOctree::SetUseDisplayLists(bool flag) {
    UseDisplayLists = flag;
    DeleteLists();
    if (Subdivided)
        for (const auto& child : Children)
            if (child) child->SetUseDisplayLists(flag);
}

bool TQGLOctree::Encloses(const Vec3& lo, const Vec3& hi) const {
    // Corner 4 holds the minima and corner 2 the maxima of the node box.
    const Vec3& nlo = Corners[4];
    const Vec3& nhi = Corners[2];
    return lo.x >= nlo.x && lo.y >= nlo.y && lo.z >= nlo.z && hi.x <= nhi.x && hi.y <= nhi.y &&
           hi.z <= nhi.z;
}

TQGLOctree* TQGLOctree::FindContainingNode(const Vec3& lo, const Vec3& hi) {
    if (!Encloses(lo, hi)) return nullptr;
    if (Subdivided)
        for (const auto& child : Children)
            if (child)
                if (TQGLOctree* inner = child->FindContainingNode(lo, hi)) return inner;
    // Enclosed here but by no child: this node keeps it.
    return this;
}

} // namespace quarn
