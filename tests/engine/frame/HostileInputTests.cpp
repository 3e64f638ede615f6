// Input at the limits of its type: cursor positions near the int limits, NaN and huge camera
// distances in the blended order.
#include "engine/core/Camera.h"
#include "engine/scene/Scene.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

using namespace quarn;

TEST(HostileInput, MouseLookAtTheIntLimitsTurnsTheWayTheCursorMoved) {
    TQGLCamera camera(64, 48, Vec3{});
    camera.MouseLook(INT_MIN, 24); // far left of the centre: a positive yaw step
    EXPECT_GT(camera.yaw, 0.0f);
    camera.yaw = 0;
    camera.MouseLook(INT_MAX, 24);
    EXPECT_LT(camera.yaw, 0.0f);
    camera.MouseLook(32, INT_MIN); // far above: pitch clamps at +89
    EXPECT_FLOAT_EQ(camera.pitch, 89.0f);
    camera.MouseLook(32, INT_MAX);
    EXPECT_FLOAT_EQ(camera.pitch, -89.0f);
}

TEST(HostileInput, BlendedOrderOfNaNAndHugeDistancesIsConsistent) {
    TQGLBaseDynamicMeshObject near, far, nan;
    near.CameraDistance = 1;
    far.CameraDistance = 1e30f;
    nan.CameraDistance = std::numeric_limits<float>::quiet_NaN();
    // The far object is drawn first whichever side it is on.
    EXPECT_LT(CompareBlendedDistance(far, near), 0);
    EXPECT_GT(CompareBlendedDistance(near, far), 0);
    far.CameraDistance = -1e30f;
    EXPECT_GT(CompareBlendedDistance(far, near), 0);
    EXPECT_LT(CompareBlendedDistance(near, far), 0);
    EXPECT_EQ(CompareBlendedDistance(nan, near), 0);
    EXPECT_EQ(CompareBlendedDistance(near, nan), 0);
    // Sorting a mix keeps every object.
    std::vector<std::unique_ptr<TQGLBaseDynamicMeshObject>> owned;
    std::vector<TQGLBaseDynamicMeshObject*> list;
    const float distances[] = {1e30f, std::nanf(""), -1e30f, 5, INFINITY, -INFINITY, 0, 3e9f};
    for (float d : distances) {
        owned.push_back(std::make_unique<TQGLBaseDynamicMeshObject>());
        owned.back()->CameraDistance = d;
        list.push_back(owned.back().get());
    }
    SortBlended(list);
    ASSERT_EQ(list.size(), owned.size());
    for (const auto& o : owned)
        EXPECT_NE(std::find(list.begin(), list.end(), o.get()), list.end());
}
