// Dynamic objects through the exported C API, in headless windows with real Mesa GL: deferred
// deletion, the host-facing transform exports, blending and billboards read back as pixels.
#include "TestMeshes.h"
#include "WindowRun.h"
#include "quarn/QuarnGL.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace {

using probe::g_run;

// An unlit-looking material: only its emission shows.
TQGLHandle GlowMaterial(const char* name, float r, float g, float b) {
    TQGLHandle m = qglAddMaterial(name);
    qglSetMaterialAmbient(m, 0, 0, 0);
    qglSetMaterialDiffuse(m, 0, 0, 0);
    qglSetMaterialEmmisive(m, r, g, b);
    return m;
}

// One frame unless a test asks for more; the tests that look at pixels aim the camera themselves.
class DynamicApi : public probe::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        g_run.stopAfter = 1;
        g_run.aimCamera = false;
    }
};

std::vector<TQGLHandle> g_handles;
std::vector<int32_t> g_counts;

} // namespace

TEST_F(DynamicApi, AnObjectDeletedAndHiddenInOneFrameIsFreedAtItsEnd) {
    g_handles.clear();
    g_counts.clear();
    g_run.stopAfter = 3;
    g_run.init = [] {
        for (int i = 0; i < 2; ++i)
            g_handles.push_back(qglGetDynamicObject(qglAddDynamicObject()));
    };
    g_run.beforeFrame = [](int frame) {
        if (frame == 2) {
            qglSetDynamicVisibleFlag(g_handles[0], 0);
            qglDeleteDynamicObject(g_handles[0]);
        }
    };
    g_run.afterFrame = [](int) { g_counts.push_back(qglGetDynamicObjectCount()); };
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(g_counts, (std::vector<int32_t>{2, 2, 1})); // still listed during its last frame
    EXPECT_EQ(qglGetDynamicObject(0), g_handles[1]);
}

TEST_F(DynamicApi, TwoObjectsDeletedInOneFrameAreBothFreedAndNothingElse) {
    g_handles.clear();
    g_counts.clear();
    g_run.stopAfter = 2;
    g_run.init = [] {
        for (int i = 0; i < 4; ++i)
            g_handles.push_back(qglGetDynamicObject(qglAddDynamicObject()));
        g_handles.push_back(qglLoadDynamicPredefined(1, nullptr, 0, 0, -5, 0, 0, 0, 1, 1, 1));
        qglDeleteDynamicObject(g_handles[1]);
        qglDeleteDynamicObject(g_handles[4]);
    };
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(qglGetDynamicObjectCount(), 3);
    EXPECT_EQ(qglGetDynamicObject(0), g_handles[0]);
    EXPECT_EQ(qglGetDynamicObject(1), g_handles[2]);
    EXPECT_EQ(qglGetDynamicObject(2), g_handles[3]);
}

// The selection frees an object flagged for deletion at once; objects made right after it may
// get its address and must survive the frame's end.
TEST_F(DynamicApi, ObjectsMadeAfterDeletingAFlaggedSelectionSurviveTheFrameEnd) {
    g_handles.clear();
    g_counts.clear();
    g_run.stopAfter = 2;
    g_run.init = [] {
        g_handles.push_back(qglGetDynamicObject(qglAddDynamicObject()));
        g_handles.push_back(qglGetStaticObject(qglAddStaticObject()));
        qglAddSceneSelected(g_handles[0]); // selected first: a flagged object is refused
        qglAddSceneSelected(g_handles[1]);
        qglDeleteDynamicObject(g_handles[0]);
        qglDeleteStaticObject(g_handles[1]);
    };
    g_run.afterFrame = [](int frame) {
        if (frame == 1) {
            qglDeleteSceneSelected();
            g_handles.push_back(qglGetDynamicObject(qglAddDynamicObject()));
            g_handles.push_back(qglGetStaticObject(qglAddStaticObject()));
        }
        g_counts.push_back(qglGetDynamicObjectCount());
        g_counts.push_back(qglGetStaticObjectCount());
    };
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(g_counts, (std::vector<int32_t>{1, 1, 1, 1}));
    EXPECT_EQ(qglGetDynamicObject(0), g_handles[2]);
    EXPECT_EQ(qglGetStaticObject(0), g_handles[3]);
    EXPECT_EQ(qglGetLastError(), nullptr);
}

TEST_F(DynamicApi, TransformExportsRebuildAndReportTheMatrix) {
    g_run.init = [] {
        TQGLHandle o = qglGetDynamicObject(qglAddDynamicObject());
        qglSetDynamicRotation(o, 10, 20, 30);
        EXPECT_EQ(qglGetDynamicYaw(o), 20);
        float p, y, r;
        qglGetDynamicRotation(o, &p, &y, &r);
        EXPECT_EQ(p, 10);
        EXPECT_EQ(r, 30);

        float host[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1};
        qglSetDynamicMatrix(o, host, 1);
        float m[16];
        qglGetDynamicMatrix(m, o);
        EXPECT_EQ(m[12], 5); // the host's matrix, as given
        qglSetDynamicYaw(o, 90);
        qglGetDynamicMatrix(m, o);
        EXPECT_NEAR(m[12], 0, 1e-6); // replaced by the composed one: position still 0
        EXPECT_NE(m[0], 1.0f);

        qglSetDynamicPosition(o, 1, 2, 3);
        float pos[3];
        qglGetDynamicPosition(o, pos);
        qglGetDynamicMatrix(m, o);
        EXPECT_EQ(pos[1], 2);
        EXPECT_NEAR(m[13], 2, 1e-6);

        TQGLHandle proxy = qglAddDynamicProxyObject(o, 1);
        TQGLHandle proxyOfProxy = qglAddDynamicProxyObject(proxy, 0);
        ASSERT_NE(proxyOfProxy, nullptr);
        qglGetDynamicMatrix(m, proxy);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << i; // identity
        EXPECT_EQ(qglGetDynamicBillboardType(proxy), 0);

        EXPECT_EQ(qglLoadDynamicPredefined(2, nullptr, 0, 0, 0, 0, 0, 0, 1, 1, 1), nullptr);
        EXPECT_EQ(qglGetLastError(), nullptr);
        qglAddDynamicFaceVectorIndex(o, 3, 0);
        ASSERT_NE(qglGetLastError(), nullptr);
        EXPECT_STREQ(qglGetLastError(), "List index out of bounds (3)");
    };
    ASSERT_EQ(Run(), 0);
}

TEST_F(DynamicApi, AProxyReportsItsSourcesVerticesWithItsOwnFaces) {
    g_run.init = [] {
        TQGLHandle cube = qglLoadDynamicPredefined(1, nullptr, 0, 0, 0, 0, 0, 0, 2, 4, 6);
        TQUARNFaceData* data = qglGetDynamicFaceData(cube);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->FaceCount, 12);
        EXPECT_EQ(data->VertexCount, 8);
        EXPECT_EQ(data->Vertices[2].y, 2.0f);
        TQGLHandle proxy = qglAddDynamicProxyObject(cube, 0);
        int32_t faces = -1;
        TQUARNVector* vertices = nullptr;
        qglGetDynamicFaces(proxy, &faces, nullptr, nullptr, nullptr, &vertices, nullptr, nullptr);
        EXPECT_EQ(faces, 0);
        ASSERT_NE(vertices, nullptr);
        EXPECT_EQ(vertices[2].z, 3.0f);
        data = qglGetDynamicFaceData(proxy);
        EXPECT_EQ(data->FaceCount, 0);
        EXPECT_EQ(data->VertexCount, 8);
    };
    ASSERT_EQ(Run(), 0);
}

TEST_F(DynamicApi, ABlendedQuadInFrontOfAnOpaqueOneShowsTheBlendColour) {
    g_run.init = [] {
        qglSetCameraPosition(0, 0, 5);
        qglSetCameraDirection(0, 0, -1);
        TQGLHandle red = GlowMaterial("red", 1, 0, 0);
        TQGLHandle green = GlowMaterial("green", 0, 1, 0);
        qglSetMaterialBlendData(green, 1, 1 /* GL_ONE */, 1 /* GL_ONE */);
        // Listed first but drawn after the opaque quad behind it.
        qglLoadDynamicPredefined(4, green, 0, 0, 1, 0, 0, 0, 1, 1, 0);
        qglLoadDynamicPredefined(4, red, 0, 0, 0, 0, 0, 0, 2, 2, 0);
    };
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(g_run.centre.size(), 1u);
    EXPECT_GE(g_run.centre[0][0], 250); // red + green
    EXPECT_GE(g_run.centre[0][1], 250);
    EXPECT_LE(g_run.centre[0][2], 5);
}

TEST_F(DynamicApi, FacesAddedWhileHiddenAreDrawnOnceShown) {
    g_handles.clear();
    g_run.stopAfter = 2;
    g_run.init = [] {
        qglSetCameraPosition(0, 0, 5);
        qglSetCameraDirection(0, 0, -1);
        g_handles.push_back(qglGetDynamicObject(qglAddDynamicObject()));
        g_handles.push_back(GlowMaterial("red", 1, 0, 0));
        // One small face away from the centre before the object is hidden.
        TQGLHandle o = g_handles[0];
        probe::AddFace(probe::kDynamicMesh, o, {{1.5f, 1.5f, 0}, {1.7f, 1.5f, 0}, {1.7f, 1.7f, 0}},
                       {0, 0, 1}, qglGetMaterialIndex(g_handles[1]));
        qglSetDynamicVisibleFlag(o, 0);
    };
    g_run.afterFrame = [](int frame) {
        if (frame != 1) return;
        probe::AddQuad(probe::kDynamicMesh, g_handles[0], {-1, -1, 0}, {1, -1, 0}, {1, 1, 0},
                       {-1, 1, 0}, {0, 0, 1}, qglGetMaterialIndex(g_handles[1]));
        qglSetDynamicVisibleFlag(g_handles[0], 1);
    };
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(g_run.centre.size(), 2u);
    EXPECT_LE(g_run.centre[0][0], 5); // hidden: nothing drawn
    EXPECT_GE(g_run.centre[1][0], 250);
}

// An object built through the exports is culled by the box of its own vertices: this one's
// origin lies far outside the view while its square covers the centre. A proxy of a source that
// draws from its own matrix starts at the origin with a matrix it can draw from.
TEST_F(DynamicApi, ObjectsDrawWhereTheirGeometryIsNotWhereTheirOriginIs) {
    g_handles.clear();
    g_run.stopAfter = 2;
    g_run.init = [] {
        qglSetCameraPosition(0, 0, 5);
        qglSetCameraDirection(0, 0, -1);
        TQGLHandle o = qglGetDynamicObject(qglAddDynamicObject());
        probe::AddQuad(probe::kDynamicMesh, o, {29, -1, 0}, {31, -1, 0}, {31, 1, 0}, {29, 1, 0},
                       {0, 0, 1}, qglGetMaterialIndex(GlowMaterial("red", 1, 0, 0)));
        qglSetDynamicPosition(o, -30, 0, 0);

        TQGLHandle source =
            qglLoadDynamicPredefined(4, GlowMaterial("green", 0, 1, 0), 0, 0, 0, 0, 0, 0, 2, 2, 0);
        const float farRight[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 40, 0, 0, 1};
        qglSetDynamicMatrix(source, farRight, 1);
        TQGLHandle proxy = qglAddDynamicProxyObject(source, 1);
        qglSetDynamicVisibleFlag(proxy, 0);
        g_handles = {o, proxy};
    };
    g_run.afterFrame = [](int frame) {
        if (frame != 1) return;
        qglSetDynamicVisibleFlag(g_handles[0], 0);
        qglSetDynamicVisibleFlag(g_handles[1], 1);
    };
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(g_run.centre.size(), 2u);
    EXPECT_EQ(g_run.centre[0], (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(g_run.centre[1], (std::array<int, 3>{0, 255, 0}));
}

TEST_F(DynamicApi, ABillboardTurnsToFaceTheCamera) {
    g_run.stopAfter = 2;
    g_run.init = [] {
        qglSetCameraPosition(0, 0, 5);
        qglSetCameraDirection(0, 0, -1);
        TQGLHandle quad =
            qglLoadDynamicPredefined(4, GlowMaterial("white", 1, 1, 1), 0, 0, 0, 0, 0, 0, 2, 2, 0);
        qglSetDynamicBillboardFlag(quad, 1);
        qglSetDynamicBillboardType(quad, 2); // about the world Y axis
    };
    g_run.afterFrame = [](int frame) {
        if (frame == 1) { // seen from +x next: an unturned quad would be edge-on
            qglSetCameraPosition(5, 0, 0);
            qglSetCameraDirection(-1, 0, 0);
        }
    };
    ASSERT_EQ(Run(), 0);
    ASSERT_EQ(g_run.centre.size(), 2u);
    for (const auto& px : g_run.centre) {
        EXPECT_GE(px[0], 250);
        EXPECT_GE(px[1], 250);
        EXPECT_GE(px[2], 250);
    }
}
