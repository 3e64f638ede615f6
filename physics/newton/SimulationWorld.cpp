#include "physics/newton/SimulationWorld.h"

#include "physics/newton/CollisionShape.h"
#include "physics/newton/Joint.h"
#include "physics/newton/RigidBody.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quarn::newton {

LayerDynamicsWorld::LayerDynamicsWorld(NewtonWorld& owner, btDispatcher* dispatcher,
                                       btBroadphaseInterface* broadphase,
                                       btConstraintSolver* solver,
                                       btCollisionConfiguration* configuration)
    : btDiscreteDynamicsWorld(dispatcher, broadphase, solver, configuration), owner_(owner) {}

void LayerDynamicsWorld::solveConstraints(btContactSolverInfo& solverInfo) {
    owner_.BeforeSolve();
    btDiscreteDynamicsWorld::solveConstraints(solverInfo);
}

void LayerDynamicsWorld::updateActivationState(btScalar) {
    owner_.UpdateSleep();
}

namespace {

// Bullet's one hook for new contact points is process-wide; it only touches contacts with a
// tree body (flagged CF_CUSTOM_MATERIAL_CALLBACK), which only this layer creates. Bullet's
// convex-versus-mesh pass always reports the mesh triangle as the second object.
bool CorrectTreeEdgeContact(btManifoldPoint& point, const btCollisionObjectWrapper* object0, int,
                            int, const btCollisionObjectWrapper* object1, int part1, int index1) {
    btAdjustInternalEdgeContacts(point, object1, object0, part1, index1);
    return false;
}

bool HasExplicitTangents(const btPersistentManifold& m) {
    for (int i = 0; i < m.getNumContacts(); ++i)
        if (m.getContactPoint(i).m_contactPointFlags & BT_CONTACT_FLAG_LATERAL_FRICTION_INITIALIZED)
            return true;
    return false;
}

} // namespace

void LayerSolver::convertContacts(btPersistentManifold** manifolds, int count,
                                  const btContactSolverInfo& info) {
    if (settingsPending_) {
        // No contact pass ran, so no point has tangents of its own: one friction direction.
        // Each manifold is set up just before it is converted, while its points are in cache.
        for (int i = 0; i < count; ++i) {
            ApplyPairSettings(pendingSettings_, *manifolds[i]);
            convertContact(manifolds[i], info);
        }
        return;
    }
    withTangents_ = info;
    withTangents_.m_solverMode |= SOLVER_USE_2_FRICTION_DIRECTIONS;
    for (int i = 0; i < count; ++i) {
        const bool tangents = HasExplicitTangents(*manifolds[i]);
        btSequentialImpulseConstraintSolver::convertContacts(&manifolds[i], 1,
                                                             tangents ? withTangents_ : info);
    }
}

} // namespace quarn::newton

namespace {

// The body list is walked between Bullet's passes over its own data, which push it out of
// the cache: the next body is fetched while this one is handled.
void PrefetchNext(const NewtonBody& body) {
    __builtin_prefetch(body.next);
}

} // namespace

NewtonWorld::NewtonWorld() : dynamics(*this, &dispatcher, &broadphase, &solver, &configuration) {
    dynamics.setGravity(btVector3(0, 0, 0));
    gContactAddedCallback = &quarn::newton::CorrectTreeEdgeContact;
    // Several points per touching pair from the start, so faces rest flat.
    configuration.setConvexConvexMultipointIterations(3, 3);
    configuration.setPlaneConvexMultipointIterations(3, 3);
    btContactSolverInfo& info = dynamics.getSolverInfo();
    info.m_numIterations = 20;
    // Explicit tangents and tangent motions (conveyors) need Bullet's friction caching; with
    // one friction direction Bullet never marks a point's tangents itself.
    info.m_solverMode |= SOLVER_ENABLE_FRICTION_DIRECTION_CACHING;
    info.m_solverMode &= ~SOLVER_USE_2_FRICTION_DIRECTIONS;
}

NewtonWorld::~NewtonWorld() {
    updating = false;
    DestroyAllBodies();
    while (!joints.empty())
        FreeJoint(joints.back());
    // Shapes the caller never released: no reference can be honoured after this.
    std::vector<NewtonCollision*> leftovers(shapes.begin(), shapes.end());
    shapes.clear();
    for (NewtonCollision* shape : leftovers) {
        shape->world = nullptr;
        shape->children.clear(); // each is a leftover itself
    }
    for (NewtonCollision* shape : leftovers)
        delete shape;
}

bool NewtonWorld::Inside(const btVector3& p) const {
    return p.x() >= worldMin.x() && p.y() >= worldMin.y() && p.z() >= worldMin.z() &&
           p.x() <= worldMax.x() && p.y() <= worldMax.y() && p.z() <= worldMax.z();
}

void NewtonWorld::AddBody(NewtonBody* body) {
    body->previous = lastBody;
    if (lastBody)
        lastBody->next = body;
    else
        firstBody = body;
    lastBody = body;
    ++bodyCount;
    // Nothing reads Bullet's world between updates, so a body joins it when the next update
    // starts (or after the current step): by then the host has placed and weighed it, and
    // Bullet files it once, where it is, instead of at the origin and again on every move.
    // Bodies created in place give better ordered contacts, and bulk creation stays linear.
    body->pendingSlot = static_cast<int>(pendingBodies.size());
    pendingBodies.push_back(body);
}

void NewtonWorld::JoinPendingBodies() {
    for (NewtonBody* body : pendingBodies) {
        if (!body) continue; // freed before it joined
        body->pendingSlot = -1;
        dynamics.addRigidBody(body->rigid.get());
        body->rigid->setGravity(btVector3(0, 0, 0));
        body->inWorld = true;
    }
    pendingBodies.clear();
}

void NewtonWorld::AttachJoint(NewtonJoint* joint) {
    if (stepping)
        pendingJoints.push_back(joint);
    else
        joint->Attach();
}

void NewtonWorld::DestroyBody(NewtonBody* body) {
    if (!body || body->dying) return;
    if (updating) {
        if (!body->pendingDestroy) {
            body->pendingDestroy = true;
            deferred.push_back(body);
        }
        return;
    }
    FreeBody(body);
}

void NewtonWorld::FreeBody(NewtonBody* body) {
    body->dying = true;
    while (!body->joints.empty())
        FreeJoint(body->joints.back());
    if (body->destructor) body->destructor(body);
    if (body->inWorld) dynamics.removeRigidBody(body->rigid.get());
    if (body->pendingSlot >= 0) pendingBodies[size_t(body->pendingSlot)] = nullptr;
    body->inWorld = false;
    if (body->previous)
        body->previous->next = body->next;
    else
        firstBody = body->next;
    if (body->next)
        body->next->previous = body->previous;
    else
        lastBody = body->previous;
    --bodyCount;
    delete body;
}

void NewtonWorld::DestroyJoint(NewtonJoint* joint) {
    if (!joint || joint->dying) return;
    if (updating) {
        joint->dying = true;
        deferredJoints.push_back(joint);
        return;
    }
    FreeJoint(joint);
}

void NewtonWorld::FreeJoint(NewtonJoint* joint) {
    joint->dying = true;
    if (joint->destructor) joint->destructor(joint);
    joint->Detach();
    quarn::newton::UnlinkJoint(*joint);
    joints.erase(std::remove(joints.begin(), joints.end(), joint), joints.end());
    delete joint;
}

void NewtonWorld::DestroyAllBodies() {
    if (updating) {
        for (NewtonBody* b = firstBody; b; b = b->next)
            DestroyBody(b);
        return;
    }
    while (firstBody)
        FreeBody(firstBody);
}

void NewtonWorld::FreeDeferred() {
    // Swap out first: a destructor may destroy more.
    while (!deferredJoints.empty() || !deferred.empty()) {
        if (!deferredJoints.empty()) {
            NewtonJoint* joint = deferredJoints.back();
            deferredJoints.pop_back();
            FreeJoint(joint);
            continue;
        }
        NewtonBody* body = deferred.back();
        deferred.pop_back();
        FreeBody(body);
    }
}

void NewtonWorld::ApplyForces() {
    for (NewtonBody* b = firstBody; b; b = b->next) {
        PrefetchNext(*b);
        b->force.setZero();
        b->torque.setZero();
        if (b->pendingDestroy || !b->IsAwake()) continue;
        if (b->forceCallback) b->forceCallback(b);
        b->FlushForces();
    }
}

void NewtonWorld::BeforeSolve() {
    material.timestep = timestep;
    // With no callbacks the pass would only copy the pair settings into every point; the
    // solver does that as it converts the points of the awake islands, one walk fewer.
    if (quarn::newton::HasListeners(material)) {
        solver.ClearPendingSettings();
        quarn::newton::RunContactPass(material, dispatcher, manifoldScratch);
    } else {
        solver.SetPendingSettings(quarn::newton::SettingsOf(material));
    }
    for (size_t i = 0; i < joints.size(); ++i)
        if (!joints[i]->dying) joints[i]->BeforeSolve(timestep);
}

void NewtonWorld::UpdateSleep() {
    for (NewtonBody* b = firstBody; b; b = b->next) {
        PrefetchNext(*b);
        if (!b->IsDynamic() || b->outsideWorld) continue;
        btRigidBody& rigid = *b->rigid;
        const int state = rigid.getActivationState();
        if (state == DISABLE_SIMULATION || state == DISABLE_DEACTIVATION) continue;
        // Bullet's own rule, with the body's quiet-frame count in place of its timer.
        if (b->autoFreeze && b->UpdateQuiet()) {
            if (state == ACTIVE_TAG) rigid.setActivationState(WANTS_DEACTIVATION);
            if (state == ISLAND_SLEEPING) {
                rigid.setLinearVelocity(btVector3(0, 0, 0));
                rigid.setAngularVelocity(btVector3(0, 0, 0));
            }
        } else {
            rigid.setActivationState(ACTIVE_TAG);
        }
    }
}

// One walk over the bodies after the step: bodies that left the world stop (and come back
// to life when moved inside again), then the transform callbacks see every changed pose.
void NewtonWorld::FinishBodies() {
    float matrix[16];
    for (NewtonBody* b = firstBody; b; b = b->next) {
        PrefetchNext(*b);
        if (b->IsDynamic()) FreezeIfEscaped(*b);
        if (!b->transformCallback || b->pendingDestroy) continue;
        quarn::newton::MatrixFromTransform(b->BodyFrame(), matrix);
        // Bitwise: any change at all is reported.
        // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison)
        if (std::memcmp(matrix, b->reported, sizeof matrix) == 0) continue;
        std::memcpy(b->reported, matrix, sizeof matrix);
        b->transformCallback(b, b->reported);
    }
}

void NewtonWorld::FreezeIfEscaped(NewtonBody& b) {
    const bool inside = Inside(b.rigid->getCenterOfMassPosition());
    if (!b.outsideWorld && !inside) {
        b.outsideWorld = true;
        b.rigid->forceActivationState(DISABLE_SIMULATION);
        b.rigid->setLinearVelocity(btVector3(0, 0, 0));
        b.rigid->setAngularVelocity(btVector3(0, 0, 0));
    } else if (b.outsideWorld && inside) {
        b.outsideWorld = false;
        b.rigid->forceActivationState(b.autoFreeze ? ACTIVE_TAG : DISABLE_DEACTIVATION);
        b.Wake();
    }
}

void NewtonWorld::Update(float h) {
    if (updating || !(h > 0) || !std::isfinite(h)) return;
    updating = true;
    // Whatever escapes a callback must not leave the world marked as updating for ever.
    struct EndUpdate {
        NewtonWorld& world;
        ~EndUpdate() {
            world.stepping = false;
            world.updating = false;
        }
    } end{*this};
    timestep = h;
    JoinPendingBodies();
    ApplyForces();
    JoinPendingBodies(); // made by force callbacks: their forces are already applied
    stepping = true;
    dynamics.stepSimulation(h, 0, h);
    stepping = false;
    JoinPendingBodies();
    for (NewtonJoint* joint : pendingJoints)
        joint->Attach();
    pendingJoints.clear();
    FinishBodies();
    updating = false;
    FreeDeferred();
}
