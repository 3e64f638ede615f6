#include "physics/world/Vehicle.h"

#include "common/EngineError.h"
#include "physics/world/Body.h"
#include "physics/world/World.h"

#include <algorithm>

namespace quarn {

Mat4 TyreLocalMatrix(const Vec3& position) {
    Mat4 m = MatrixIdentity();
    m.m[12] = position.x;
    m.m[13] = position.y;
    m.m[14] = position.z;
    m.m[15] = 1.0f;
    return m;
}

TqpVehicle::TqpVehicle(TqpBody& chassis) : chassis_(&chassis) {
    const Vec3 up{0.0f, 1.0f, 0.0f};
    joint_ = NewtonConstraintCreateVehicle(chassis.World().Newton(), &up.x, chassis.Newton());
    if (!joint_) throw EngineError("The vehicle joint could not be created");
    NewtonJointSetUserData(joint_, this);
    NewtonVehicleSetTireCallback(joint_, &TqpVehicle::TyreCallback);
    NewtonJointSetDestructor(joint_, &TqpVehicle::DestructorCallback);
}

// Normally the joint is gone by now (with the chassis or the world); a vehicle dropped early
// takes its joint along so that no callback can reach the freed object.
TqpVehicle::~TqpVehicle() {
    if (!joint_) return;
    NewtonJointSetDestructor(joint_, nullptr);
    NewtonJointSetUserData(joint_, nullptr);
    NewtonDestroyJoint(chassis_->World().Newton(), joint_);
}

TqpVehicleTyre* TqpVehicle::AddTyre(const TyreSettings& s) {
    if (!joint_) throw EngineError("The vehicle's chassis no longer exists");
    const Mat4 local = TyreLocalMatrix(s.position);
    // Room first: once the solver has the tyre, keeping its object must not fail.
    if (tyres_.size() == tyres_.capacity()) tyres_.reserve(std::max<size_t>(4, 2 * tyres_.size()));
    auto tyre = std::make_unique<TqpVehicleTyre>(*this);
    void* id = NewtonVehicleAddTire(joint_, local.m, &s.pin.x, s.mass, s.width, s.radius, s.shock,
                                    s.spring, s.length, tyre.get(), 1);
    if (!id) throw EngineError("The tyre could not be added");
    tyre->SetId(id);
    tyres_.push_back(std::move(tyre));
    return tyres_.back().get();
}

void TqpVehicle::TyreCallback(const NewtonJoint* joint) {
    auto* self = static_cast<TqpVehicle*>(NewtonJointGetUserData(joint));
    if (!self) return;
    for (const auto& tyre : self->tyres_) {
        NewtonVehicleSetTireTorque(joint, tyre->Id(), tyre->Torque());
        NewtonVehicleSetTireSteerAngle(joint, tyre->Id(), tyre->SteerAngle());
    }
}

void TqpVehicle::DestructorCallback(const NewtonJoint* joint) {
    auto* self = static_cast<TqpVehicle*>(NewtonJointGetUserData(joint));
    NewtonJointSetUserData(joint, nullptr);
    if (self) self->joint_ = nullptr;
}

} // namespace quarn
