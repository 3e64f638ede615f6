// A body: a Bullet rigid body whose reported frame is the body frame (the centre of mass may
// sit elsewhere in it), with the Newton-style callbacks and per-update force accumulators.
#pragma once

#include "physics/newton/Newton.h"

#include <btBulletDynamicsCommon.h>

#include <memory>
#include <vector>

// Every update walks all bodies three times (forces, sleep, transforms) between Bullet's
// passes over its own data: the fields those walks read come first and fill two cache lines,
// the reported matrix the third.
struct alignas(64) NewtonBody {
    NewtonBody* next = nullptr; // the world's body list, in creation order
    std::unique_ptr<btRigidBody> rigid;
    float mass = 0;
    bool autoFreeze = true;
    bool outsideWorld = false;
    bool pendingDestroy = false; // destroyed during an update: freed when it ends
    bool inWorld = false;
    NewtonApplyForceAndTorque forceCallback = nullptr;
    NewtonSetTransform transformCallback = nullptr;
    void* userData = nullptr;
    int quietFrames = 0;

    btVector3 force{0, 0, 0};
    btVector3 torque{0, 0, 0};
    btVector3 centreOfMass{0, 0, 0};
    float freezeSpeed2 = 0.01f;
    float freezeOmega2 = 0.01f;
    int freezeFrames = 10;

    float reported[16] = {}; // the matrix the transform callback saw last

    NewtonWorld* world = nullptr;
    NewtonCollision* collision = nullptr;
    // Holds the shape at -centreOfMass when the centre of mass is not the body origin.
    std::unique_ptr<btCompoundShape> centredShape;
    btVector3 inertia{0, 0, 0};
    NewtonBodyDestructor destructor = nullptr;
    bool dying = false;
    std::vector<NewtonJoint*> joints;
    NewtonBody* previous = nullptr;
    int pendingSlot = -1; // index in the world's bodies waiting to join Bullet's world

    NewtonBody(NewtonWorld* owner, NewtonCollision* shape);
    ~NewtonBody();
    NewtonBody(const NewtonBody&) = delete;
    NewtonBody& operator=(const NewtonBody&) = delete;

    bool IsDynamic() const { return mass > 0; }
    bool IsAwake() const;
    btTransform BodyFrame() const;
    void SetBodyFrame(const btTransform& frame);
    void SetMassMatrix(float m, float ixx, float iyy, float izz);
    void SetCentreOfMass(const btVector3& com);
    void SetAutoFreeze(bool on);
    void SetCoriolis(bool on);
    void SetContinuous(bool on);
    void Wake();
    // Applies this update's accumulated force and torque to the Bullet body.
    void FlushForces();
    // Counts quiet frames after a step; true when the body may sleep.
    bool UpdateQuiet();

    static NewtonBody* FromBullet(const btCollisionObject* object) {
        return static_cast<NewtonBody*>(object->getUserPointer());
    }
};
