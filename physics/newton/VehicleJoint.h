// A vehicle: Bullet's raycast vehicle on the chassis body, with the tyre callback run once per
// update before the tyres act and suspension forces passed on to dynamic ground bodies.
#pragma once

#include "physics/newton/Joint.h"

#include <btBulletDynamicsCommon.h>

#include <memory>
#include <vector>

namespace quarn::newton {

struct Tyre {
    int index = 0;                    // Bullet wheel index
    btVector3 localPosition{0, 0, 0}; // chassis body frame
    float radius = 0;
    float spring = 0; // as given, per unit chassis mass
    float shock = 0;
    void* userData = nullptr;
    float torque = 0;
    float steer = 0;
};

// Casts the suspension rays past the chassis and remembers what each wheel touched.
class ChassisRaycaster : public btVehicleRaycaster {
  public:
    ChassisRaycaster(btDynamicsWorld& world, const btCollisionObject& chassis)
        : world_(world), chassis_(chassis) {}
    void* castRay(const btVector3& from, const btVector3& to,
                  btVehicleRaycasterResult& result) override;
    void Reset() { casts_ = 0; }
    const btCollisionObject* Hit(int wheel) const {
        return wheel < casts_ && wheel < int(hits_.size()) ? hits_[size_t(wheel)] : nullptr;
    }
    void Reserve(size_t wheels) { hits_.resize(wheels, nullptr); }

  private:
    btDynamicsWorld& world_;
    const btCollisionObject& chassis_;
    std::vector<const btCollisionObject*> hits_;
    int casts_ = 0;
};

class VehicleJoint : public NewtonJoint, public btActionInterface {
  public:
    VehicleJoint(NewtonWorld* world, const btVector3& up, NewtonBody* chassis);
    ~VehicleJoint() override;

    void Attach() override;
    void Detach() override;
    // The tyres act before the solver, so that suspension and gravity meet in the same step.
    void BeforeSolve(float h) override { updateAction(nullptr, h); }

    void updateAction(btCollisionWorld*, btScalar step) override;
    void debugDraw(btIDebugDraw*) override {}

    void SetTyreCallback(NewtonVehicleTireUpdate callback) { callback_ = callback; }
    Tyre* AddTyre(const btVector3& position, const btVector3& pin, float radius, float shock,
                  float spring, float length, void* userData);
    void RemoveTyre(Tyre* tyre);
    // tyre must be one of this vehicle's (null otherwise).
    Tyre* Find(void* id) const;
    Tyre* First() const { return tyres_.empty() ? nullptr : tyres_.front().get(); }
    Tyre* Next(const Tyre* tyre) const;
    btTransform TyreTransform(const Tyre& tyre);
    bool AirBorne(const Tyre& tyre) const;

  private:
    // Bullet's suspension is explicit: a spring or damper too stiff for the step overshoots
    // and adds energy every step. Limits each tyre's settings for this step (see the .cpp).
    void LimitSuspension(btScalar step);

    btVector3 up_;
    NewtonVehicleTireUpdate callback_ = nullptr;
    std::unique_ptr<ChassisRaycaster> raycaster_;
    std::unique_ptr<btRaycastVehicle> vehicle_;
    std::vector<std::unique_ptr<Tyre>> tyres_;
    // Per tyre, world space: suspension direction and its lever about the centre of mass.
    std::vector<btVector3> directions_;
    std::vector<btVector3> levers_;
    bool attached_ = false;
    bool axesSet_ = false;
};

} // namespace quarn::newton
