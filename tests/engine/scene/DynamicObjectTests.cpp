// Dynamic object transforms, billboards, proxies, host matrices and the blended order.
#include "engine/materials/MaterialList.h"
#include "engine/materials/States.h"
#include "engine/scene/DynamicMeshObject.h"
#include "engine/scene/Frustum.h"
#include "engine/scene/Scene.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace quarn;
using gl::GLRecorder;

namespace {

void ExpectNear(const Vec3& v, float x, float y, float z, float eps = 1e-5f) {
    EXPECT_NEAR(v.x, x, eps);
    EXPECT_NEAR(v.y, y, eps);
    EXPECT_NEAR(v.z, z, eps);
}

Vec3 Row(const Mat4& m, int r) {
    return Vec3{m.m[r * 4], m.m[r * 4 + 1], m.m[r * 4 + 2]};
}

class DynamicObject : public ::testing::Test {
  protected:
    void SetUp() override {
        GLRecorder::Install();
        materials.AddMaterial(std::make_unique<TQGLMaterial>("A"));
    }
    void TearDown() override { GLRecorder::Uninstall(); }

    // One triangle of material 0 so the object compiles one sub-mesh.
    void AddTriangle(TQGLBaseDynamicMeshObject& o) {
        auto f = std::make_unique<TQGLFace>();
        for (const Vec3& p : {Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 1, 0}}) {
            f->AddVectorIndex(o.AddVector(p));
            f->AddNormalIndex(o.AddUniqueNormal({0, 0, 1}));
        }
        o.Faces.Add(std::move(f));
        o.Materials = &materials;
        o.ComputeBoundingBox();
    }

    // Only points with x > 0 are inside: every other plane holds everything.
    void HalfSpaceXPositive() {
        for (auto& plane : frustum.Planes) {
            plane[0] = plane[1] = plane[2] = 0;
            plane[3] = 1;
        }
        frustum.Planes[0][0] = 1;
        frustum.Planes[0][3] = 0;
    }

    TQGLStates states;
    TQGLMaterialList materials{&states};
    TQGLFrustrum frustum;
};

} // namespace

TEST_F(DynamicObject, Yaw90TurnsLocalXOntoWorldMinusZ) {
    TQGLDynamicMeshObject o;
    o.CreateAt(Vec3{}, Vec3{0, 90, 0});
    ExpectNear(VectorTransformPoint({1, 0, 0}, o.Matrix), 0, 0, -1);
    ExpectNear(VectorTransformPoint({1, 0, 0}, o.DrawnAngleMatrix()), 0, 0, -1);
}

TEST_F(DynamicObject, TheMatrixTurnsByYawThenPitchThenRollAndTranslatesLast) {
    TQGLDynamicMeshObject o;
    o.CreateAt(Vec3{1, 2, 3}, Vec3{90, 90, 0}); // pitch 90, yaw 90
    // Yaw first takes +Z to +X, which pitch leaves alone.
    ExpectNear(VectorTransformPoint({0, 0, 1}, o.Matrix), 2, 2, 3);
    o.Roll = 90;
    o.SetPositionAndRebuild(Vec3{});
    ExpectNear(VectorTransformPoint({0, 0, 1}, o.Matrix), 0, 1, 0); // then roll: +X to +Y
}

TEST_F(DynamicObject, TheAnglePathIsCulledWithTheTransformGLApplies) {
    TQGLDynamicMeshObject o;
    o.CreateAt(Vec3{}, Vec3{90, 90, 0});
    // glRotatef yaw, then pitch: GL turns the vertex by pitch first, +Z to -Y.
    ExpectNear(VectorTransformPoint({0, 0, 1}, o.DrawnAngleMatrix()), 0, -1, 0);
    // A box at local z = 2..3 lies at world y = -3..-2: outside a frustum of y > 0 only.
    o.SetBoundingBox(-0.1f, 0.1f, -0.1f, 0.1f, 2, 3);
    for (auto& plane : frustum.Planes)
        plane[0] = plane[1] = plane[2] = 0, plane[3] = 1;
    frustum.Planes[0][1] = 1, frustum.Planes[0][3] = 0;
    o.Frustum = &frustum;
    EXPECT_FALSE(o.Prepare(0));
}

TEST_F(DynamicObject, UseMatrixIgnoresBillboardSettingsAndAngles) {
    HalfSpaceXPositive();
    TQGLDynamicMeshObject o;
    o.CreateAt(Vec3{-10, 0, 0}, Vec3{0, 45, 0});
    o.SetBoundingBox(-1, 1, -1, 1, -1, 1);
    o.Frustum = &frustum;
    o.Billboard = true;
    o.BillboardCamPos = Vec3{-20, 0, 0};
    GLRecorder::Clear();
    EXPECT_FALSE(o.Prepare(0)); // billboard at x = -10: outside, nothing applied
    EXPECT_TRUE(GLRecorder::Calls().empty());

    o.Matrix = MatrixTranslation({10, 0, 0});
    o.UseMatrix = true;
    EXPECT_TRUE(o.Prepare(0));
    EXPECT_EQ(GLRecorder::Names(), (std::vector<std::string>{"glMultMatrixf"}));
}

TEST_F(DynamicObject, BillboardKindsZeroToThreeKeepTheCrossProductLengths) {
    TQGLDynamicMeshObject o;
    o.CreateAt(Vec3{1, 0, 0}, Vec3{});
    o.BillboardCamPos = Vec3{1, 0, 5};
    o.BillboardCamUp = Vec3{0, 2, 0}; // not unit: R keeps length 2 in kind 0
    Mat4 b = o.BillboardMatrix();
    ExpectNear(Row(b, 0), 2, 0, 0);
    ExpectNear(Row(b, 1), 0, 2, 0);
    ExpectNear(Row(b, 2), 0, 0, 1);
    ExpectNear(Row(b, 3), 1, 0, 0);

    o.BillboardType = 2; // about Y, camera at +x and above: the height is dropped
    o.BillboardCamPos = Vec3{6, 7, 0};
    b = o.BillboardMatrix();
    ExpectNear(Row(b, 2), 1, 0, 0);
    ExpectNear(Row(b, 1), 0, 1, 0);
    ExpectNear(Row(b, 0), 0, 0, -1);
    // A local point lands at x R + y U + z F + P.
    ExpectNear(VectorTransformPoint({0, 0, 1}, b), 2, 0, 0);
}

TEST_F(DynamicObject, OnlyAxisBillboardsNormaliseR) {
    TQGLDynamicMeshObject o;
    o.CreateAt(Vec3{}, Vec3{});
    o.BillboardType = 4;
    o.BillboardAxis = Vec3{0, 3, 0};
    o.BillboardCamPos = Vec3{0, 4, 5};
    const Mat4 b = o.BillboardMatrix();
    ExpectNear(Row(b, 0), 1, 0, 0); // normalise(U x F0)
    ExpectNear(Row(b, 1), 0, 3, 0); // the axis as given
    ExpectNear(Row(b, 2), 0, 0, 3); // R x U
}

TEST_F(DynamicObject, DegenerateBillboardsStayFiniteAndKeepTheirLastFacing) {
    TQGLDynamicMeshObject o;
    o.CreateAt(Vec3{}, Vec3{});
    o.BillboardType = 2;
    o.BillboardCamPos = Vec3{0, 10, 0}; // straight above: nothing left after dropping y
    Mat4 b = o.BillboardMatrix();
    EXPECT_TRUE(IsFinite(b));
    ExpectNear(Row(b, 2), 0, 0, 1); // never faced anywhere: +Z

    o.BillboardCamPos = Vec3{5, 0, 0};
    o.BillboardMatrix();
    o.BillboardCamPos = Vec3{0, 10, 0};
    b = o.BillboardMatrix();
    ExpectNear(Row(b, 2), 1, 0, 0); // keeps facing +X

    o.BillboardType = 3;
    o.BillboardCamPos = Vec3{0, 0, 9};
    b = o.BillboardMatrix();
    EXPECT_TRUE(IsFinite(b));
    EXPECT_NEAR(VectorLength(Row(b, 2)), 1, 1e-5);

    for (uint8_t kind : {0, 4, 5, 200}) {
        o.BillboardType = kind;
        o.BillboardAxis = Vec3{0, 0, 1};
        o.BillboardCamPos = kind == 0 ? Vec3{} : Vec3{0, 0, 7}; // at the object / along the axis
        b = o.BillboardMatrix();
        EXPECT_TRUE(IsFinite(b)) << int(kind);
        ExpectNear(Row(b, 3), 0, 0, 0);
    }
    o.BillboardType = 9; // undefined kinds stay unturned
    b = o.BillboardMatrix();
    ExpectNear(Row(b, 0), 1, 0, 0);
    ExpectNear(Row(b, 2), 0, 0, 1);
}

TEST_F(DynamicObject, AProxyOfAProxyDrawsTheFirstSourceEvenWhenItIsHidden) {
    TQGLDynamicMeshObject source;
    source.CreateAt(Vec3{}, Vec3{});
    AddTriangle(source);
    auto first = TQGLDynamicMeshObject::CreateProxy(source, false);
    EXPECT_EQ(source.SubMeshes().Count(), 1); // built for the proxy
    auto second = TQGLDynamicMeshObject::CreateProxy(FirstNonProxy(*first), false);
    EXPECT_EQ(second->ProxySource, &source);
    EXPECT_EQ(&second->SubMeshes(), &source.SubMeshes());
    EXPECT_EQ(&second->GetVertices(), &source.Vertices);

    source.Visible = false;
    GLRecorder::Clear();
    source.RenderMesh(0);
    EXPECT_EQ(GLRecorder::Count("glCallList"), 0);
    second->RenderMesh(0);
    EXPECT_EQ(GLRecorder::Count("glCallList"), 1);
    EXPECT_FALSE(source.Visible); // restored

    GLRecorder::Clear();
    second.reset();
    first.reset();
    EXPECT_EQ(GLRecorder::Count("glDeleteLists"), 0); // proxies free nothing of the source
    EXPECT_EQ(source.SubMeshes().Count(), 1);
}

TEST_F(DynamicObject, AProxyCopiesOnlyTheUseMatrixFlagAndReadsBackTheIdentity) {
    TQGLDynamicMeshObject source;
    source.CreateAt(Vec3{4, 5, 6}, Vec3{10, 20, 30});
    AddTriangle(source);
    source.UseMatrix = true;
    auto plain = TQGLDynamicMeshObject::CreateProxy(source, false);
    auto copied = TQGLDynamicMeshObject::CreateProxy(source, true);
    EXPECT_FALSE(plain->UseMatrix);
    EXPECT_TRUE(copied->UseMatrix);
    EXPECT_EQ(copied->Materials, &materials);
    ExpectNear(copied->BoundingCorners[2], 1, 1, 0);
    const Mat4 m = copied->GetMatrix();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(m.m[i], MatrixIdentity().m[i]) << i;
}

TEST_F(DynamicObject, SetMatrixWithoutFlagReadsPositionAndAnglesInDegrees) {
    TQGLDynamicMeshObject o;
    o.CreateAt(Vec3{}, Vec3{});
    const float rad = float(kDegToRad);
    // Composed in the object's own order (yaw, then pitch, then roll), so the angles come back.
    const Mat4 m =
        MatrixMultiply(MatrixMultiply(MatrixMultiply(MatrixRotY(20 * rad), MatrixRotX(10 * rad)),
                                      MatrixRotZ(30 * rad)),
                       MatrixTranslation({7, 8, 9}));
    o.SetMatrix(m, false);
    EXPECT_FALSE(o.UseMatrix);
    EXPECT_NEAR(o.Pitch, 10, 1e-3);
    EXPECT_NEAR(o.Yaw, 20, 1e-3);
    EXPECT_NEAR(o.Roll, 30, 1e-3);
    ExpectNear(o.Position, 7, 8, 9);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(o.Matrix.m[i], m.m[i]) << i; // stored as given, not rebuilt
}

TEST_F(DynamicObject, ASingularMatrixMovesTheObjectAndKeepsItsAngles) {
    TQGLDynamicMeshObject o;
    o.CreateAt(Vec3{}, Vec3{1, 2, 3});
    Mat4 flat = MatrixScaling({1, 0, 1});
    flat.m[12] = 4, flat.m[13] = 5, flat.m[14] = 6;
    o.SetMatrix(flat, false);
    ExpectNear(o.Position, 4, 5, 6);
    EXPECT_EQ(o.Pitch, 1);
    EXPECT_EQ(o.Yaw, 2);
    EXPECT_EQ(o.Roll, 3);
    EXPECT_FALSE(o.UseMatrix);

    o.SetMatrix(MatrixTranslation({1, 1, 1}), true); // the host's matrix, angles untouched
    EXPECT_TRUE(o.UseMatrix);
    ExpectNear(o.Position, 4, 5, 6);
}

TEST(BlendedOrder, CloseDistancesCompareEqualAndFartherGoesFirst) {
    TQGLBaseDynamicMeshObject a, b;
    a.CameraDistance = 10.001f, b.CameraDistance = 10.003f;
    EXPECT_EQ(CompareBlendedDistance(a, b), 0);
    a.CameraDistance = 20, b.CameraDistance = 10;
    EXPECT_LT(CompareBlendedDistance(a, b), 0);
    EXPECT_GT(CompareBlendedDistance(b, a), 0);
    a.CameraDistance = 10.004f, b.CameraDistance = 10; // under half a hundredth
    EXPECT_EQ(CompareBlendedDistance(a, b), 0);
    a.CameraDistance = 10.006f;
    EXPECT_EQ(CompareBlendedDistance(a, b), -1);
    a.CameraDistance = 10.024f; // 2.4 hundredths round to 2
    EXPECT_EQ(CompareBlendedDistance(a, b), -2);
}

TEST(BlendedOrder, SortingDrawsFarToNearAndLosesNothing) {
    std::vector<std::unique_ptr<TQGLBaseDynamicMeshObject>> owned;
    std::vector<TQGLBaseDynamicMeshObject*> list;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> spread(0, 50);
    for (int i = 0; i < 500; ++i) {
        owned.push_back(std::make_unique<TQGLBaseDynamicMeshObject>());
        // Many near-equal distances, where the rounded comparison is not transitive.
        owned.back()->CameraDistance = i < 250 ? 5 + 0.003f * float(i % 20) : spread(rng);
        list.push_back(owned.back().get());
    }
    SortBlended(list);
    std::vector<TQGLBaseDynamicMeshObject*> sorted = list, original;
    for (auto& o : owned)
        original.push_back(o.get());
    std::sort(sorted.begin(), sorted.end());
    std::sort(original.begin(), original.end());
    EXPECT_EQ(sorted, original);
    // Distances within half a hundredth compare equal, so only that much disorder is allowed.
    for (size_t i = 1; i < list.size(); ++i)
        EXPECT_GE(list[i - 1]->CameraDistance, list[i]->CameraDistance - 0.0051f) << i;
}
