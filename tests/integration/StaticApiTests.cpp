// Static meshes through the exported C API, rendered by real Mesa GL in a headless window.
#include "GLProbe.h"
#include "WindowRun.h"
#include "TestImages.h"
#include "quarn/QuarnGL.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A file name in the test temp directory that no other process uses.
std::string TempFile(const char* stem) {
    return ::testing::TempDir() + stem + "_" + std::to_string(getpid()) + ".bmp";
}

using probe::g_run;
using probe::Pixel;

// A triangle facing +z around the origin at depth z, with material index m.
TQGLHandle AddTriangle(float z, int32_t material) {
    const int32_t index = qglAddStaticObject();
    TQGLHandle mesh = qglGetStaticObject(index);
    const int32_t n = qglAddStaticMeshNormal(mesh, 0, 0, 1);
    const int32_t a = qglAddStaticMeshVector(mesh, -2, -2, z);
    const int32_t b = qglAddStaticMeshVector(mesh, 2, -2, z);
    const int32_t c = qglAddStaticMeshVector(mesh, 0, 2, z);
    const int32_t f = qglAddStaticFace(mesh);
    for (int32_t v : {a, b, c}) {
        qglAddStaticFaceVectorIndex(mesh, f, v);
        qglAddStaticFaceNormalIndex(mesh, f, n);
    }
    qglAddStaticFaceMaterialIndex(mesh, f, material);
    qglBuildStaticOctree(mesh);
    return mesh;
}

int32_t RedMaterial() {
    TQGLHandle m = qglAddMaterial("red");
    qglSetMaterialAmbient(m, 0, 0, 0);
    qglSetMaterialDiffuse(m, 1, 0, 0);
    return qglGetMaterialIndex(m);
}

class StaticApi : public probe::WindowTest {};

Pixel g_centre, g_corner;

std::string g_texture;

// The triangle of AddTriangle with texture coordinates on its corners.
TQGLHandle AddTexturedTriangle(int32_t material) {
    TQGLHandle mesh = qglGetStaticObject(qglAddStaticObject());
    const int32_t n = qglAddStaticMeshNormal(mesh, 0, 0, 1);
    const int32_t f = qglAddStaticFace(mesh);
    const float corners[3][2] = {{-2, -2}, {2, -2}, {0, 2}};
    for (const auto& c : corners) {
        qglAddStaticFaceVectorIndex(mesh, f, qglAddStaticMeshVector(mesh, c[0], c[1], 0));
        qglAddStaticFaceNormalIndex(mesh, f, n);
        qglAddStaticFaceTexCoordIndex(
            mesh, f, qglAddStaticMeshTexCoord(mesh, (c[0] + 2) / 4, (c[1] + 2) / 4, 0));
    }
    qglAddStaticFaceMaterialIndex(mesh, f, material);
    qglBuildStaticOctree(mesh);
    return mesh;
}

int32_t TexturedMaterial(const std::string& file) {
    TQGLHandle m = qglAddMaterial(file.c_str());
    qglSetMaterialAmbient(m, 1, 1, 1);
    qglSetMaterialDiffuse(m, 1, 1, 1);
    qglAddMaterialTexShader(m, file.c_str(), 0);
    return qglGetMaterialIndex(m);
}

} // namespace

TEST_F(StaticApi, AHostBuiltLitTriangleShowsItsMaterialColour) {
    g_run.init = [] { AddTriangle(0, RedMaterial()); };
    g_run.afterFrame = [](int) {
        g_centre = probe::ReadFramePixel(32, 32);
        g_corner = probe::ReadFramePixel(1, 62);
    };
    ASSERT_EQ(Run(), 0);
    EXPECT_GT(g_centre[0], 200); // light 0 shines straight at the face: full diffuse red
    EXPECT_LT(g_centre[1], 10);
    EXPECT_LT(g_centre[2], 10);
    EXPECT_EQ(g_corner, (Pixel{0, 0, 0})); // outside the triangle: the clear colour
    EXPECT_TRUE(g_run.messages.empty());
}

TEST_F(StaticApi, AMeshBehindTheCameraDrawsNothing) {
    g_run.init = [] { AddTriangle(10, RedMaterial()); }; // camera at z = 5 looking toward -z
    g_run.afterFrame = [](int) { g_centre = probe::ReadFramePixel(32, 32); };
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(g_centre, (Pixel{0, 0, 0}));
}

TEST_F(StaticApi, AMeshWithoutItsOctreeIsNotDrawnAndAHiddenOneNeither) {
    static TQGLHandle mesh;
    g_run.init = [] { mesh = AddTriangle(0, RedMaterial()); };
    g_run.stopAfter = 3;
    g_run.afterFrame = [](int frame) {
        if (frame == 1) qglSetStaticVisibleFlag(mesh, 0);
        if (frame == 2) g_centre = probe::ReadFramePixel(32, 32);
    };
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(g_centre, (Pixel{0, 0, 0}));
    EXPECT_EQ(qglGetStaticVisibleFlag(mesh), 0);
}

TEST_F(StaticApi, ABadMaterialIndexIsReportedOnceAndTheFrameGoesOn) {
    g_run.init = [] { AddTriangle(0, 5); }; // no material 5
    g_run.stopAfter = 4;
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(g_run.frames, 4);
    ASSERT_EQ(g_run.messages.size(), 1u);
    EXPECT_NE(g_run.messages[0].Line().find("material index 5"), std::string::npos)
        << g_run.messages[0].Line();
}

TEST_F(StaticApi, ADeletedMeshIsDrawnOnceMoreAndFreedAtTheEndOfThatFrame) {
    static int countAfterFrame1 = -1, countAfterFrame2 = -1;
    static Pixel atDeletion;
    g_run.init = [] { AddTriangle(0, RedMaterial()); };
    g_run.stopAfter = 2;
    g_run.afterFrame = [](int frame) {
        if (frame == 1) {
            qglDeleteStaticObject(qglGetStaticObject(0));
            countAfterFrame1 = qglGetStaticObjectCount();
        }
        if (frame == 2) {
            atDeletion = probe::ReadFramePixel(32, 32);
            countAfterFrame2 = qglGetStaticObjectCount();
        }
    };
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(countAfterFrame1, 1); // flagged during frame 1: still listed
    EXPECT_GT(atDeletion[0], 200);  // frame 2 still draws it ...
    EXPECT_EQ(countAfterFrame2, 1); // ... and frees it after the after-render callback
    EXPECT_EQ(qglGetStaticObjectCount(), 0);
}

TEST_F(StaticApi, FaceDataIsACopyInOneSharedRecord) {
    static TQUARNFaceData* first = nullptr;
    static TQUARNFaceData* second = nullptr;
    static int32_t uniqueA = 0, uniqueB = 0, negZero = 0;
    g_run.init = [] {
        TQGLHandle a = AddTriangle(0, 0);
        TQGLHandle b = qglGetStaticObject(qglAddStaticObject());
        qglAddStaticMeshVector(b, 7, 8, 9);
        uniqueA = qglAddStaticUniqueMeshVector(b, 7, 8, 9);
        uniqueB = qglAddStaticUniqueMeshVector(b, 7, 8, 9);
        qglAddStaticMeshVector(b, -0.0f, 0, 0);
        negZero = qglAddStaticUniqueMeshVector(b, 0.0f, 0, 0);
        first = qglGetStaticFaceData(a);
        EXPECT_EQ(first->FaceCount, 1);
        EXPECT_EQ(first->VertexCount, 3);
        EXPECT_EQ(QUARN_ARRAY_COUNT(first->Vertices), 3);
        EXPECT_FLOAT_EQ(first->Vertices[1].x, 2.0f);
        EXPECT_EQ(first->Faces[0].c, 2);
        second = qglGetStaticFaceData(b);
    };
    g_run.stopAfter = 1;
    Run();
    EXPECT_EQ(first, second);
    EXPECT_EQ(second->VertexCount, 3);
    EXPECT_EQ(uniqueA, 0);
    EXPECT_EQ(uniqueB, 0);
    EXPECT_EQ(negZero, 2);
}

TEST_F(StaticApi, FaceListsGiveThreeIndicesPerFaceAndTheMeshArrays) {
    static int32_t count = 0;
    static int32_t *vi = nullptr, *ni = nullptr, *ti = nullptr;
    static TQUARNVector *v = nullptr, *n = nullptr, *t = nullptr;
    g_run.init = [] {
        TQGLHandle m = AddTriangle(0, 0);
        qglAddStaticFaceMaterialIndex(m, 0, 3);
        qglAddStaticFaceMaterialIndex(m, 0, 0); // the last value stays
        qglGetStaticFaces(m, &count, &vi, &ni, &ti, &v, &n, &t);
    };
    g_run.stopAfter = 1;
    Run();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(vi[2], 2);
    EXPECT_EQ(ni[1], 0);
    EXPECT_EQ(ti[0], -1); // the face carries no texture coordinates
    EXPECT_FLOAT_EQ(n[0].z, 1.0f);
    EXPECT_FLOAT_EQ(v[2].y, 2.0f);
}

TEST_F(StaticApi, AFaceOutsideTheListIsAnErrorNotACrash) {
    static const char* error = nullptr;
    g_run.init = [] {
        TQGLHandle m = qglGetStaticObject(qglAddStaticObject());
        qglClearLastError();
        qglAddStaticFaceVectorIndex(m, 4, 0);
        error = qglGetLastError();
    };
    g_run.stopAfter = 1;
    Run();
    ASSERT_NE(error, nullptr);
    EXPECT_STREQ(error, "List index out of bounds (4)");
}

TEST_F(StaticApi, ALitTexturedTriangleShowsItsTextureColour) {
    g_texture = TempFile("quarn_green");
    probe::WriteSolidBmp(g_texture, 2, 2, {20, 200, 40});
    g_run.init = [] { AddTexturedTriangle(TexturedMaterial(g_texture)); };
    g_run.afterFrame = [](int) { g_centre = probe::ReadFramePixel(32, 28); };
    ASSERT_EQ(Run(), 0);
    EXPECT_NEAR(g_centre[0], 20, 3);
    EXPECT_NEAR(g_centre[1], 200, 3);
    EXPECT_NEAR(g_centre[2], 40, 3);
    EXPECT_TRUE(g_run.messages.empty());
    std::remove(g_texture.c_str());
}

TEST_F(StaticApi, TwoMaterialsNamingTheSameFileShareOneLoadedTexture) {
    g_texture = TempFile("quarn_shared");
    probe::WriteSolidBmp(g_texture, 2, 2, {200, 30, 30});
    g_run.init = [] {
        TexturedMaterial(g_texture);
        std::remove(g_texture.c_str()); // a second load would fail now
        AddTexturedTriangle(TexturedMaterial(g_texture));
    };
    g_run.afterFrame = [](int) { g_centre = probe::ReadFramePixel(32, 28); };
    ASSERT_EQ(Run(), 0);
    EXPECT_NEAR(g_centre[0], 200, 3); // the second material still shows the texture
    EXPECT_TRUE(g_run.messages.empty());
}

TEST_F(StaticApi, ATerrainFromAHeightMapHasTwoFacesPerCell) {
    static TQGLHandle terrain = nullptr;
    static TQUARNFaceData* data = nullptr;
    g_texture = TempFile("quarn_height");
    probe::WriteSolidBmp(g_texture, 3, 3, {128, 0, 0});
    g_run.init = [] {
        terrain = qglAddStaticObjectTerrain(g_texture.c_str(), "", "", 10, 1, 0, 0, 0, 0);
        if (terrain) data = qglGetStaticFaceData(terrain);
    };
    g_run.stopAfter = 1;
    ASSERT_EQ(Run(), 0);
    ASSERT_NE(terrain, nullptr) << (qglGetLastError() ? qglGetLastError() : "");
    EXPECT_EQ(data->FaceCount, 8);
    EXPECT_FLOAT_EQ(data->Vertices[0].x, -15.0f); // x * 10 - (30 div 2)
    EXPECT_FLOAT_EQ(data->Vertices[0].y, 0.0f);   // red 128 is the zero height
    std::remove(g_texture.c_str());
}

TEST_F(StaticApi, AnUnreadableHeightMapLeavesNoMeshBehind) {
    static TQGLHandle terrain = reinterpret_cast<TQGLHandle>(1);
    static int32_t count = -1;
    g_run.init = [] {
        terrain = qglAddStaticObjectTerrain("no-such-height-map.bmp", "", "", 10, 1, 0, 0, 0, 0);
        count = qglGetStaticObjectCount();
    };
    g_run.stopAfter = 1;
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(terrain, nullptr);
    EXPECT_EQ(count, 0);
    ASSERT_NE(qglGetLastError(), nullptr);
}
