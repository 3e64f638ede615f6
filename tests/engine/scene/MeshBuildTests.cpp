// Large-mesh building: the terrain's grid shortcut, the flat octree partition and the bulk
// array append must give exactly what the face-by-face rules give.
#include "engine/frame/RenderScreen.h"
#include "engine/materials/MaterialList.h"
#include "engine/materials/States.h"
#include "engine/scene/StaticMeshObject.h"
#include "platform/gl/GL.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace quarn;

namespace {

struct Materials {
    TQGLStates states;
    TQGLMaterialList list{&states};
};

// The terrain rule spelt out corner by corner with the mesh's own unique search.
void ReferenceTerrain(TQGLStaticMeshObject& m, const std::vector<uint8_t>& red, int w, int h,
                      int32_t cell) {
    const int32_t halfW = w * cell / 2, halfH = h * cell / 2;
    const auto at = [&](int x, int y) {
        return Vec3{float(x * cell - halfW), float(red[size_t(y * w + x)] - 128),
                    float(y * cell - halfH)};
    };
    for (int x = 0; x + 1 < w; ++x)
        for (int y = 0; y + 1 < h; ++y) {
            auto a = std::make_unique<TQGLFace>();
            for (const Vec3& p : {at(x, y), at(x, y + 1), at(x + 1, y)})
                a->AddVectorIndex(m.AddUniqueVector(p));
            m.Faces.Add(std::move(a));
            auto b = std::make_unique<TQGLFace>();
            for (const Vec3& p : {at(x, y + 1), at(x + 1, y + 1), at(x + 1, y)})
                b->AddVectorIndex(m.AddVector(p));
            m.Faces.Add(std::move(b));
        }
}

void ExpectSameGeometry(const TQGLStaticMeshObject& got, const TQGLStaticMeshObject& want) {
    ASSERT_EQ(got.Vertices.size(), want.Vertices.size());
    for (size_t i = 0; i < got.Vertices.size(); ++i)
        ASSERT_TRUE(VectorBitEqual(got.Vertices[i], want.Vertices[i])) << "vertex " << i;
    ASSERT_EQ(got.Faces.Count(), want.Faces.Count());
    for (int f = 0; f < got.Faces.Count(); ++f)
        ASSERT_TRUE(got.Faces.Get(f)->VectorIndices ==
                    std::vector<int32_t>(want.Faces.Get(f)->VectorIndices.begin(),
                                         want.Faces.Get(f)->VectorIndices.end()))
            << "face " << f;
}

// The octant a face belongs to at a node, by the rule itself: the first octant that any of its
// first three usable corners passes, octant 1 when none does.
int ExpectedOctant(const TQGLStaticMeshObject& m, const TQGLFace& face, const Vec3& o) {
    for (int k = 0; k < 8; ++k) {
        const bool xLow = k == 0 || k == 1 || k == 4 || k == 5, yLow = k >= 4, zLow = k % 2 == 1;
        for (size_t c = 0; c < 3 && c < face.VectorIndices.size(); ++c) {
            const int32_t vi = face.VectorIndices[c];
            if (vi < 0 || size_t(vi) >= m.Vertices.size()) continue;
            const Vec3& v = m.Vertices[size_t(vi)];
            if ((xLow ? v.x <= o.x : v.x >= o.x) && (yLow ? v.y <= o.y : v.y >= o.y) &&
                (zLow ? v.z <= o.z : v.z >= o.z))
                return k;
        }
    }
    return 0;
}

bool Inside(const Vec3& p, const TQGLOctree& n) {
    return p.x >= n.Corners[4].x && p.y >= n.Corners[4].y && p.z >= n.Corners[4].z &&
           p.x <= n.Corners[2].x && p.y <= n.Corners[2].y && p.z <= n.Corners[2].z;
}

} // namespace

TEST(Terrain, GridBuildGivesTheVerticesAndFacesOfTheUniqueSearch) {
    gl::ScopedNullDispatch noGL;
    Materials mats;
    std::vector<uint8_t> red(7 * 5);
    for (size_t i = 0; i < red.size(); ++i)
        red[i] = uint8_t(100 + (i * 37) % 60);
    TQGLStaticMeshObject fast, reference;
    fast.Materials = reference.Materials = &mats.list;
    fast.BuildTerrainFromHeights(red, 7, 5, 3, 1);
    ReferenceTerrain(reference, red, 7, 5, 3);
    ExpectSameGeometry(fast, reference);
    EXPECT_EQ(fast.Normals.size(), 1u);
    // The unique index still answers after the shortcut: corner (0, 0) is vertex 0.
    EXPECT_EQ(fast.AddUniqueVector(fast.Vertices[0]), 0);
    const int32_t next = int32_t(fast.Vertices.size());
    EXPECT_EQ(fast.AddUniqueVector(Vec3{0.5f, 0, 0}), next);

    // A mesh that already holds a grid point finds it there, as the search would.
    TQGLStaticMeshObject seeded, seededReference;
    seeded.Materials = seededReference.Materials = &mats.list;
    const Vec3 corner{-10, float(red[0]) - 128, -7}; // grid point (0, 0)
    seeded.AddVector(corner);
    seededReference.AddVector(corner);
    seeded.BuildTerrainFromHeights(red, 7, 5, 3, 1);
    ReferenceTerrain(seededReference, red, 7, 5, 3);
    ExpectSameGeometry(seeded, seededReference);
    EXPECT_EQ(seeded.Faces.Get(0)->VectorIndices[0], 0);
}

TEST(OctreePartition, EveryFaceSitsInTheLeafItsCornersChooseAndInsideItsBox) {
    gl::ScopedNullDispatch noGL;
    OctreeBuildSettings().MaxFacesPerNode = 4;
    TQGLStaticMeshObject m;
    uint32_t s = 12345;
    const auto u = [&] { return float((s = s * 1664525u + 1013904223u) >> 8) / 16777216.0f; };
    for (int i = 0; i < 300; ++i)
        m.AddVector(Vec3{100 * u() - 50, 20 * u() - 10, 100 * u() - 50});
    m.AddVector(Vec3{std::numeric_limits<float>::quiet_NaN(), 0, 0});
    for (int f = 0; f < 400; ++f) {
        auto face = std::make_unique<TQGLFace>();
        const int corners = f % 50 == 7 ? 4 : 3; // a few quads: their fourth corner boxes too
        for (int c = 0; c < corners; ++c)
            face->AddVectorIndex(int32_t(u() * 300));
        if (f % 41 == 3) face->VectorIndices[1] = 999;     // no such vertex
        if (f % 53 == 5) face->VectorIndices[2] = 300;     // the NaN vertex
        if (f == 11) face->VectorIndices = {-1, 400, 999}; // nothing usable: octant 1
        m.Faces.Add(std::move(face));
    }
    m.BuildOctree();
    int placed = 0;
    for (int f = 0; f < m.Faces.Count(); ++f) {
        const TQGLFace& face = *m.Faces.Get(f);
        const TQGLOctree* node = m.Octree.get();
        while (node->Subdivided) {
            const int k = ExpectedOctant(m, face, node->Center);
            ASSERT_TRUE(node->Children[size_t(k)]) << "face " << f;
            for (int32_t vi : face.VectorIndices)
                if (vi >= 0 && vi < 300) {
                    ASSERT_TRUE(Inside(m.Vertices[size_t(vi)], *node));
                }
            node = node->Children[size_t(k)].get();
        }
        const auto& held = node->FaceIndices;
        ASSERT_NE(std::find(held.begin(), held.end(), f), held.end()) << "face " << f;
        for (int32_t vi : face.VectorIndices)
            if (vi >= 0 && vi < 300) {
                EXPECT_TRUE(Inside(m.Vertices[size_t(vi)], *node));
            }
        ++placed;
    }
    EXPECT_EQ(placed, 400);
    OctreeBuildSettings() = OctreeSettings{};
}

TEST(FaceIndexArray, KeepsEveryEntryAcrossTheMoveToTheHeapAndThroughCopies) {
    FaceIndexArray a;
    std::vector<int32_t> want;
    for (int32_t i = 0; i < 13; ++i) {
        a.push_back(i * 7 - 3);
        want.push_back(i * 7 - 3);
        ASSERT_TRUE(a == want) << "after " << i + 1 << " entries";
    }
    FaceIndexArray b = a;
    a.clear();
    EXPECT_TRUE(a.empty());
    EXPECT_TRUE(b == want);
    b = {4, 5, 6};
    EXPECT_TRUE(b == (std::vector<int32_t>{4, 5, 6}));
    a = b;
    a.push_back(8);
    EXPECT_EQ(a.back(), 8);
    EXPECT_EQ(b.size(), 3u);
    a.resize(2); // back from the heap to the inline entries
    EXPECT_TRUE(a == (std::vector<int32_t>{4, 5}));
    a.resize(5);
    EXPECT_EQ(std::vector<int32_t>(a), (std::vector<int32_t>{4, 5, 0, 0, 0}));
    EXPECT_THROW(a.at(5), std::out_of_range);
}

TEST(Projection, AHostProjectionLoadsAloneAndOutlivesEveryResize) {
    gl::GLRecorder::Install();
    TQGLWinDLLScreen screen(640, 480);
    screen.glReady = true;
    gl::GLRecorder::Clear();
    screen.SetProjection(60, 0.5f, 500);
    // Only the projection: the model-view matrix (the camera of a frame) is not reset.
    EXPECT_EQ(
        gl::GLRecorder::Lines(),
        (std::vector<std::string>{"glMatrixMode(5889)", "glLoadIdentity()",
                                  "gluPerspective(60, 1.33333, 0.5, 500)", "glMatrixMode(5888)"}));
    gl::GLRecorder::Clear();
    screen.ResizeRenderWindow(300, 300); // a user resize no longer drops the far plane to 100
    screen.Resize(200, 100);
    std::vector<std::string> perspectives;
    for (const std::string& line : gl::GLRecorder::Lines())
        if (line.rfind("gluPerspective", 0) == 0) perspectives.push_back(line);
    EXPECT_EQ(perspectives, (std::vector<std::string>{"gluPerspective(60, 1, 0.5, 500)",
                                                      "gluPerspective(60, 2, 0.5, 500)"}));
    EXPECT_THROW(screen.SetProjection(180, 1, 10), EngineError);
    EXPECT_THROW(screen.SetProjection(45, 10, 10), EngineError);
    EXPECT_DOUBLE_EQ(screen.farPlane, 500.0); // a refused call changes nothing
    gl::GLRecorder::Uninstall();
}
