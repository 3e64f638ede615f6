// A rigid body: one solver body, the state the host reads most (matrices, velocities), and
// the force and torque the host accumulates between steps, handed over in the next update.
#pragma once

#include "common/QuarnMath.h"
#include "physics/handles/PhysicsHandles.h"
#include "physics/newton/Newton.h"
#include "quarn/QuarnPhysics.h"

#include <cstddef>

namespace quarn {

class TqpWorld;
class TqpCollision;

class TqpBody : public HeldAfterFreeAs<kBodyHandle> {
  public:
    // Builds a static body (mass 0) from shape; the body takes its own reference. A tree
    // (isTree) never moves, so it gets neither inertia nor callbacks.
    TqpBody(TqpWorld& world, const NewtonCollision* shape, bool isTree);
    ~TqpBody() = default;
    TqpBody(const TqpBody&) = delete;

    // Builds a body of count collisions and hands it to the world: a tree among them is used
    // alone, several others form a compound, a single one is used as it is.
    static TqpBody* Create(TqpWorld& world, TqpCollision* const* collisions, int count);

    TqpBody& operator=(const TqpBody&) = delete;

    TqpWorld& World() const { return *world_; }
    NewtonBody* Newton() const { return newton_; }
    const NewtonCollision* Collision() const { return collision_; }
    bool IsTree() const { return isTree_; }

    bool Released() const { return released_; }
    void MarkReleased() { released_ = true; }
    // Index in the world's bodies list.
    size_t ListIndex() const { return listIndex_; }
    void SetListIndex(size_t index) { listIndex_ = index; }

    // False, changing nothing, when mass times the unit inertia leaves the float range.
    bool SetMass(float mass);
    float Mass() const { return mass_; }
    const Vec3& UnitInertia() const { return unitInertia_; }
    void SetCenterOfMass(const Vec3& centre);
    const Vec3& CenterOfMass() const { return centreOfMass_; }

    // The adders return false and change nothing when a sum or lever arm would leave the float
    // range (finite arguments can still overflow).
    bool AddForce(const Vec3& force);
    // Force at a world point; the lever arm is taken from the body origin.
    bool AddGlobalForce(const Vec3& point, const Vec3& force);
    bool AddLocalForce(const Vec3& point, const Vec3& force);
    void SetGlobalForce(const Vec3& force) { force_ = force; }
    // Clears the force, then AddLocalForce; the torque is kept.
    bool SetLocalForce(const Vec3& point, const Vec3& force);
    const Vec3& Force() const { return force_; }
    bool AddGlobalTorque(const Vec3& torque);
    bool AddLocalTorque(const Vec3& torque);
    void SetTorque(const Vec3& torque) { torque_ = torque; }
    const Vec3& Torque() const { return torque_; }

    void SetVelocity(const Vec3& velocity);
    const Vec3& Velocity() const { return velocity_; }
    void SetOmega(const Vec3& omega);
    const Vec3& Omega() const { return omega_; }
    Vec3 VelocityAtGlobalPoint(const Vec3& point) const;
    Vec3 VelocityAtLocalPoint(const Vec3& point) const;

    // Teleports: current and previous matrix become matrix.
    void SetMatrix(const Mat4& matrix);
    const Mat4& Matrix() const { return matrix_; }
    const Mat4& PreviousMatrix() const { return previousMatrix_; }
    // Current pose at alpha 0, previous pose at alpha 1.
    Mat4 InterpolatedMatrix(float alpha) const;

    void SetUserData(void* data) { userData_ = data; }
    void* UserData() const { return userData_; }
    void SetCoriolisForce(bool enabled);
    bool CoriolisForce() const { return coriolis_; }
    void SetContinuousCollision(bool enabled);
    bool ContinuousCollision() const { return continuous_; }
    void SetAutoFreeze(bool enabled);
    void SetFreezeThreshold(float speed2, float omega2, int frameCount);

    void SetForceAndTorqueCallback(TqpForceAndTorqueCallback cb) { forceCallback_ = cb; }
    void SetTransformCallback(TqpTransformCallback cb) { transformCallback_ = cb; }

    TqpBodyHandle Handle() { return reinterpret_cast<TqpBodyHandle>(this); }
    static TqpBody* FromHandle(TqpBodyHandle handle) { return reinterpret_cast<TqpBody*>(handle); }
    static TqpBody* FromNewton(const NewtonBody* body) {
        return static_cast<TqpBody*>(NewtonBodyGetUserData(body));
    }

  private:
    static void ForceAndTorqueCallback(const NewtonBody* body);
    static void TransformCallback(const NewtonBody* body, const float* matrix);
    // The solver left this body with a non-finite state: back to its last reported pose, at
    // rest, and the world hears of it.
    void RestoreLastFiniteState(const NewtonBody* body);

    LiveHandle handle_{this, kBodyHandle};
    bool released_ = false;
    NewtonBody* newton_ = nullptr;
    const NewtonCollision* collision_ = nullptr;
    Vec3 force_;
    Vec3 torque_;
    Vec3 velocity_;
    Vec3 omega_;
    float mass_ = 0;
    Vec3 unitInertia_;
    Vec3 centreOfMass_;
    bool coriolis_ = false;
    bool continuous_ = false;
    Mat4 previousMatrix_ = MatrixIdentity();
    Mat4 matrix_ = MatrixIdentity();
    void* userData_ = nullptr;
    TqpWorld* world_;
    TqpForceAndTorqueCallback forceCallback_ = nullptr;
    TqpTransformCallback transformCallback_ = nullptr;
    bool isTree_;
    size_t listIndex_ = 0;
};

} // namespace quarn
