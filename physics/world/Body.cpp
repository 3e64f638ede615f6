#include "physics/world/Body.h"

#include "common/EngineError.h"
#include "physics/world/Collision.h"
#include "physics/world/World.h"

#include <exception>
#include <memory>
#include <vector>

namespace quarn {

TqpBody::TqpBody(TqpWorld& world, const NewtonCollision* shape, bool isTree)
    : world_(&world), isTree_(isTree) {
    newton_ = NewtonCreateBody(world.Newton(), shape);
    if (!newton_) throw EngineError("The body could not be created");
    NewtonBodySetUserData(newton_, this);
    if (!isTree_) {
        float inertia[3];
        float origin[3];
        NewtonConvexCollisionCalculateInertialMatrix(shape, inertia, origin);
        unitInertia_ = Vec3{inertia[0], inertia[1], inertia[2]};
        NewtonBodySetForceAndTorqueCallback(newton_, &TqpBody::ForceAndTorqueCallback);
        NewtonBodySetTransformCallback(newton_, &TqpBody::TransformCallback);
    }
    collision_ = NewtonBodyGetCollision(newton_);
    NewtonBodyGetMatrix(newton_, matrix_.m);
    previousMatrix_ = matrix_;
}

TqpBody* TqpBody::Create(TqpWorld& world, TqpCollision* const* collisions, int count) {
    if (count < 1) throw EngineError("A body needs at least one collision");
    world.ReserveBodySlot();
    std::vector<NewtonCollision*> shapes;
    shapes.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const TqpCollision* c = collisions[i];
        if (!c) throw EngineError(Format("Collision %d is nil", i));
        if (!c->Shape()) throw EngineError(Format("Collision %d has no shape", i));
        if (c->World() != world.Newton())
            throw EngineError(Format("Collision %d belongs to another world", i));
        if (c->Kind() == TqpCollision::kTree)
            return world.AdoptBody(std::make_unique<TqpBody>(world, c->Shape(), true));
        shapes.push_back(c->Shape());
    }
    if (count == 1) return world.AdoptBody(std::make_unique<TqpBody>(world, shapes[0], false));
    NewtonCollision* compound = NewtonCreateCompoundCollision(world.Newton(), count, shapes.data());
    if (!compound) throw EngineError("The compound collision could not be created");
    // The body holds its own reference; the compound exists only for it.
    struct Release {
        NewtonWorld* w;
        NewtonCollision* c;
        ~Release() { NewtonReleaseCollision(w, c); }
    } release{world.Newton(), compound};
    return world.AdoptBody(std::make_unique<TqpBody>(world, compound, false));
}

// The solver body goes with the world (or with TqpWorld's release processing), not here.

bool TqpBody::SetMass(float mass) {
    const Vec3 inertia = VectorScale(unitInertia_, mass);
    if (!IsFinite(inertia)) return false;
    const bool wasStatic = mass_ == 0;
    mass_ = mass;
    NewtonBodySetMassMatrix(newton_, mass, inertia.x, inertia.y, inertia.z);
    // A static body keeps no motion in the solver; what the host gave it before it had a mass
    // starts it moving now, as the velocity and spin it reports say.
    if (wasStatic && mass > 0) {
        NewtonBodySetVelocity(newton_, &velocity_.x);
        NewtonBodySetOmega(newton_, &omega_.x);
    }
    return true;
}

void TqpBody::SetCenterOfMass(const Vec3& centre) {
    centreOfMass_ = centre;
    NewtonBodySetCentreOfMass(newton_, &centre.x);
}

bool TqpBody::AddForce(const Vec3& force) {
    const Vec3 sum = VectorAdd(force_, force);
    if (!IsFinite(sum)) return false;
    force_ = sum;
    return true;
}

bool TqpBody::AddGlobalForce(const Vec3& point, const Vec3& force) {
    const Vec3 arm = VectorSubtract(point, Vec3{matrix_.m[12], matrix_.m[13], matrix_.m[14]});
    const Vec3 forceSum = VectorAdd(force_, force);
    const Vec3 torqueSum = VectorAdd(torque_, VectorCross(arm, force));
    if (!IsFinite(forceSum) || !IsFinite(torqueSum)) return false;
    force_ = forceSum;
    torque_ = torqueSum;
    return true;
}

bool TqpBody::AddLocalForce(const Vec3& point, const Vec3& force) {
    return AddGlobalForce(VectorTransformPoint(point, matrix_),
                          VectorTransformDirection(force, matrix_));
}

bool TqpBody::SetLocalForce(const Vec3& point, const Vec3& force) {
    const Vec3 kept = force_;
    force_ = Vec3{};
    if (AddLocalForce(point, force)) return true;
    force_ = kept;
    return false;
}

bool TqpBody::AddGlobalTorque(const Vec3& torque) {
    const Vec3 sum = VectorAdd(torque_, torque);
    if (!IsFinite(sum)) return false;
    torque_ = sum;
    return true;
}

bool TqpBody::AddLocalTorque(const Vec3& torque) {
    return AddGlobalTorque(VectorTransformDirection(torque, matrix_));
}

void TqpBody::SetVelocity(const Vec3& velocity) {
    velocity_ = velocity;
    NewtonBodySetVelocity(newton_, &velocity.x);
}

void TqpBody::SetOmega(const Vec3& omega) {
    omega_ = omega;
    NewtonBodySetOmega(newton_, &omega.x);
}

Vec3 TqpBody::VelocityAtGlobalPoint(const Vec3& point) const {
    return VectorAdd(velocity_, VectorCross(omega_, VectorSubtract(point, centreOfMass_)));
}

Vec3 TqpBody::VelocityAtLocalPoint(const Vec3& point) const {
    return VelocityAtGlobalPoint(VectorTransformPoint(point, matrix_));
}

void TqpBody::SetMatrix(const Mat4& matrix) {
    matrix_ = matrix;
    previousMatrix_ = matrix;
    NewtonBodySetMatrix(newton_, matrix.m);
}

Mat4 TqpBody::InterpolatedMatrix(float alpha) const {
    const Quat current = QuaternionFromMatrix(matrix_);
    const Quat previous = QuaternionFromMatrix(previousMatrix_);
    Mat4 result = QuaternionToMatrix(QuaternionSlerp(current, previous, alpha));
    for (int i = 12; i < 16; ++i)
        result.m[i] = matrix_.m[i] + (previousMatrix_.m[i] - matrix_.m[i]) * alpha;
    return result;
}

void TqpBody::SetCoriolisForce(bool enabled) {
    coriolis_ = enabled;
    NewtonBodyCoriolisForcesMode(newton_, enabled ? 1 : 0);
}

void TqpBody::SetContinuousCollision(bool enabled) {
    continuous_ = enabled;
    NewtonBodySetContinuousCollisionMode(newton_, enabled ? 1 : 0);
}

void TqpBody::SetAutoFreeze(bool enabled) {
    NewtonBodySetAutoFreeze(newton_, enabled ? 1 : 0);
}

void TqpBody::SetFreezeThreshold(float speed2, float omega2, int frameCount) {
    NewtonBodySetFreezeTreshold(newton_, speed2, omega2, frameCount);
}

namespace {

// Host callbacks run inside the solver's update: whatever they throw stops here and becomes the
// world's failure, so the update ends cleanly and the next one runs.
template <class F> void CallHost(TqpWorld& world, F&& call) noexcept {
    try {
        call();
    } catch (const std::exception& e) {
        world.NoteFailure(e.what());
    } catch (...) {
        world.NoteFailure("unknown exception");
    }
}

} // namespace

void TqpBody::ForceAndTorqueCallback(const NewtonBody* body) {
    TqpBody* self = FromNewton(body);
    if (!self) return;
    if (self->forceCallback_) {
        TqpBodyHandle handle = self->Handle();
        TqpForceAndTorqueCallback callback = self->forceCallback_;
        CallHost(*self->world_, [&] { callback(handle); });
    }
    // Sums of huge finite forces overflow; the solver never sees an infinite one.
    if (!IsFinite(self->force_) || !IsFinite(self->torque_)) {
        self->force_ = Vec3{};
        self->torque_ = Vec3{};
        self->world_->NoteFailure("a body's force or torque is not finite; it was dropped");
    }
    NewtonBodySetForce(body, &self->force_.x);
    NewtonBodySetTorque(body, &self->torque_.x);
    self->force_ = Vec3{};
    self->torque_ = Vec3{};
}

void TqpBody::TransformCallback(const NewtonBody* body, const float* matrix) {
    TqpBody* self = FromNewton(body);
    if (!self) return;
    Mat4 next;
    for (int i = 0; i < 16; ++i)
        next.m[i] = matrix[i];
    Vec3 omega, velocity;
    NewtonBodyGetOmega(body, &omega.x);
    NewtonBodyGetVelocity(body, &velocity.x);
    if (!IsFinite(next) || !IsFinite(velocity) || !IsFinite(omega)) {
        self->RestoreLastFiniteState(body);
        return;
    }
    if (self->world_->Stepped()) self->previousMatrix_ = self->matrix_;
    self->matrix_ = next;
    self->omega_ = omega;
    self->velocity_ = velocity;
    if (self->transformCallback_) {
        TqpBodyHandle handle = self->Handle();
        TqpTransformCallback callback = self->transformCallback_;
        const auto* reported = reinterpret_cast<const TqpMatrix*>(&self->matrix_);
        CallHost(*self->world_, [&] { callback(handle, reported); });
    }
}

void TqpBody::RestoreLastFiniteState(const NewtonBody* body) {
    const Vec3 rest{};
    velocity_ = rest;
    omega_ = rest;
    NewtonBodySetMatrix(body, matrix_.m);
    NewtonBodySetVelocity(body, &rest.x);
    NewtonBodySetOmega(body, &rest.x);
    world_->NoteFailure("a body's state stopped being finite (huge force, velocity or omega); "
                        "it was put back at rest at its last finite pose");
}

} // namespace quarn
