// Renderable objects: the root object, indexed mesh geometry with faces, and the per-material
// sub-meshes that dynamic meshes compile into display lists.
#pragma once

#include "common/ObjectList.h"
#include "engine/core/BaseObject.h"
#include "engine/core/BoundingBox.h"
#include "common/QuarnMath.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace quarn {

class TQGLMaterialList;
class TQGLFrustrum;

// Corner indices of one face. Faces are triangles, so up to three entries live inside the array
// itself (16 bytes in all) and only longer lists reach the heap: a large mesh costs one small
// allocation per face.
class FaceIndexArray {
  public:
    using value_type = int32_t;
    using iterator = int32_t*;
    using const_iterator = const int32_t*;

    FaceIndexArray() = default;
    FaceIndexArray(std::initializer_list<int32_t> values) { assign(values.begin(), values.end()); }
    FaceIndexArray(const FaceIndexArray& other) { assign(other.begin(), other.end()); }
    FaceIndexArray& operator=(const FaceIndexArray& other) {
        if (this != &other) assign(other.begin(), other.end());
        return *this;
    }
    FaceIndexArray& operator=(std::initializer_list<int32_t> values) {
        assign(values.begin(), values.end());
        return *this;
    }
    ~FaceIndexArray() { clear(); }

    void push_back(int32_t v) {
        if (size_ < kInline) {
            words_[size_++] = v;
            return;
        }
        Grow();
        HeapData()[size_++] = v;
    }
    void clear();
    void pop_back() {
        if (size_ == kInline + 1) { // back to the inline entries
            int32_t* block = HeapData();
            std::copy(block, block + kInline, words_);
            delete[] block;
        }
        --size_;
    }
    void resize(size_t n) {
        while (size_ > n)
            pop_back();
        while (size_ < n)
            push_back(0);
    }
    void reserve(size_t) {} // grows as needed; kept for code written against std::vector
    template <class It> void assign(It first, It last) {
        clear();
        for (; first != last; ++first)
            push_back(*first);
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    int32_t* data() { return size_ > kInline ? HeapData() : words_; }
    const int32_t* data() const { return size_ > kInline ? HeapData() : words_; }
    int32_t& operator[](size_t i) { return data()[i]; }
    const int32_t& operator[](size_t i) const { return data()[i]; }
    int32_t* begin() { return data(); }
    int32_t* end() { return data() + size_; }
    const int32_t* begin() const { return data(); }
    const int32_t* end() const { return data() + size_; }
    int32_t at(size_t i) const {
        if (i >= size_) throw std::out_of_range("face index array");
        return data()[i];
    }
    int32_t front() const { return data()[0]; }
    // A copy as a plain vector, for code that wants one.
    operator std::vector<int32_t>() const { return std::vector<int32_t>(begin(), end()); }
    int32_t back() const { return data()[size_ - 1]; }

    friend bool operator==(const FaceIndexArray& a, const std::vector<int32_t>& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }
    friend bool operator==(const FaceIndexArray& a, const FaceIndexArray& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }

  private:
    static constexpr uint32_t kInline = 3;
    // Makes room for one more entry once the entries live on the heap or are about to.
    void Grow();

    // Past three entries the words hold the heap block's address (words 0 and 1) and capacity
    // (word 2); kept as plain words so the array stays 16 bytes.
    int32_t* HeapData() const {
        int32_t* p;
        std::memcpy(&p, words_, sizeof p);
        return p;
    }
    uint32_t HeapCapacity() const { return uint32_t(words_[2]); }
    void SetHeap(int32_t* block, uint32_t capacity) {
        std::memcpy(words_, &block, sizeof block);
        words_[2] = int32_t(capacity);
    }

    int32_t words_[kInline] = {};
    uint32_t size_ = 0;
};

class TQGLBaseFace {
  public:
    // Faces come from the face pool (one block for thousands of faces) unless the address
    // sanitiser is watching, which needs each face to be its own allocation.
    static void* operator new(size_t size);
    static void operator delete(void* p, size_t size);

    void AddVectorIndex(int32_t i) { VectorIndices.push_back(i); }
    void AddNormalIndex(int32_t i) { NormalIndices.push_back(i); }
    void AddTexCoordIndex(int32_t i) { TexCoordIndices.push_back(i); }

    // Corner i uses entry i of each array; faces are triangles.
    FaceIndexArray VectorIndices;
    FaceIndexArray NormalIndices;
    FaceIndexArray TexCoordIndices; // may stay empty: no texture coordinates
    int32_t MaterialIndex = 0;
};

class TQGLFace : public TQGLBaseFace {};

using TQGLFaceList = ObjectList<TQGLFace>;

struct TQGLSubMesh {
    uint32_t ListId = 0;
    int32_t MaterialIndex = 0;
    int32_t FaceCount = 0; // faces compiled into the list, for the frame statistics
};

using TQGLSubMeshes = ObjectList<TQGLSubMesh>;

// Compiles faces into display lists, one per run of consecutive faces with the same material:
// call Run before each face's corners and Finish after the last face.
class SubMeshCompiler {
  public:
    explicit SubMeshCompiler(TQGLSubMeshes& target) : target_(target) {}
    // Ends the open run when the material changes and starts a new sub-mesh for it; true when
    // a new sub-mesh was started. Counts the face into its sub-mesh.
    bool Run(int32_t material);
    // Closes the open run, if any.
    void Finish();

  private:
    TQGLSubMeshes& target_;
    TQGLSubMesh* open_sub_ = nullptr;
    int32_t current_ = -1;
    bool open_ = false;
};

// Index of the first bitwise-equal entry of a vector array, kept beside the array so unique
// adds are linear overall instead of quadratic. Rebuilt lazily after the array is changed in
// place.
class UniqueVectorIndex {
  public:
    // Index of the first entry of values equal to v, or appends v and returns the new index.
    int32_t FindOrAdd(std::vector<Vec3>& values, const Vec3& v);
    // values just grew by one entry at the back.
    void Appended(const std::vector<Vec3>& values);
    void Invalidate() { valid_ = false; }

  private:
    // Open addressing over indices into the array itself: no allocation per entry.
    size_t Probe(const std::vector<Vec3>& values, const Vec3& v) const;
    void Insert(const std::vector<Vec3>& values, int32_t index);
    void Rebuild(const std::vector<Vec3>& values);

    // Each slot: the hash's high 32 bits beside the entry's index (low 32 bits; 0xFFFFFFFF
    // empty). The tag spares most probes a look into the array. Power-of-two size, at most
    // half full.
    std::vector<uint64_t> slots_;
    size_t used_ = 0;
    bool valid_ = true;
};

// Why a face cannot be drawn, or empty when it can; faces are checked against the arrays and
// the material list before they are compiled or drawn.
std::string DescribeBadFace(const TQGLFace& face, size_t vertexCount, size_t normalCount,
                            size_t texCoordCount, int materialCount);

class TQGLBaseMeshObject : public TQGLBaseObject {
  public:
    TQGLBaseMeshObject();
    void Render(uint32_t ticks) override { RenderMesh(ticks); }
    virtual void RenderMesh(uint32_t ticks) = 0;

    int32_t AddVector(const Vec3& v);
    int32_t AddNormal(const Vec3& v);
    int32_t AddTexCoord(const Vec3& v);
    int32_t AddUniqueVector(const Vec3& v);
    int32_t AddUniqueNormal(const Vec3& v);
    int32_t AddUniqueTexCoord(const Vec3& v);
    void SetVertexCount(int32_t n);
    void SetNormalCount(int32_t n);
    void SetTexCoordCount(int32_t n);
    void SetNormalAt(const Vec3& v, int32_t index);
    void SetTexCoordAt(const Vec3& v, int32_t index);
    // Stores into an existing vertex; an index outside the array raises the list error.
    void PutVectorAt(const Vec3& v, int32_t index);
    // Vertices, normals or texture coordinates changed in place (mesh transforms).
    void GeometryChanged();
    // Appends parallel vertex, normal and texture-coordinate arrays (normals or texture
    // coordinates may be null) and triangles whose three indices address those arrays (0 ..
    // vertexCount - 1), with one material each (0 when materials is null). Everything is
    // checked first: a bad count, pointer or index raises and adds nothing. Without normals
    // every corner gets the shared up normal (0, 1, 0); without texture coordinates the faces
    // carry none. Returns the index of the first new face.
    int32_t AddMeshArrays(int32_t vertexCount, const Vec3* vertices, const Vec3* normals,
                          const Vec3* texCoords, int32_t faceCount, const int32_t* faces,
                          const int32_t* materials);

    // Lines from each corner along its normal, lighting and texturing off (units 0, 1, 3, 4).
    void DrawNormalVectors();

    // The face at position i, raising "List index out of bounds (%d)" outside the list.
    TQGLFace* FaceAt(int32_t i) const { return Faces.Get(i); }
    int MaterialCount() const;

    std::vector<Vec3> Vertices;
    std::vector<Vec3> Normals;
    std::vector<Vec3> TexCoords; // x = s, y = t; z stored only
    TQGLFaceList Faces;
    TQGLMaterialList* Materials = nullptr;
    TQGLFrustrum* Frustum = nullptr;
    bool Wireframe = false;
    bool ShowOcclusionNodes = false;
    bool DrawNormals = false;
    bool Deleted = false;

  protected:
    // Sends a face's corners: normal, per-stage texture coordinates for texture stages of
    // material (when the face has texture-coordinate indices), vertex.
    void EmitFaceCorners(const TQGLFace& face, int material, const std::vector<Vec3>& vertices);
    // Reports a bad face once per build through the message channel.
    void ReportBadFace(int faceIndex, const std::string& why);
    bool badFaceReported_ = false;

  private:
    UniqueVectorIndex vertexIndex_, normalIndex_, texCoordIndex_;
};

} // namespace quarn
