// The constraint rows joints submit for given body poses, recorded instead of solved.
#include "physics/world/Body.h"
#include "physics/joints/JointHinge.h"
#include "physics/joints/JointUpVector.h"
#include "physics/world/Collision.h"
#include "physics/world/World.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace quarn;

namespace {

struct Row {
    bool angular = false;
    Vec3 p0, p1, dir;
    float error = 0;
    bool hasAcceleration = false;
    float acceleration = 0;
    bool hasStiffness = false;
    float stiffness = 0;
};

class RowRecorder final : public JointRowSink {
  public:
    void AddLinearRow(const Vec3& a, const Vec3& b, const Vec3& d) override {
        rows.push_back(Row{false, a, b, d});
    }
    void AddAngularRow(float error, const Vec3& d) override {
        rows.push_back(Row{true, {}, {}, d, error});
    }
    void SetRowAcceleration(float a) override {
        rows.back().hasAcceleration = true;
        rows.back().acceleration = a;
    }
    void SetRowStiffness(float s) override {
        rows.back().hasStiffness = true;
        rows.back().stiffness = s;
    }
    std::vector<Row> rows;
};

void ExpectVecNear(const Vec3& a, const Vec3& b, float tol = 1e-5f) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

constexpr float kDeg = static_cast<float>(kPi / 180.0);

// Two unit boxes at the origin of a fresh world, hinged about +Z through the origin.
class HingeRows : public ::testing::Test {
  protected:
    void SetUp() override {
        TqpCollision* box =
            world.AdoptCollision(TqpCollision::CreateBySize(world.Newton(), 1, Vec3{1, 1, 1}));
        TqpCollision* list[1] = {box};
        parent = TqpBody::Create(world, list, 1);
        child = TqpBody::Create(world, list, 1);
        child->SetMass(1.0f);
        hinge = new TqpJointHinge(parent->Newton(), child->Newton(), Vec3{0, 0, 0}, Vec3{0, 0, 1});
    }
    void TearDown() override { TqpJointBase::Destroy(hinge); }

    // The parent turned by degrees about the pin: the hinge angle is +degrees.
    std::vector<Row> Submit(float degrees, Vec3 parentOmega = {}, Vec3 childOmega = {}) {
        JointBodyState state;
        state.hasParent = true;
        state.parentMatrix = MatrixRotZ(degrees * kDeg);
        state.parentOmega = parentOmega;
        state.childOmega = childOmega;
        RowRecorder recorder;
        hinge->SubmitConstraints(state, recorder);
        return recorder.rows;
    }

    TqpWorld world;
    TqpBody* parent = nullptr;
    TqpBody* child = nullptr;
    TqpJointHinge* hinge = nullptr;
};

} // namespace

TEST(PinFrame, RowsAreOrthonormalRightHandedWithUnitPinInFront) {
    const Vec3 pins[] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, -3}, {1, 2, 3}, {-2, 0.5f, 0.1f}};
    for (const Vec3& pin : pins) {
        const Mat4 f = PinFrame(pin, Vec3{4, 5, 6});
        const Vec3 front = MatrixRow(f, 0), up = MatrixRow(f, 1), right = MatrixRow(f, 2);
        ExpectVecNear(front, VectorNormalize(pin));
        EXPECT_NEAR(VectorLength(up), 1.0f, 1e-5f);
        EXPECT_NEAR(VectorLength(right), 1.0f, 1e-5f);
        EXPECT_NEAR(VectorDot(front, up), 0.0f, 1e-5f);
        EXPECT_NEAR(VectorDot(front, right), 0.0f, 1e-5f);
        ExpectVecNear(VectorCross(front, up), right);
        ExpectVecNear(MatrixRow(f, 3), Vec3{4, 5, 6});
        EXPECT_EQ(f.m[15], 1.0f);
        EXPECT_EQ(f.m[3] + f.m[7] + f.m[11], 0.0f);
    }
}

TEST_F(HingeRows, FreeHingeSubmitsFiveLinearRowsFixingPivotAndPin) {
    const std::vector<Row> rows = Submit(0);
    ASSERT_EQ(rows.size(), 5u);
    for (const Row& r : rows)
        EXPECT_FALSE(r.angular);
    ExpectVecNear(rows[0].dir, Vec3{0, 0, 1});
    ExpectVecNear(rows[1].dir, Vec3{0, 1, 0});
    ExpectVecNear(rows[2].dir, Vec3{-1, 0, 0});
    ExpectVecNear(rows[3].dir, rows[1].dir);
    ExpectVecNear(rows[4].dir, rows[2].dir);
    ExpectVecNear(rows[0].p0, Vec3{0, 0, 0});
    ExpectVecNear(rows[3].p0, Vec3{0, 0, 50});
    ExpectVecNear(rows[3].p1, Vec3{0, 0, 50});
}

TEST_F(HingeRows, LimitsAddOneAngularRowOnlyOutsideTheRange) {
    hinge->SetLimits(-30 * kDeg, 30 * kDeg);
    hinge->SetLimitsEnabled(true);

    std::vector<Row> rows = Submit(40);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_TRUE(rows[5].angular);
    EXPECT_NEAR(rows[5].error, 10 * kDeg, 1e-4f);
    EXPECT_NEAR(rows[5].error, 0.1745f, 1e-4f);
    ExpectVecNear(rows[5].dir, Vec3{0, 0, 1});
    EXPECT_TRUE(rows[5].hasStiffness);
    EXPECT_EQ(rows[5].stiffness, 1.0f);
    EXPECT_FALSE(rows[5].hasAcceleration);

    EXPECT_EQ(Submit(20).size(), 5u);
    EXPECT_EQ(Submit(-29).size(), 5u);

    rows = Submit(-40);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_NEAR(rows[5].error, -10 * kDeg, 1e-4f);
}

TEST_F(HingeRows, EnablingOneModeSwitchesTheOtherOff) {
    hinge->SetMotorEnabled(true);
    hinge->SetLimitsEnabled(true);
    EXPECT_TRUE(hinge->LimitsEnabled());
    EXPECT_FALSE(hinge->MotorEnabled());
    hinge->SetMotorEnabled(true);
    EXPECT_TRUE(hinge->MotorEnabled());
    EXPECT_FALSE(hinge->LimitsEnabled());
    hinge->SetLimitsEnabled(true);
    hinge->SetFixedAngleEnabled(true);
    EXPECT_FALSE(hinge->LimitsEnabled());
    EXPECT_TRUE(hinge->FixedAngleEnabled());
    // Disabling never switches anything else on.
    hinge->SetFixedAngleEnabled(false);
    EXPECT_FALSE(hinge->LimitsEnabled());
    EXPECT_FALSE(hinge->MotorEnabled());
    EXPECT_EQ(Submit(80).size(), 5u);
}

TEST_F(HingeRows, LimitsWinOverFixedAngleAndMotorOverFixedAngle) {
    hinge->SetFixedAngle(10 * kDeg);
    hinge->SetFixedAngleEnabled(true);
    hinge->SetLimits(-30 * kDeg, 30 * kDeg);
    hinge->SetLimitsEnabled(true); // the fixed angle stays enabled underneath
    ASSERT_TRUE(hinge->FixedAngleEnabled());
    EXPECT_EQ(Submit(0).size(), 5u); // inside the limits: no row at all, no servo

    hinge->SetMotorAccel(3, 0);
    hinge->SetMotorEnabled(true);
    std::vector<Row> rows = Submit(0);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_NEAR(rows[5].acceleration, 3.0f, 1e-6f); // the motor's, not the servo's
}

TEST_F(HingeRows, MotorAccelerationIsReducedByDampedSpin) {
    hinge->SetMotorAccel(5, 1);
    hinge->SetMotorEnabled(true);
    std::vector<Row> rows = Submit(0, Vec3{0, 0, 5});
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_TRUE(rows[5].angular);
    EXPECT_EQ(rows[5].error, 0.0f);
    ExpectVecNear(rows[5].dir, Vec3{0, 0, 1});
    EXPECT_NEAR(rows[5].acceleration, 0.0f, 1e-5f);
    // The spin is parent minus child about the pin; spin about other axes does not count.
    rows = Submit(0, Vec3{3, 0, 0}, Vec3{0, 0, 2});
    EXPECT_NEAR(rows[5].acceleration, 7.0f, 1e-5f);
}

TEST_F(HingeRows, FixedAngleServoReachesTargetWithinOneStep) {
    hinge->SetFixedAngle(30 * kDeg);
    hinge->SetFixedAngleEnabled(true);
    std::vector<Row> rows = Submit(0);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[5].error, 0.0f);
    EXPECT_NEAR(rows[5].acceleration, 30 * kDeg * 60 * 60, 0.5f);
    rows = Submit(30, Vec3{0, 0, 1});
    EXPECT_NEAR(rows[5].acceleration, -60.0f, 1e-2f); // on target: only the spin is removed
}

namespace {

class UpVectorRows : public ::testing::Test {
  protected:
    void SetUp() override {
        TqpCollision* box =
            world.AdoptCollision(TqpCollision::CreateBySize(world.Newton(), 1, Vec3{1, 1, 1}));
        TqpCollision* list[1] = {box};
        body = TqpBody::Create(world, list, 1);
        body->SetMass(1.0f);
        body->SetMatrix(MatrixTranslation(Vec3{1, 2, 3}));
        joint = new TqpJointUpVector(body->Newton(), Vec3{0, 1, 0});
    }
    void TearDown() override { TqpJointBase::Destroy(joint); }

    std::vector<Row> Submit(const Mat4& bodyMatrix) {
        JointBodyState state;
        state.childMatrix = bodyMatrix;
        RowRecorder recorder;
        joint->SubmitConstraints(state, recorder);
        return recorder.rows;
    }

    TqpWorld world;
    TqpBody* body = nullptr;
    TqpJointUpVector* joint = nullptr;
};

} // namespace

TEST_F(UpVectorRows, AlignedAxisGivesTwoZeroErrorRowsAboutTheOtherAxes) {
    const std::vector<Row> rows = Submit(MatrixTranslation(Vec3{1, 2, 3}));
    ASSERT_EQ(rows.size(), 2u);
    for (const Row& r : rows) {
        EXPECT_TRUE(r.angular);
        EXPECT_EQ(r.error, 0.0f);
        EXPECT_NEAR(VectorDot(r.dir, Vec3{0, 1, 0}), 0.0f, 1e-6f);
    }
    EXPECT_NEAR(VectorDot(rows[0].dir, rows[1].dir), 0.0f, 1e-6f);
}

TEST_F(UpVectorRows, TiltedAxisIsPulledBackByItsAngle) {
    // Tilting the body 20 degrees about X moves its y axis towards +Z.
    const std::vector<Row> rows = Submit(MatrixRotX(20 * kDeg));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_NEAR(rows[0].error, 20 * kDeg, 1e-4f);
    ExpectVecNear(rows[0].dir, Vec3{-1, 0, 0}); // A.front x B.front
    EXPECT_EQ(rows[1].error, 0.0f);
    EXPECT_NEAR(VectorDot(rows[1].dir, rows[0].dir), 0.0f, 1e-5f);
    EXPECT_NEAR(VectorDot(rows[1].dir, Vec3{0, 1, 0}), 0.0f, 1e-5f);
}
