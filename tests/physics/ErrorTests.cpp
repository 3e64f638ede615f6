// Bad input at the boundary: refused with a message, nothing in the world changes.
#include "PhysicsTestScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

using namespace physics_test;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

std::string LastError() {
    const char* e = qpGetLastError();
    return e ? e : "";
}

class PhysicsErrors : public ::testing::Test {
  protected:
    void SetUp() override {
        qpClearLastError();
        world = qpWorldCreate();
        body = AddBox(world, TQUARNVector{1, 1, 1}, 1, TQUARNVector{0, 0, 0});
    }
    void TearDown() override { qpWorldDestroy(world); }
    TqpWorldHandle world = nullptr;
    TqpBodyHandle body = nullptr;
};

} // namespace

TEST_F(PhysicsErrors, NilHandlesFailWithTheExportsName) {
    EXPECT_EQ(qpGetLastError(), nullptr);
    qpWorldStep(nullptr, 0.1f, 1, 60);
    EXPECT_EQ(LastError(), "qpWorldStep: world is nil");
    qpClearLastError();
    EXPECT_EQ(qpGetLastError(), nullptr);
    EXPECT_EQ(qpBodyGetMass(nullptr), 0.0f);
    EXPECT_EQ(LastError(), "qpBodyGetMass: body is nil");
    TQUARNVector r{7, 7, 7};
    EXPECT_EQ(qpBodyGetForce(&r, nullptr), nullptr);
    EXPECT_EQ(r.x, 7.0f);
    EXPECT_EQ(qpBodyGetForce(nullptr, body), nullptr);
    EXPECT_EQ(LastError(), "qpBodyGetForce: result is nil");
}

TEST_F(PhysicsErrors, NonFiniteVectorsAndMatricesAreRefusedAndLeaveTheBodyAlone) {
    const TQUARNVector bad{kNaN, 0, 0};
    qpBodyAddForce(body, &bad);
    EXPECT_EQ(LastError(), "qpBodyAddForce: force is not a finite vector");
    TQUARNVector f;
    qpBodyGetForce(&f, body);
    EXPECT_EQ(f.x, 0.0f);

    TqpMatrix m = Translation(TQUARNVector{0, kInf, 0});
    qpBodySetMatrix(body, &m);
    EXPECT_EQ(LastError(), "qpBodySetMatrix: matrix is not a finite matrix");
    EXPECT_EQ(Position(body).y, 0.0f);

    const TQUARNVector infVelocity{0, 0, -kInf};
    qpBodySetVelocity(body, &infVelocity);
    qpBodySetMass(body, kNaN);
    EXPECT_EQ(qpBodyGetMass(body), 1.0f);
    qpWorldStep(world, kNaN, 1, 60);
    EXPECT_EQ(LastError(), "qpWorldStep: time delta is not a finite number");
    qpWorldStep(world, 0.1f, 1, 60);
    const TQUARNVector p = Position(body);
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
    EXPECT_EQ(Velocity(body).z, 0.0f);
}

TEST_F(PhysicsErrors, FixedStepsNeedAPositiveRate) {
    qpBodySetAutoFreeze(body, 0);
    const TQUARNVector v{1, 0, 0};
    qpBodySetVelocity(body, &v);
    qpWorldStep(world, 0.1f, 1, -60); // would never finish
    EXPECT_EQ(LastError(), "qpWorldStep: steps per second must be positive in fixed mode");
    qpWorldStep(world, 0.1f, 1, 0);
    EXPECT_NE(qpGetLastError(), nullptr);
    EXPECT_EQ(Position(body).x, 0.0f);
    qpClearLastError();
    qpWorldStep(world, 0.1f, 0, -60); // the rate does not matter in variable mode
    EXPECT_EQ(qpGetLastError(), nullptr);
    EXPECT_NEAR(Position(body).x, 0.1f, 1e-3f);
}

TEST_F(PhysicsErrors, StepClocksRefuseANonFiniteRateAndAnswerZero) {
    qpWorldStep(world, 0.1f, 1, 60);
    for (float rate : {kNaN, kInf, -kInf}) {
        qpClearLastError();
        EXPECT_EQ(qpWorldGetTimeUntilNextStep(world, rate), 0.0f);
        EXPECT_EQ(LastError(),
                  "qpWorldGetTimeUntilNextStep: steps per second is not a finite number");
        qpClearLastError();
        EXPECT_EQ(qpWorldGetAlphaTimeUntilNextStep(world, rate), 0.0f);
        EXPECT_EQ(LastError(),
                  "qpWorldGetAlphaTimeUntilNextStep: steps per second is not a finite number");
    }
    qpClearLastError();
    qpWorldGetTimeUntilNextStep(world, 0.5f); // below 1: 0 without an error, as before
    EXPECT_EQ(qpGetLastError(), nullptr);
}

TEST_F(PhysicsErrors, NegativeMassIsRefused) {
    qpBodySetMass(body, -1);
    EXPECT_EQ(LastError(), "qpBodySetMass: mass must not be negative");
    EXPECT_EQ(qpBodyGetMass(body), 1.0f);
}

TEST_F(PhysicsErrors, SizePathRefusesKindsThatNeedFacesAndUnknownKinds) {
    const TQUARNVector size{1, 1, 1};
    EXPECT_EQ(qpCollisionCreateBySize(world, QP_COLLISION_CONVEX_HULL, &size), nullptr);
    EXPECT_EQ(LastError(), "Collision kind 2 needs face data");
    EXPECT_EQ(qpCollisionCreateBySize(world, QP_COLLISION_TREE, &size), nullptr);
    EXPECT_EQ(qpCollisionCreateBySize(world, 9, &size), nullptr);
    EXPECT_EQ(LastError(), "Unknown collision kind (9)");
    EXPECT_EQ(qpCollisionCreateByFace(world, QP_COLLISION_TREE, nullptr), nullptr);
    // A nil face pointer is the size path with a zero size: a shape without volume.
    EXPECT_EQ(qpCollisionCreateByFace(world, QP_COLLISION_BOX, nullptr), nullptr);
    EXPECT_EQ(LastError(), "Collision size must be positive (0, 0, 0 given)");
    const TQUARNVector flat{1, 0, 1};
    EXPECT_EQ(qpCollisionCreateBySize(world, QP_COLLISION_BOX, &flat), nullptr);
}

TEST_F(PhysicsErrors, FaceDataIsCheckedBeforeAnythingIsBuilt) {
    Mesh mesh = FloorMesh(5, 0);
    mesh.faces[1].c = 4; // one past the last vertex
    FaceData bad(mesh);
    EXPECT_EQ(qpCollisionCreateByFace(world, QP_COLLISION_TREE, bad.get()), nullptr);
    EXPECT_EQ(LastError(), "Face 1 refers to vertex 4 of 4");

    FaceData ok(FloorMesh(5, 0));
    TQUARNFaceData lying = *ok.get();
    lying.VertexCount = 1000; // more than the array holds
    EXPECT_EQ(qpCollisionCreateByFace(world, QP_COLLISION_CONVEX_HULL, &lying), nullptr);
    EXPECT_EQ(LastError(), "Face data claims 1000 vertices but its array holds 4");
    lying = *ok.get();
    lying.FaceCount = 3;
    EXPECT_EQ(qpCollisionCreateByFace(world, QP_COLLISION_TREE, &lying), nullptr);
    EXPECT_EQ(LastError(), "Face data claims 3 faces but its array holds 2");
    lying = *ok.get();
    lying.FaceCount = -1;
    EXPECT_EQ(qpCollisionCreateByFace(world, QP_COLLISION_TREE, &lying), nullptr);
    lying = *ok.get();
    lying.Vertices = nullptr;
    EXPECT_EQ(qpCollisionCreateByFace(world, QP_COLLISION_BOX, &lying), nullptr);
    EXPECT_EQ(LastError(), "Face data has no vertex array");

    Mesh flat = FloorMesh(5, 0); // four coplanar points: no volume
    FaceData hull(flat);
    EXPECT_EQ(qpCollisionCreateByFace(world, QP_COLLISION_CONVEX_HULL, hull.get()), nullptr);
    EXPECT_NE(qpGetLastError(), nullptr);
}

TEST_F(PhysicsErrors, BodyCreateTakesOneCollisionAndCompoundsTakeAnArray) {
    const TQUARNVector size{1, 1, 1};
    TqpCollisionHandle box = qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size);
    EXPECT_EQ(qpBodyCreate(world, 2, box), nullptr);
    EXPECT_EQ(LastError(), "qpBodyCreate: takes exactly one collision (2 given); use "
                           "qpBodyCreateCompound for several");
    EXPECT_EQ(qpBodyCreate(world, 1, nullptr), nullptr);
    EXPECT_EQ(LastError(), "qpBodyCreate: collision is nil");
    TqpCollisionHandle withNil[2] = {box, nullptr};
    EXPECT_EQ(qpBodyCreateCompound(world, 2, withNil), nullptr);
    EXPECT_EQ(LastError(), "Collision 1 is nil");
    EXPECT_EQ(qpBodyCreateCompound(world, 0, withNil), nullptr);
    EXPECT_NE(qpBodyCreateCompound(world, 1, withNil), nullptr);
}

TEST_F(PhysicsErrors, ExplosionNeedsAPositiveCharge) {
    const TQUARNVector centre{3, 0, 0};
    qpWorldExplode(world, &centre, 0.0f, 1, 1);
    EXPECT_EQ(LastError(), "The charge of an explosion must be positive");
    qpWorldExplode(world, &centre, -5.0f, 1, 1);
    qpWorldExplode(world, &centre, 1.0f, kNaN, 1);
    TQUARNVector f;
    qpBodyGetForce(&f, body);
    EXPECT_EQ(f.x, 0.0f);
}

TEST_F(PhysicsErrors, TreeBodiesStayStatic) {
    TqpBodyHandle floor = AddTreeFloor(world, 5, 0);
    qpBodySetMass(floor, 10);
    EXPECT_EQ(LastError(), "qpBodySetMass: a tree collision body is always static");
    EXPECT_EQ(qpVehicleCreate(floor), nullptr);
}

TEST_F(PhysicsErrors, UpVectorExportsIgnoreANilJoint) {
    const TQUARNVector pin{0, 1, 0};
    qpJointSetUpVectorPin(nullptr, &pin);
    qpJointDestroyUpVector(nullptr);
    TQUARNVector r{5, 5, 5};
    EXPECT_EQ(qpJointGetUpVectorPin(&r, nullptr), &r);
    EXPECT_EQ(r.x, 5.0f);
    EXPECT_EQ(qpGetLastError(), nullptr);
}

TEST_F(PhysicsErrors, JointsRefuseZeroPinsAndWrongKinds) {
    TqpBodyHandle other = AddBox(world, TQUARNVector{1, 1, 1}, 1, TQUARNVector{2, 0, 0});
    const TQUARNVector pivot{1, 0, 0}, zero{0, 0, 0}, pin{0, 0, 1};
    EXPECT_EQ(qpJointCreateHinge(body, other, &pivot, &zero), nullptr);
    EXPECT_EQ(LastError(), "qpJointCreateHinge: pin has zero length");
    EXPECT_EQ(qpJointCreateHinge(body, body, &pivot, &pin), nullptr);
    TqpJointHandle up = qpJointCreateUpVector(other, &pin);
    ASSERT_NE(up, nullptr);
    qpJointSetHingeLimitsEnabled(up, 1);
    EXPECT_EQ(LastError(), "qpJointSetHingeLimitsEnabled: the joint is not a hinge");
    qpJointDestroy(up);
}

// Finite forces can still add up past the float range; such a force is refused and the body
// keeps what it had, so its getters and the next step stay finite.
TEST_F(PhysicsErrors, ForcesWhoseSumsWouldOverflowAreRefusedAndChangeNothing) {
    const float big = std::numeric_limits<float>::max();
    const TQUARNVector huge{big, 0, 0};
    const TQUARNVector origin{0, 0, 0};
    qpBodyAddGlobalForce(body, &origin, &huge);
    EXPECT_EQ(qpGetLastError(), nullptr);
    qpBodyAddGlobalForce(body, &origin, &huge);
    EXPECT_EQ(LastError(),
              "qpBodyAddGlobalForce: the force would make the body's force sum overflow");
    TQUARNVector f{};
    qpBodyGetForce(&f, body);
    EXPECT_EQ(f.x, big);

    const TQUARNVector farPoint{0, big, 0};
    qpBodySetGlobalForce(body, &origin);
    qpBodyAddGlobalForce(body, &farPoint, &huge); // its lever arm's torque overflows
    EXPECT_EQ(LastError(),
              "qpBodyAddGlobalForce: the force would make the body's force sum overflow");
    TQUARNVector t{1, 1, 1};
    qpBodyGetTorque(&t, body);
    qpBodyGetForce(&f, body);
    EXPECT_EQ(f.x, 0.0f);
    EXPECT_EQ(t.z, 0.0f);

    qpBodyAddGlobalTorque(body, &huge);
    qpClearLastError();
    qpBodyAddLocalTorque(body, &huge);
    EXPECT_EQ(LastError(),
              "qpBodyAddLocalTorque: the torque would make the body's torque sum overflow");
    qpBodyGetTorque(&t, body);
    EXPECT_EQ(t.x, big);
}
