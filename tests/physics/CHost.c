/* A C99 host that calls every export of libQuarnPhysics once, in header order. It fails when
 * a call that should succeed records an error, or one that should fail does not. */
#include "quarn/QuarnPhysics.h"

#include <stdio.h>

static int failures = 0;

static void Check(int ok, const char* what) {
    if (!ok) {
        const char* e = qpGetLastError();
        fprintf(stderr, "failed: %s (%s)\n", what, e ? e : "no error recorded");
        ++failures;
    }
}

static void NoError(const char* what) {
    Check(qpGetLastError() == NULL, what);
}

static int32_t QUARN_CALL Begin(TqpContactInfo c) {
    return c.Body0 != NULL;
}
static int32_t QUARN_CALL Process(TqpContactInfo c) {
    (void)c;
    return 1;
}
static void QUARN_CALL End(TqpContactInfo c) {
    (void)c;
}
static int polygons = 0;
static void QUARN_CALL Debug(TqpBodyHandle b, int32_t n, TQUARNVectorArray v) {
    (void)b;
    if (QUARN_ARRAY_COUNT(v) == n) ++polygons;
}
static int forces = 0, transforms = 0;
static void QUARN_CALL Force(TqpBodyHandle b) {
    (void)b;
    ++forces;
}
static void QUARN_CALL Transform(TqpBodyHandle b, const TqpMatrix* m) {
    (void)b;
    (void)m;
    ++transforms;
}

int main(void) {
    TQUARNVector v = {1, 1, 1}, r;
    TQUARNVector origin = {0, 0, 0}, up = {0, 1, 0}, axle = {1, 0, 0}, pinZ = {0, 0, 1};
    TqpMatrix m = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 2, 0, 1}};
    TqpMatrix out;
    TQUARNVector big = {1000, 1000, 1000};
    TqpWorldHandle world;
    TqpCollisionHandle box, parts[2];
    TqpBodyHandle body, compound, other;
    TqpJointHandle hinge, upJoint;
    TqpVehicleHandle vehicle;
    TqpTyreHandle tyre;

    qpClearLastError();
    NoError("qpClearLastError");
    world = qpWorldCreate();
    Check(world != NULL, "qpWorldCreate");
    qpWorldSetSize(world, &big);
    qpWorldSetContactBeginCallback(world, Begin);
    qpWorldSetContactProcessCallback(world, Process);
    qpWorldSetContactEndCallback(world, End);
    NoError("world setters");

    box = qpCollisionCreateBySize(world, QP_COLLISION_BOX, &v);
    Check(box != NULL, "qpCollisionCreateBySize");
    parts[0] = box;
    parts[1] = qpCollisionCreateByFace(world, QP_COLLISION_SPHERE, NULL);
    Check(parts[1] == NULL && qpGetLastError() != NULL, "qpCollisionCreateByFace refuses no faces");
    qpClearLastError();
    parts[1] = qpCollisionCreateBySize(world, QP_COLLISION_SPHERE, &v);
    body = qpBodyCreate(world, 1, box);
    Check(body != NULL, "qpBodyCreate");
    compound = qpBodyCreateCompound(world, 2, parts);
    Check(compound != NULL, "qpBodyCreateCompound");
    other = qpBodyCreate(world, 1, box);

    qpBodySetMass(body, 2.0f);
    Check(qpBodyGetMass(body) == 2.0f, "qpBodyGetMass");
    qpBodySetCenterOfMass(body, &origin);
    qpBodyAddForce(body, &v);
    qpBodyAddGlobalForce(body, &origin, &v);
    qpBodyAddLocalForce(body, &origin, &v);
    qpBodySetGlobalForce(body, &v);
    qpBodySetLocalForce(body, &origin, &v);
    Check(qpBodyGetForce(&r, body) == &r && r.x == 1.0f, "qpBodyGetForce");
    qpBodyAddGlobalTorque(body, &v);
    qpBodyAddLocalTorque(body, &v);
    qpBodySetTorque(body, &origin);
    Check(qpBodyGetTorque(&r, body) == &r && r.x == 0.0f, "qpBodyGetTorque");
    qpBodySetVelocity(body, &origin);
    Check(qpBodyGetVelocity(&r, body) == &r, "qpBodyGetVelocity");
    Check(qpBodyGetVelocityAtGlobalPoint(&r, body, &v) == &r, "qpBodyGetVelocityAtGlobalPoint");
    Check(qpBodyGetVelocityAtLocalPoint(&r, body, &v) == &r, "qpBodyGetVelocityAtLocalPoint");
    qpBodySetOmega(body, &origin);
    Check(qpBodyGetOmega(&r, body) == &r, "qpBodyGetOmega");
    qpBodySetMatrix(body, &m);
    Check(qpBodyGetMatrix(&out, body) == &out && out.m[13] == 2.0f, "qpBodyGetMatrix");
    Check(qpBodyGetInterpolatedMatrix(&out, body, 0.5f) == &out && out.m[13] == 2.0f,
          "qpBodyGetInterpolatedMatrix");
    qpBodySetUserData(body, &m);
    Check(qpBodyGetUserData(body) == &m, "qpBodyGetUserData");
    qpBodySetCoriolisForce(body, 1);
    qpBodySetContinuousCollision(body, 1);
    qpBodySetAutoFreeze(body, 0);
    qpBodySetFreezeThreshold(body, 0.01f, 0.01f, 10);
    qpBodySetForceAndTorqueCallback(body, Force);
    qpBodySetTransformCallback(body, Transform);
    NoError("body calls");

    hinge = qpJointCreateHinge(other, body, &origin, &pinZ);
    Check(hinge != NULL, "qpJointCreateHinge");
    qpJointSetHingeLimitsEnabled(hinge, 1);
    qpJointSetHingeLimits(hinge, -30, 30);
    qpJointSetHingeMotorEnabled(hinge, 1);
    qpJointSetHingeMotorAccel(hinge, 1, 0.5f);
    qpJointSetHingeFixedAngleEnabled(hinge, 1);
    qpJointSetHingeFixedAngle(hinge, 10);
    upJoint = qpJointCreateUpVector(compound, &up);
    Check(upJoint != NULL, "qpJointCreateUpVector");
    qpJointSetUpVectorPin(upJoint, &up);
    Check(qpJointGetUpVectorPin(&r, upJoint) == &r && r.y == 1.0f, "qpJointGetUpVectorPin");
    NoError("joint calls");

    vehicle = qpVehicleCreate(compound);
    Check(vehicle != NULL, "qpVehicleCreate");
    tyre = qpVehicleAddTyre(vehicle, &v, &axle, 1, 0.2f, 0.3f, 5, 50, 0.2f);
    Check(tyre != NULL, "qpVehicleAddTyre");
    qpVehicleSetTyreTorque(tyre, 1);
    qpVehicleSetTyreSteerAngle(tyre, 5);
    NoError("vehicle calls");

    qpWorldStep(world, 1.0f / 60.0f, 1, 60);
    qpWorldStep(world, 1.0f / 60.0f, 0, 60);
    Check(forces == 2 && transforms == 2, "body callbacks ran once per update");
    Check(qpWorldGetTimeUntilNextStep(world, 60) <= 1.0f / 60.0f, "qpWorldGetTimeUntilNextStep");
    Check(qpWorldGetAlphaTimeUntilNextStep(world, 60) <= 1.0f, "qpWorldGetAlphaTimeUntilNextStep");
    Check(qpWorldGetElapsedTime(world) >= 0.0f, "qpWorldGetElapsedTime");
    Check(qpWorldGetLastStepTime(world) >= 0.0f, "qpWorldGetLastStepTime");
    Check(qpWorldGetAveragedStepTime(world) >= 0.0f, "qpWorldGetAveragedStepTime");
    qpWorldDebug(world, Debug);
    Check(polygons >= 6, "qpWorldDebug");
    qpWorldExplode(world, &origin, 1, 1, 1);
    NoError("world calls");

    /* Only valid inside a contact callback; a nil material is refused. */
    qpMaterialSetContactTangentDirection(NULL, &axle);
    Check(qpGetLastError() != NULL, "qpMaterialSetContactTangentDirection refuses nil");
    qpClearLastError();
    qpMaterialSetContactTangentAcceleration(NULL, 1, 0);
    Check(qpGetLastError() != NULL, "qpMaterialSetContactTangentAcceleration refuses nil");
    qpClearLastError();

    qpJointDestroy(hinge);
    qpJointDestroyUpVector(upJoint);
    qpBodyDestroy(other);
    qpWorldStep(world, 0, 1, 60);
    qpWorldDestroy(world);
    NoError("teardown");

    if (failures == 0) printf("all exports called\n");
    return failures == 0 ? 0 : 1;
}
