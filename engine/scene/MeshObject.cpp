#include "engine/scene/MeshObject.h"

#include "common/EngineError.h"
#include "engine/materials/MaterialList.h"
#include "engine/scene/FacePool.h"
#include "platform/gl/GL.h"
#include "platform/MessageChannel.h"

#include <cstring>

namespace quarn {

// ---- Unique index ----------------------------------------------------------------------------

namespace {
size_t HashBits(const Vec3& v) {
    uint32_t w[3];
    std::memcpy(w, &v, sizeof w);
    uint64_t h = 1469598103934665603ull;
    for (uint32_t x : w) {
        h = (h ^ x) * 1099511628211ull;
        h ^= h >> 29;
    }
    return static_cast<size_t>(h);
}
} // namespace

namespace {
constexpr uint64_t kEmptySlot = 0xFFFFFFFFull;
inline uint32_t SlotIndex(uint64_t slot) {
    return uint32_t(slot & 0xFFFFFFFFull);
}
inline uint32_t SlotTag(uint64_t slot) {
    return uint32_t(slot >> 32);
}
} // namespace

size_t UniqueVectorIndex::Probe(const std::vector<Vec3>& values, const Vec3& v) const {
    const size_t mask = slots_.size() - 1;
    const size_t h = HashBits(v);
    const uint32_t tag = uint32_t(uint64_t(h) >> 32);
    size_t i = h & mask;
    for (;; i = (i + 1) & mask) {
        const uint64_t slot = slots_[i];
        if (slot == kEmptySlot) return i;
        if (SlotTag(slot) == tag && VectorBitEqual(values[SlotIndex(slot)], v)) return i;
    }
}

void UniqueVectorIndex::Insert(const std::vector<Vec3>& values, int32_t index) {
    if ((used_ + 1) * 2 > slots_.size()) {
        std::vector<uint64_t> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 64 : old.size() * 2, kEmptySlot);
        for (uint64_t e : old)
            if (e != kEmptySlot) slots_[Probe(values, values[SlotIndex(e)])] = e;
    }
    const Vec3& v = values[size_t(index)];
    const size_t i = Probe(values, v);
    if (slots_[i] == kEmptySlot) { // the first equal entry keeps its place
        slots_[i] = (uint64_t(HashBits(v)) >> 32 << 32) | uint32_t(index);
        ++used_;
    }
}

void UniqueVectorIndex::Rebuild(const std::vector<Vec3>& values) {
    size_t capacity = 64;
    while (capacity < values.size() * 2)
        capacity *= 2;
    slots_.assign(capacity, kEmptySlot);
    used_ = 0;
    valid_ = true;
    for (size_t i = 0; i < values.size(); ++i)
        Insert(values, int32_t(i));
}

int32_t UniqueVectorIndex::FindOrAdd(std::vector<Vec3>& values, const Vec3& v) {
    if (!valid_ || slots_.empty()) Rebuild(values);
    const size_t i = Probe(values, v);
    if (slots_[i] != kEmptySlot) return int32_t(SlotIndex(slots_[i]));
    values.push_back(v);
    Insert(values, int32_t(values.size() - 1));
    return int32_t(values.size() - 1);
}

void UniqueVectorIndex::Appended(const std::vector<Vec3>& values) {
    if (valid_ && !slots_.empty()) Insert(values, int32_t(values.size() - 1));
}

// ---- Face index arrays -----------------------------------------------------------------------

static_assert(sizeof(FaceIndexArray) == 16, "three inline indices and a count");

void FaceIndexArray::Grow() {
    if (size_ == kInline) { // the inline entries move out to a heap block
        auto* block = new int32_t[kInline * 2];
        std::copy(words_, words_ + kInline, block);
        SetHeap(block, kInline * 2);
        return;
    }
    if (size_ < HeapCapacity()) return;
    auto* block = new int32_t[size_t(HeapCapacity()) * 2];
    int32_t* old = HeapData();
    std::copy(old, old + size_, block);
    delete[] old;
    SetHeap(block, HeapCapacity() * 2);
}

void FaceIndexArray::clear() {
    if (size_ > kInline) delete[] HeapData();
    size_ = 0;
}

// ---- Face storage ----------------------------------------------------------------------------

namespace {
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPooledFaces = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kPooledFaces = false;
#else
constexpr bool kPooledFaces = true;
#endif
#else
constexpr bool kPooledFaces = true;
#endif
// Pool slots hold exactly a face, rounded up to pointer alignment.
constexpr size_t kFaceSlot =
    (sizeof(TQGLFace) + alignof(void*) - 1) / alignof(void*) * alignof(void*);
} // namespace

void* TQGLBaseFace::operator new(size_t size) {
    if (!kPooledFaces || size != sizeof(TQGLFace)) return ::operator new(size);
    return AllocateFaceSlot(kFaceSlot);
}

void TQGLBaseFace::operator delete(void* p, size_t size) {
    if (!p) return;
    if (!kPooledFaces || size != sizeof(TQGLFace))
        ::operator delete(p);
    else
        ReleaseFaceSlot(p);
}

// ---- Face checks -----------------------------------------------------------------------------

std::string DescribeBadFace(const TQGLFace& f, size_t nv, size_t nn, size_t nt, int nm) {
    const size_t corners = f.VectorIndices.size();
    if (corners != 3) return Format("it has %zu corners instead of 3", corners);
    if (f.NormalIndices.size() < corners)
        return Format("it has %zu normal indices for %zu corners", f.NormalIndices.size(), corners);
    const bool textured = !f.TexCoordIndices.empty();
    if (textured && f.TexCoordIndices.size() < corners)
        return Format("it has %zu texture-coordinate indices for %zu corners",
                      f.TexCoordIndices.size(), corners);
    for (size_t i = 0; i < corners; ++i) {
        const int32_t v = f.VectorIndices[i], n = f.NormalIndices[i];
        if (v < 0 || size_t(v) >= nv) return Format("vertex index %d is outside 0..%zu", v, nv);
        if (n < 0 || size_t(n) >= nn) return Format("normal index %d is outside 0..%zu", n, nn);
        if (textured) {
            const int32_t t = f.TexCoordIndices[i];
            if (t < 0 || size_t(t) >= nt)
                return Format("texture-coordinate index %d is outside 0..%zu", t, nt);
        }
    }
    if (f.MaterialIndex < 0 || f.MaterialIndex >= nm)
        return Format("material index %d is outside the %d materials", f.MaterialIndex, nm);
    return std::string();
}

// ---- Mesh geometry ---------------------------------------------------------------------------

TQGLBaseMeshObject::TQGLBaseMeshObject() {
    Visible = true;
}

int TQGLBaseMeshObject::MaterialCount() const {
    return Materials ? Materials->Count() : 0;
}

int32_t TQGLBaseMeshObject::AddVector(const Vec3& v) {
    Vertices.push_back(v);
    vertexIndex_.Appended(Vertices);
    return static_cast<int32_t>(Vertices.size()) - 1;
}

int32_t TQGLBaseMeshObject::AddNormal(const Vec3& v) {
    Normals.push_back(v);
    normalIndex_.Appended(Normals);
    return static_cast<int32_t>(Normals.size()) - 1;
}

int32_t TQGLBaseMeshObject::AddTexCoord(const Vec3& v) {
    TexCoords.push_back(v);
    texCoordIndex_.Appended(TexCoords);
    return static_cast<int32_t>(TexCoords.size()) - 1;
}

int32_t TQGLBaseMeshObject::AddUniqueVector(const Vec3& v) {
    return vertexIndex_.FindOrAdd(Vertices, v);
}
int32_t TQGLBaseMeshObject::AddUniqueNormal(const Vec3& v) {
    return normalIndex_.FindOrAdd(Normals, v);
}
int32_t TQGLBaseMeshObject::AddUniqueTexCoord(const Vec3& v) {
    return texCoordIndex_.FindOrAdd(TexCoords, v);
}

void TQGLBaseMeshObject::SetVertexCount(int32_t n) {
    Vertices.resize(size_t(n > 0 ? n : 0));
    vertexIndex_.Invalidate();
}
void TQGLBaseMeshObject::SetNormalCount(int32_t n) {
    Normals.resize(size_t(n > 0 ? n : 0));
    normalIndex_.Invalidate();
}
void TQGLBaseMeshObject::SetTexCoordCount(int32_t n) {
    TexCoords.resize(size_t(n > 0 ? n : 0));
    texCoordIndex_.Invalidate();
}

void TQGLBaseMeshObject::SetNormalAt(const Vec3& v, int32_t index) {
    if (index < 0) ThrowListIndexError(index);
    if (Normals.size() <= size_t(index)) Normals.resize(size_t(index) + 1);
    Normals[size_t(index)] = v;
    normalIndex_.Invalidate();
}

void TQGLBaseMeshObject::SetTexCoordAt(const Vec3& v, int32_t index) {
    if (index < 0) ThrowListIndexError(index);
    if (TexCoords.size() <= size_t(index)) TexCoords.resize(size_t(index) + 1);
    TexCoords[size_t(index)] = v;
    texCoordIndex_.Invalidate();
}

void TQGLBaseMeshObject::PutVectorAt(const Vec3& v, int32_t index) {
    if (index < 0 || size_t(index) >= Vertices.size()) ThrowListIndexError(index);
    Vertices[size_t(index)] = v;
    vertexIndex_.Invalidate();
}

void TQGLBaseMeshObject::GeometryChanged() {
    vertexIndex_.Invalidate();
    normalIndex_.Invalidate();
    texCoordIndex_.Invalidate();
}

void TQGLBaseMeshObject::ReportBadFace(int faceIndex, const std::string& why) {
    if (badFaceReported_) return;
    badFaceReported_ = true;
    const std::string text =
        Format("Face %d of a mesh cannot be drawn: %s. Faces like it are skipped.", faceIndex,
               why.c_str());
    ShowMessage("Mesh Error", text.c_str());
}

void TQGLBaseMeshObject::EmitFaceCorners(const TQGLFace& face, int material,
                                         const std::vector<Vec3>& vertices) {
    const TQGLMaterial* m = (material >= 0 && Materials) ? Materials->Items(material) : nullptr;
    const bool textured = !face.TexCoordIndices.empty() && m;
    for (size_t i = 0; i < face.VectorIndices.size(); ++i) {
        glNormal3fv(&Normals[size_t(face.NormalIndices[i])].x);
        if (textured) {
            const Vec3& tc = TexCoords[size_t(face.TexCoordIndices[i])];
            const int stages = m->shaders.Count();
            for (int k = 0; k < stages; ++k)
                if (m->shaders.Items(k)->kind == 0)
                    glMultiTexCoord2fARB(GL_TEXTURE0_ARB + GLenum(k), tc.x, tc.y);
        }
        glVertex3fv(&vertices[size_t(face.VectorIndices[i])].x);
    }
}

void TQGLBaseMeshObject::DrawNormalVectors() {
    glPushAttrib(GL_LIGHTING_BIT | GL_TEXTURE_BIT);
    glDisable(GL_LIGHTING);
    for (GLenum unit : {0u, 1u, 3u, 4u}) { // unit 2 is left as it is
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glDisable(GL_TEXTURE_2D);
    }
    for (const auto& face : Faces) {
        const size_t corners = face->VectorIndices.size();
        for (size_t i = 0; i < corners && i < face->NormalIndices.size(); ++i) {
            const int32_t vi = face->VectorIndices[i], ni = face->NormalIndices[i];
            if (vi < 0 || size_t(vi) >= Vertices.size() || ni < 0 || size_t(ni) >= Normals.size())
                continue; // a bad corner has no line to draw
            const Vec3& v = Vertices[size_t(vi)];
            const Vec3 tip = VectorAdd(v, Normals[size_t(ni)]);
            glBegin(GL_LINES);
            glVertex3fv(&v.x);
            glVertex3fv(&tip.x);
            glEnd();
        }
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glPopAttrib();
}

// ---- Sub-mesh compilation -------------------------------------------------------------------

bool SubMeshCompiler::Run(int32_t material) {
    if (open_ && material == current_) {
        ++open_sub_->FaceCount;
        return false;
    }
    Finish();
    current_ = material;
    auto sub = std::make_unique<TQGLSubMesh>();
    sub->ListId = glGenLists(1);
    sub->MaterialIndex = material;
    sub->FaceCount = 1;
    open_sub_ = sub.get();
    glNewList(sub->ListId, GL_COMPILE);
    target_.Add(std::move(sub));
    glBegin(GL_TRIANGLES);
    open_ = true;
    return true;
}

void SubMeshCompiler::Finish() {
    if (!open_) return;
    glEnd();
    glEndList();
    open_ = false;
}

} // namespace quarn
