#include "physics/newton/RigidBody.h"

#include "physics/newton/CollisionShape.h"
#include "physics/newton/SimulationWorld.h"

#include <algorithm>

namespace {

btTransform Shift(const btVector3& offset) {
    btTransform t = btTransform::getIdentity();
    t.setOrigin(offset);
    return t;
}

// Bullet keeps gravity of its own; the layer's forces all come from the force callback.
constexpr int kBaseFlags = BT_DISABLE_WORLD_GRAVITY;

} // namespace

NewtonBody::NewtonBody(NewtonWorld* owner, NewtonCollision* shape)
    : world(owner), collision(shape) {
    quarn::newton::AddReference(*collision);
    ++collision->bodyUsers;
    btRigidBody::btRigidBodyConstructionInfo info(0, nullptr, collision->Shape());
    info.m_friction = 0.5;
    info.m_restitution = 0;
    rigid = std::make_unique<btRigidBody>(info);
    rigid->setUserPointer(this);
    rigid->setFlags(kBaseFlags);
    rigid->setGravity(btVector3(0, 0, 0));
    rigid->setSleepingThresholds(0, 0); // the layer runs its own sleep rule
    // New contacts on a tree get their normals corrected at shared edges (see the world).
    if (collision->kind == ShapeKind::Tree)
        rigid->setCollisionFlags(rigid->getCollisionFlags() |
                                 btCollisionObject::CF_CUSTOM_MATERIAL_CALLBACK);
    quarn::newton::MatrixFromTransform(BodyFrame(), reported);
}

NewtonBody::~NewtonBody() {
    rigid.reset();
    centredShape.reset();
    --collision->bodyUsers;
    quarn::newton::ReleaseReference(collision);
}

bool NewtonBody::IsAwake() const {
    const int state = rigid->getActivationState();
    return IsDynamic() && !outsideWorld && state != ISLAND_SLEEPING && state != DISABLE_SIMULATION;
}

btTransform NewtonBody::BodyFrame() const {
    if (centreOfMass.isZero()) return rigid->getWorldTransform();
    return rigid->getWorldTransform() * Shift(-centreOfMass);
}

void NewtonBody::SetBodyFrame(const btTransform& frame) {
    const btTransform com = frame * Shift(centreOfMass);
    rigid->setWorldTransform(com);
    rigid->setInterpolationWorldTransform(com);
    // The next update reports a change from this pose: one that brings the body back to the
    // pose reported before the move must not pass as no change.
    quarn::newton::MatrixFromTransform(BodyFrame(), reported);
    if (world && inWorld) world->dynamics.updateSingleAabb(rigid.get());
    if (outsideWorld && world && world->Inside(com.getOrigin())) {
        outsideWorld = false;
        rigid->forceActivationState(autoFreeze ? ACTIVE_TAG : DISABLE_DEACTIVATION);
    }
    Wake();
}

void NewtonBody::SetMassMatrix(float m, float ixx, float iyy, float izz) {
    const bool wasDynamic = IsDynamic();
    // A tree is a static mesh in Bullet: it cannot move.
    const float newMass = collision->kind == ShapeKind::Tree || !(m > 0) ? 0.0f : m;
    const bool reAdd = inWorld && wasDynamic != (newMass > 0);
    // Bullet's body arrays cannot change inside its step (contact and joint callbacks).
    if (reAdd && world->stepping) return;
    mass = newMass;
    inertia = mass > 0 ? btVector3(std::max(ixx, 0.0f), std::max(iyy, 0.0f), std::max(izz, 0.0f))
                       : btVector3(0, 0, 0);
    if (reAdd) world->dynamics.removeRigidBody(rigid.get());
    rigid->setMassProps(mass, inertia);
    int flags = rigid->getCollisionFlags() & ~btCollisionObject::CF_STATIC_OBJECT;
    if (!IsDynamic()) flags |= btCollisionObject::CF_STATIC_OBJECT;
    rigid->setCollisionFlags(flags);
    rigid->updateInertiaTensor();
    if (!IsDynamic()) {
        rigid->setLinearVelocity(btVector3(0, 0, 0));
        rigid->setAngularVelocity(btVector3(0, 0, 0));
    }
    if (reAdd) {
        world->dynamics.addRigidBody(rigid.get());
        rigid->setGravity(btVector3(0, 0, 0));
    }
    SetAutoFreeze(autoFreeze);
    Wake();
}

void NewtonBody::SetCentreOfMass(const btVector3& com) {
    // A tree never moves, and its edge correction needs the mesh as the body's own shape; the
    // shape cannot be swapped inside Bullet's step.
    if (collision->kind == ShapeKind::Tree || (inWorld && world->stepping)) return;
    const btTransform frame = BodyFrame();
    centreOfMass = com;
    btCollisionShape* shape = collision->Shape();
    if (!com.fuzzyZero()) {
        centredShape = std::make_unique<btCompoundShape>(false, 1);
        centredShape->addChildShape(Shift(-com), collision->Shape());
        shape = centredShape.get();
    }
    const bool wasInWorld = inWorld;
    // Bullet caches the shape in the broadphase proxy: swap it while the body is out.
    if (wasInWorld) {
        world->dynamics.removeRigidBody(rigid.get());
        inWorld = false;
    }
    rigid->setCollisionShape(shape);
    if (com.fuzzyZero()) centredShape.reset();
    SetBodyFrame(frame);
    if (wasInWorld) {
        world->dynamics.addRigidBody(rigid.get());
        rigid->setGravity(btVector3(0, 0, 0));
        inWorld = true;
    }
    Wake();
}

void NewtonBody::SetAutoFreeze(bool on) {
    autoFreeze = on;
    quietFrames = 0;
    if (outsideWorld) return;
    if (!on)
        rigid->forceActivationState(DISABLE_DEACTIVATION);
    else if (rigid->getActivationState() == DISABLE_DEACTIVATION)
        rigid->forceActivationState(ACTIVE_TAG);
}

void NewtonBody::SetCoriolis(bool on) {
    int flags = kBaseFlags;
    if (on) flags |= BT_ENABLE_GYROSCOPIC_FORCE_IMPLICIT_BODY;
    rigid->setFlags(flags);
}

void NewtonBody::SetContinuous(bool on) {
    if (!on) {
        rigid->setCcdMotionThreshold(0);
        rigid->setCcdSweptSphereRadius(0);
        return;
    }
    btVector3 lo, hi;
    collision->Shape()->getAabb(btTransform::getIdentity(), lo, hi);
    const btVector3 size = hi - lo;
    const btScalar smallest = std::max(btScalar(1e-3), std::min({size.x(), size.y(), size.z()}));
    // Sweep once a step moves the body more than half its thinnest size.
    rigid->setCcdMotionThreshold(smallest * btScalar(0.5));
    rigid->setCcdSweptSphereRadius(smallest * btScalar(0.4));
}

void NewtonBody::Wake() {
    quietFrames = 0;
    if (!IsDynamic() || outsideWorld) return;
    if (rigid->getActivationState() != DISABLE_DEACTIVATION)
        rigid->forceActivationState(ACTIVE_TAG);
    rigid->setDeactivationTime(0);
}

void NewtonBody::FlushForces() {
    rigid->applyCentralForce(force);
    rigid->applyTorque(torque);
}

bool NewtonBody::UpdateQuiet() {
    const btScalar v2 = rigid->getLinearVelocity().length2();
    const btScalar w2 = rigid->getAngularVelocity().length2();
    if (v2 < freezeSpeed2 && w2 < freezeOmega2)
        ++quietFrames;
    else
        quietFrames = 0;
    return quietFrames >= freezeFrames;
}
