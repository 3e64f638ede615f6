// A vehicle: the solver's vehicle joint on a chassis body, with tyres that receive their drive
// torque and steering angle in every vehicle update.
#pragma once

#include "common/QuarnMath.h"
#include "physics/handles/PhysicsHandles.h"
#include "physics/newton/Newton.h"
#include "quarn/QuarnPhysics.h"

#include <memory>
#include <vector>

namespace quarn {

class TqpBody;
class TqpVehicle;

class TqpVehicleTyre : public HeldAfterFreeAs<kTyreHandle> {
  public:
    explicit TqpVehicleTyre(TqpVehicle& vehicle) : vehicle_(&vehicle) {}

    TqpVehicle& Vehicle() const { return *vehicle_; }
    void* Id() const { return id_; }
    void SetId(void* id) { id_ = id; }
    float Torque() const { return torque_; }
    void SetTorque(float torque) { torque_ = torque; }
    float SteerAngle() const { return steerAngle_; } // radians
    void SetSteerAngle(float radians) { steerAngle_ = radians; }

    TqpTyreHandle Handle() { return reinterpret_cast<TqpTyreHandle>(this); }
    static TqpVehicleTyre* FromHandle(TqpTyreHandle h) {
        return reinterpret_cast<TqpVehicleTyre*>(h);
    }

  private:
    LiveHandle handle_{this, kTyreHandle};
    TqpVehicle* vehicle_;
    void* id_ = nullptr;
    float torque_ = 0;
    float steerAngle_ = 0;
};

// The tyre's matrix in chassis space: identity turned to the tyre position.
Mat4 TyreLocalMatrix(const Vec3& position);

struct TyreSettings {
    Vec3 position; // chassis space
    Vec3 pin;      // axle direction, chassis space
    float mass = 0, width = 0, radius = 0;
    float shock = 0, spring = 0, length = 0;
};

class TqpVehicle : public HeldAfterFreeAs<kVehicleHandle> {
  public:
    explicit TqpVehicle(TqpBody& chassis);
    ~TqpVehicle();
    TqpVehicle(const TqpVehicle&) = delete;
    TqpVehicle& operator=(const TqpVehicle&) = delete;

    TqpVehicleTyre* AddTyre(const TyreSettings& settings);

    // Nil once the solver destroyed the joint with the chassis; the object lives on until its
    // world goes, so stale calls stay harmless.
    NewtonJoint* Joint() const { return joint_; }
    TqpBody& Chassis() const { return *chassis_; }
    int TyreCount() const { return static_cast<int>(tyres_.size()); }
    TqpVehicleTyre& Tyre(int index) const { return *tyres_[static_cast<size_t>(index)]; }

    TqpVehicleHandle Handle() { return reinterpret_cast<TqpVehicleHandle>(this); }
    static TqpVehicle* FromHandle(TqpVehicleHandle h) { return reinterpret_cast<TqpVehicle*>(h); }

  private:
    static void TyreCallback(const NewtonJoint* vehicle);
    static void DestructorCallback(const NewtonJoint* vehicle);

    LiveHandle handle_{this, kVehicleHandle};
    NewtonJoint* joint_ = nullptr;
    TqpBody* chassis_;
    std::vector<std::unique_ptr<TqpVehicleTyre>> tyres_;
};

} // namespace quarn
