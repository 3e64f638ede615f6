// Bulk mesh exports, frame statistics and the projection, through the exported C API in a
// headless window with real Mesa GL.
#include "GLProbe.h"
#include "WindowRun.h"
#include "quarn/QuarnGL.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using probe::g_run;
using probe::Pixel;

int32_t RedMaterial() {
    TQGLHandle m = qglAddMaterial("red");
    qglSetMaterialAmbient(m, 0, 0, 0);
    qglSetMaterialDiffuse(m, 1, 0, 0);
    return qglGetMaterialIndex(m);
}

// A 4 x 4 square facing +z at the origin: four corners, two triangles.
const TQUARNVector kSquare[4] = {{-2, -2, 0}, {2, -2, 0}, {2, 2, 0}, {-2, 2, 0}};
const TQUARNVector kFacingUs[4] = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
const int32_t kSquareFaces[6] = {0, 1, 2, 0, 2, 3};

class MeshesApi : public probe::WindowTest {};

struct Statistics {
    int32_t triangles = -1, nodes = -1, objects = -1;
};
Statistics Read() {
    Statistics s;
    qglGetSceneStatistics(&s.triangles, &s.nodes, &s.objects);
    return s;
}

TQGLHandle g_mesh = nullptr;
int32_t g_first = 0, g_badResult = 0, g_faceCount = 0;
int32_t* g_normalIndices = nullptr;
Pixel g_centre;
Statistics g_stats[3];

} // namespace

// First in the file: the library keeps the last window's scene, so this must run before any
// window opens when the whole binary runs in one process.
TEST(MeshesApiWithoutWindow, StatisticsAndProjectionFailCleanly) {
    int32_t t = 7, n = 7, o = 7;
    qglGetSceneStatistics(&t, &n, &o);
    EXPECT_EQ(t + n + o, 0);
    qglGetSceneStatistics(nullptr, nullptr, nullptr);
    qglSetCameraProjection(60, 1, 100);
    ASSERT_NE(qglGetLastError(), nullptr);
}

TEST_F(MeshesApi, ArraysBuildADrawableMeshAndABadIndexAddsNothing) {
    g_run.init = [] {
        const int32_t red = RedMaterial();
        g_mesh = qglGetStaticObject(qglAddStaticObject());
        qglAddStaticMeshVector(g_mesh, 9, 9, 9); // the arrays are appended after this vertex
        const int32_t materials[2] = {red, red};
        g_first = qglAddStaticMeshArrays(g_mesh, 4, kSquare, kFacingUs, nullptr, 2, kSquareFaces,
                                         materials);
        const int32_t bad[6] = {0, 1, 2, 0, 2, 4}; // there is no fifth vertex
        g_badResult = qglAddStaticMeshArrays(g_mesh, 4, kSquare, nullptr, nullptr, 2, bad, nullptr);
        int32_t *v = nullptr, *t = nullptr;
        TQUARNVector *vs = nullptr, *ns = nullptr, *ts = nullptr;
        qglGetStaticFaces(g_mesh, &g_faceCount, &v, &g_normalIndices, &t, &vs, &ns, &ts);
        qglBuildStaticOctree(g_mesh);
        // A dynamic triangle off to the left, from arrays without normals or materials.
        TQGLHandle d = qglGetDynamicObject(qglAddDynamicObject());
        EXPECT_EQ(
            qglAddDynamicMeshArrays(d, 4, kSquare, nullptr, nullptr, 1, kSquareFaces, nullptr), 0);
        qglSetDynamicPosition(d, -1.5f, 0, 0);
    };
    g_run.afterFrame = [](int frame) {
        if (frame == 1) g_centre = probe::ReadFramePixel(40, 32);
        g_stats[frame] = Read();
    };
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(g_first, 0);
    EXPECT_EQ(g_badResult, -1);
    ASSERT_FALSE(g_run.messages.empty());
    EXPECT_NE(g_run.messages.back().Line().find("Face 1: vertex index 4 is outside 0..3"),
              std::string::npos)
        << g_run.messages.back().Line();
    EXPECT_EQ(g_faceCount, 2); // the failed call added no face
    // Normals were appended after the one vertex-less normal array: indices 0..3 alike.
    EXPECT_EQ(std::vector<int32_t>(g_normalIndices, g_normalIndices + 6),
              (std::vector<int32_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_GT(g_centre[0], 100); // the red square is drawn
    EXPECT_LT(g_centre[1], 40);
    // Two square triangles in one leaf, the dynamic triangle; the same in every frame.
    for (int frame : {1, 2}) {
        EXPECT_EQ(g_stats[frame].triangles, 3) << "frame " << frame;
        EXPECT_EQ(g_stats[frame].nodes, 1);
        EXPECT_EQ(g_stats[frame].objects, 2);
    }
}

TEST_F(MeshesApi, ProjectionFarPlaneCullsAndDrawsFromTheNextFrame) {
    g_run.stopAfter = 3;
    g_run.init = [] {
        const int32_t red = RedMaterial();
        g_mesh = qglGetStaticObject(qglAddStaticObject());
        const int32_t materials[2] = {red, red};
        qglAddStaticMeshArrays(g_mesh, 4, kSquare, kFacingUs, nullptr, 2, kSquareFaces, materials);
        qglBuildStaticOctree(g_mesh);
    };
    g_run.afterFrame = [](int frame) {
        g_stats[frame - 1] = Read();
        if (frame == 1) {
            qglSetCameraProjection(45, 0, 3); // refused: a near plane must be in front
            qglSetCameraProjection(45, 1, 3); // the square, 5 away, is past the far plane
        }
        if (frame == 2) {
            g_centre = probe::ReadFramePixel(32, 32);
            qglSetCameraProjection(10, 1, 2000); // narrow: the square fills the view
        }
    };
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(g_stats[0].triangles, 2);
    EXPECT_EQ(g_stats[0].objects, 1);
    ASSERT_FALSE(g_run.messages.empty());
    EXPECT_NE(
        g_run.messages.front().Line().find("needs 0 < field of view < 180 and 0 < near < far"),
        std::string::npos)
        << g_run.messages.front().Line();
    EXPECT_EQ(g_stats[1].triangles, 0); // culled by the far plane
    EXPECT_EQ(g_stats[1].objects, 0);
    EXPECT_EQ(g_stats[1].nodes, 1);
    EXPECT_LT(g_centre[0], 40);
    EXPECT_EQ(g_stats[2].triangles, 2);
}
