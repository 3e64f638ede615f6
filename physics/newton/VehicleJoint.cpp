#include "physics/newton/VehicleJoint.h"

#include "physics/newton/RigidBody.h"
#include "physics/newton/SimulationWorld.h"

#include <algorithm>
#include <cmath>

namespace quarn::newton {

namespace {

// Bullet's tyre friction coefficient (its "friction slip").
constexpr btScalar kTyreFriction = btScalar(1.5);

int DominantAxis(const btVector3& v) {
    const btVector3 a = v.absolute();
    return a.x() >= a.y() && a.x() >= a.z() ? 0 : (a.y() >= a.z() ? 1 : 2);
}

class SkipChassisCallback : public btCollisionWorld::ClosestRayResultCallback {
  public:
    SkipChassisCallback(const btVector3& from, const btVector3& to,
                        const btCollisionObject& chassis)
        : ClosestRayResultCallback(from, to), chassis_(chassis) {}
    bool needsCollision(btBroadphaseProxy* proxy) const override {
        if (proxy->m_clientObject == &chassis_) return false;
        return ClosestRayResultCallback::needsCollision(proxy);
    }

  private:
    const btCollisionObject& chassis_;
};

} // namespace

void* ChassisRaycaster::castRay(const btVector3& from, const btVector3& to,
                                btVehicleRaycasterResult& result) {
    SkipChassisCallback ray(from, to, chassis_);
    world_.rayTest(from, to, ray);
    const btCollisionObject* hit = nullptr;
    if (ray.hasHit()) {
        const btRigidBody* body = btRigidBody::upcast(ray.m_collisionObject);
        if (body && body->hasContactResponse()) {
            hit = body;
            result.m_hitPointInWorld = ray.m_hitPointWorld;
            result.m_hitNormalInWorld = ray.m_hitNormalWorld.normalized();
            result.m_distFraction = ray.m_closestHitFraction;
        }
    }
    if (casts_ < int(hits_.size())) hits_[size_t(casts_)] = hit;
    ++casts_;
    return const_cast<btCollisionObject*>(hit);
}

VehicleJoint::VehicleJoint(NewtonWorld* world, const btVector3& up, NewtonBody* chassis)
    : NewtonJoint(Kind::Vehicle, world, chassis, nullptr), up_(up.normalized()) {
    raycaster_ = std::make_unique<ChassisRaycaster>(world->dynamics, *chassis->rigid);
    btRaycastVehicle::btVehicleTuning tuning;
    vehicle_ = std::make_unique<btRaycastVehicle>(tuning, chassis->rigid.get(), raycaster_.get());
}

VehicleJoint::~VehicleJoint() = default;

// The world runs the vehicle from BeforeSolve; Bullet's action list would run it after
// integration, one step late.
void VehicleJoint::Attach() {
    attached_ = true;
}

void VehicleJoint::Detach() {
    attached_ = false;
}

Tyre* VehicleJoint::AddTyre(const btVector3& position, const btVector3& pin, float radius,
                            float shock, float spring, float length, void* userData) {
    const btVector3 axle = pin.normalized();
    if (!axesSet_) {
        const int upAxis = DominantAxis(up_);
        const int rightAxis = DominantAxis(axle);
        if (upAxis != rightAxis)
            vehicle_->setCoordinateSystem(rightAxis, upAxis, 3 - upAxis - rightAxis);
        axesSet_ = true;
    }
    btRaycastVehicle::btVehicleTuning tuning;
    tuning.m_suspensionStiffness = spring;
    tuning.m_suspensionCompression = shock;
    tuning.m_suspensionDamping = shock;
    tuning.m_maxSuspensionTravelCm = length * 100;
    tuning.m_frictionSlip = kTyreFriction;
    tuning.m_maxSuspensionForce = btScalar(1e9); // Bullet's force is per chassis mass unit
    auto tyre = std::make_unique<Tyre>();
    tyre->index = vehicle_->getNumWheels();
    tyre->localPosition = position;
    tyre->radius = radius;
    tyre->spring = spring;
    tyre->shock = shock;
    tyre->userData = userData;
    btWheelInfo& wheel = vehicle_->addWheel(position - body0->centreOfMass, -up_, axle, length,
                                            radius, tuning, tyre->index < 2);
    wheel.m_rollInfluence = btScalar(0.1);
    raycaster_->Reserve(size_t(vehicle_->getNumWheels()));
    directions_.resize(size_t(vehicle_->getNumWheels()));
    levers_.resize(size_t(vehicle_->getNumWheels()));
    vehicle_->updateWheelTransform(tyre->index, false);
    tyres_.push_back(std::move(tyre));
    return tyres_.back().get();
}

void VehicleJoint::RemoveTyre(Tyre* tyre) {
    auto it = std::find_if(tyres_.begin(), tyres_.end(),
                           [&](const std::unique_ptr<Tyre>& t) { return t.get() == tyre; });
    if (it == tyres_.end()) return;
    // Bullet has no wheel removal: move the last wheel into the freed slot.
    btAlignedObjectArray<btWheelInfo>& wheels = vehicle_->m_wheelInfo;
    const int last = wheels.size() - 1;
    const int freed = tyre->index;
    if (freed != last) {
        wheels[freed] = wheels[last];
        for (auto& t : tyres_)
            if (t->index == last) t->index = freed;
    }
    wheels.pop_back();
    tyres_.erase(it);
}

Tyre* VehicleJoint::Find(void* id) const {
    for (const auto& t : tyres_)
        if (t.get() == id) return t.get();
    return nullptr;
}

Tyre* VehicleJoint::Next(const Tyre* tyre) const {
    for (size_t i = 0; i + 1 < tyres_.size(); ++i)
        if (tyres_[i].get() == tyre) return tyres_[i + 1].get();
    return nullptr;
}

// The tyres push the chassis through A = m J M^-1 J^T, J's rows being each tyre's suspension
// direction and its lever. A mode of A with eigenvalue L feels a tyre's spring k and damper c
// as L k and L c per unit mass, and one explicit step of length h stays dissipative while
// h L c <= 1 and h^2 L k <= 1. Gershgorin's bound (the largest absolute row sum) is an upper
// bound on the largest L, so limiting every tyre to it is safe at any step rate; settings
// within it act unchanged.
void VehicleJoint::LimitSuspension(btScalar step) {
    const btRigidBody& chassis = *body0->rigid;
    const btScalar invMass = chassis.getInvMass();
    if (invMass == 0 || tyres_.empty() || !(step > 0)) return;
    const btMatrix3x3& basis = chassis.getCenterOfMassTransform().getBasis();
    const btMatrix3x3& invInertia = chassis.getInvInertiaTensorWorld();
    const size_t n = tyres_.size();
    for (size_t i = 0; i < n; ++i) {
        const btWheelInfo& wheel = vehicle_->getWheelInfo(tyres_[i]->index);
        directions_[i] = basis * wheel.m_wheelDirectionCS;
        levers_[i] = (basis * wheel.m_chassisConnectionPointCS).cross(directions_[i]);
    }
    btScalar largest = 0;
    for (size_t i = 0; i < n; ++i) {
        btScalar row = 0;
        for (size_t j = 0; j < n; ++j)
            row += btFabs(directions_[i].dot(directions_[j]) +
                          levers_[i].dot(invInertia * levers_[j]) / invMass);
        largest = std::max(largest, row);
    }
    if (!(largest > 0)) return;
    const btScalar maxShock = 1 / (step * largest);
    const btScalar maxSpring = maxShock / step;
    for (const auto& t : tyres_) {
        btWheelInfo& wheel = vehicle_->getWheelInfo(t->index);
        wheel.m_suspensionStiffness = std::min(btScalar(t->spring), maxSpring);
        wheel.m_wheelsDampingCompression = std::min(btScalar(t->shock), maxShock);
        wheel.m_wheelsDampingRelaxation = wheel.m_wheelsDampingCompression;
    }
}

btTransform VehicleJoint::TyreTransform(const Tyre& tyre) {
    return vehicle_->getWheelInfo(tyre.index).m_worldTransform;
}

bool VehicleJoint::AirBorne(const Tyre& tyre) const {
    return !vehicle_->getWheelInfo(tyre.index).m_raycastInfo.m_isInContact;
}

void VehicleJoint::updateAction(btCollisionWorld*, btScalar step) {
    if (!attached_) return;
    if (callback_) callback_(this);
    bool driven = false;
    for (const auto& t : tyres_) {
        btWheelInfo& wheel = vehicle_->getWheelInfo(t->index);
        wheel.m_chassisConnectionPointCS = t->localPosition - body0->centreOfMass;
        // Bullet drives along up x axle; a positive torque about the pin rolls toward pin x up.
        const btScalar force = t->radius > 0 ? -btScalar(t->torque) / t->radius : 0;
        vehicle_->applyEngineForce(force, t->index);
        vehicle_->setSteeringValue(t->steer, t->index);
        driven = driven || t->torque != 0;
        t->torque = 0; // both hold for one update only
        t->steer = 0;
    }
    if (driven) body0->Wake();
    if (!body0->rigid->isActive()) return;
    raycaster_->Reset();
    LimitSuspension(step);
    vehicle_->updateVehicle(step);
    // Bullet treats every ground as fixed: pass the suspension's push on to dynamic bodies.
    for (const auto& t : tyres_) {
        const btWheelInfo& wheel = vehicle_->getWheelInfo(t->index);
        const btCollisionObject* object = raycaster_->Hit(t->index);
        const btRigidBody* hit = object ? btRigidBody::upcast(object) : nullptr;
        if (!wheel.m_raycastInfo.m_isInContact || !hit || hit->getInvMass() == 0) continue;
        auto* ground = const_cast<btRigidBody*>(hit);
        const btVector3 impulse =
            -wheel.m_raycastInfo.m_contactNormalWS * (wheel.m_wheelsSuspensionForce * step);
        ground->activate();
        ground->applyImpulse(impulse, wheel.m_raycastInfo.m_contactPointWS -
                                          ground->getCenterOfMassPosition());
    }
}

} // namespace quarn::newton
