// A body: a Bullet rigid body whose reported frame is the body frame (the centre of mass may
// sit elsewhere in it), with the Newton-style callbacks and per-update force accumulators.
#pragma once

#include "physics/newton/Newton.h"

#include <btBulletDynamicsCommon.h>

#include <memory>
#include <vector>

struct NewtonBody {
    NewtonWorld* world = nullptr;
    NewtonCollision* collision = nullptr;
    std::unique_ptr<btRigidBody> rigid;
    // Holds the shape at -centreOfMass when the centre of mass is not the body origin.
    std::unique_ptr<btCompoundShape> centredShape;
    btVector3 centreOfMass{0, 0, 0};
    float mass = 0;
    btVector3 inertia{0, 0, 0};

    btVector3 force{0, 0, 0};
    btVector3 torque{0, 0, 0};
    NewtonApplyForceAndTorque forceCallback = nullptr;
    NewtonSetTransform transformCallback = nullptr;
    NewtonBodyDestructor destructor = nullptr;
    void* userData = nullptr;

    bool autoFreeze = true;
    float freezeSpeed2 = 0.01f;
    float freezeOmega2 = 0.01f;
    int freezeFrames = 10;
    int quietFrames = 0;
    bool outsideWorld = false;
    bool pendingDestroy = false; // destroyed during an update: freed when it ends
    bool dying = false;
    bool inWorld = false;

    float reported[16] = {}; // the matrix the transform callback saw last
    std::vector<NewtonJoint*> joints;

    NewtonBody* previous = nullptr; // the world's body list, in creation order
    NewtonBody* next = nullptr;

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
