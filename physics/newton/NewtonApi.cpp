// The C functions of the layer. Each body runs through the shared guard: nothing thrown
// (allocation failure included) leaves the layer.
#include "physics/newton/Newton.h"

#include "common/ErrorGuard.h"
#include "physics/newton/CollisionShape.h"
#include "physics/newton/ContactMaterial.h"
#include "physics/newton/Joint.h"
#include "physics/newton/PointDistance.h"
#include "physics/newton/RigidBody.h"
#include "physics/newton/ShapePolygons.h"
#include "physics/newton/SimulationWorld.h"
#include "physics/newton/UserJoint.h"
#include "physics/newton/VehicleJoint.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace quarn::newton;

namespace {

quarn::LastError g_lastError;

template <class R, class F> R Guard(R neutral, F&& body) noexcept {
    return quarn::GuardedCall(g_lastError, nullptr, neutral, body);
}
template <class F> void Guard(F&& body) noexcept {
    quarn::GuardedVoid(g_lastError, nullptr, body);
}

// Handles arrive const (Newton's style); the layer owns the objects behind them.
NewtonWorld* W(const NewtonWorld* w) {
    return const_cast<NewtonWorld*>(w);
}
NewtonBody* B(const NewtonBody* b) {
    return const_cast<NewtonBody*>(b);
}
NewtonCollision* C(const NewtonCollision* c) {
    return const_cast<NewtonCollision*>(c);
}
NewtonJoint* J(const NewtonJoint* j) {
    return const_cast<NewtonJoint*>(j);
}
NewtonMaterial* M(const NewtonMaterial* m) {
    return const_cast<NewtonMaterial*>(m);
}

UserJoint* AsUserJoint(const NewtonJoint* j) {
    return j && j->kind == NewtonJoint::Kind::User ? static_cast<UserJoint*>(J(j)) : nullptr;
}
VehicleJoint* AsVehicle(const NewtonJoint* j) {
    return j && j->kind == NewtonJoint::Kind::Vehicle ? static_cast<VehicleJoint*>(J(j)) : nullptr;
}

bool Finite3(const float* v) {
    return v && std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}
bool Finite16(const float* m) {
    if (!m) return false;
    for (int i = 0; i < 16; ++i)
        if (!std::isfinite(m[i])) return false;
    return true;
}
btVector3 V(const float* v) {
    return btVector3(v[0], v[1], v[2]);
}
void Out(const btVector3& v, float* out) {
    out[0] = float(v.x());
    out[1] = float(v.y());
    out[2] = float(v.z());
}

NewtonCollision* Register(const NewtonWorld* world, NewtonCollision* shape) {
    if (shape && world) {
        shape->world = W(world);
        W(world)->shapes.insert(shape);
    }
    return shape;
}

} // namespace

extern "C" {

// ---- world ------------------------------------------------------------------------------

NewtonWorld* NewtonCreate(void*, void*) {
    return Guard<NewtonWorld*>(nullptr, [] { return new NewtonWorld(); });
}

void NewtonDestroy(const NewtonWorld* world) {
    Guard([&] {
        if (world && !world->updating) delete W(world);
    });
}

void NewtonDestroyAllBodies(const NewtonWorld* world) {
    Guard([&] {
        if (world) W(world)->DestroyAllBodies();
    });
}

void NewtonUpdate(const NewtonWorld* world, dFloat timestep) {
    Guard([&] {
        if (world) W(world)->Update(timestep);
    });
}

void NewtonSetWorldSize(const NewtonWorld* world, const dFloat* minPoint, const dFloat* maxPoint) {
    Guard([&] {
        if (!world || !Finite3(minPoint) || !Finite3(maxPoint)) return;
        const btVector3 lo = V(minPoint), hi = V(maxPoint);
        W(world)->worldMin =
            btVector3(std::min(lo.x(), hi.x()), std::min(lo.y(), hi.y()), std::min(lo.z(), hi.z()));
        W(world)->worldMax =
            btVector3(std::max(lo.x(), hi.x()), std::max(lo.y(), hi.y()), std::max(lo.z(), hi.z()));
    });
}

void NewtonWorldForEachBodyDo(const NewtonWorld* world, NewtonBodyIterator callback) {
    Guard([&] {
        if (!world || !callback) return;
        for (NewtonBody* b = world->firstBody; b;) {
            NewtonBody* next = b->next; // the callback may destroy b
            if (!b->pendingDestroy) callback(b);
            b = next;
        }
    });
}

void NewtonWorldUnfreezeBody(const NewtonWorld*, const NewtonBody* body) {
    Guard([&] {
        if (body) B(body)->Wake();
    });
}

int NewtonWorldGetBodyCount(const NewtonWorld* world) {
    return Guard(0, [&] { return world ? world->bodyCount : 0; });
}

// ---- materials --------------------------------------------------------------------------

int NewtonMaterialGetDefaultGroupID(const NewtonWorld*) {
    return 0;
}

void NewtonMaterialSetCollisionCallback(const NewtonWorld* world, int id0, int id1, void* userData,
                                        NewtonContactBegin begin, NewtonContactProcess process,
                                        NewtonContactEnd end) {
    Guard([&] {
        if (!world || id0 != 0 || id1 != 0) return;
        NewtonMaterial& m = W(world)->material;
        m.userData = userData;
        m.begin = begin;
        m.process = process;
        m.end = end;
    });
}

void NewtonMaterialSetDefaultElasticity(const NewtonWorld* world, int id0, int id1, dFloat value) {
    Guard([&] {
        if (world && id0 == 0 && id1 == 0 && std::isfinite(value))
            W(world)->material.elasticity = std::clamp(value, 0.0f, 1.0f);
    });
}

void NewtonMaterialSetDefaultSoftness(const NewtonWorld* world, int id0, int id1, dFloat value) {
    Guard([&] {
        if (world && id0 == 0 && id1 == 0 && std::isfinite(value))
            W(world)->material.softness = std::clamp(value, 0.01f, 2.0f);
    });
}

void NewtonMaterialSetDefaultFriction(const NewtonWorld* world, int id0, int id1,
                                      dFloat staticFriction, dFloat kineticFriction) {
    Guard([&] {
        if (!world || id0 != 0 || id1 != 0 || !std::isfinite(staticFriction) ||
            !std::isfinite(kineticFriction))
            return;
        W(world)->material.staticFriction = std::max(staticFriction, 0.0f);
        W(world)->material.kineticFriction = std::max(kineticFriction, 0.0f);
    });
}

void* NewtonMaterialGetMaterialPairUserData(const NewtonMaterial* material) {
    return Guard<void*>(nullptr, [&] { return material ? material->userData : nullptr; });
}

void NewtonMaterialGetContactPositionAndNormal(const NewtonMaterial* material, dFloat* position,
                                               dFloat* normal) {
    Guard([&] {
        if (!material || !material->point) return;
        const btManifoldPoint& p = *material->point;
        if (position)
            Out((p.getPositionWorldOnA() + p.getPositionWorldOnB()) * btScalar(0.5), position);
        if (normal) Out(p.m_normalWorldOnB, normal);
    });
}

dFloat NewtonMaterialGetContactNormalSpeed(const NewtonMaterial* material, const NewtonContact*) {
    return Guard(0.0f, [&] {
        if (!material || !material->point || !material->manifold) return 0.0f;
        const btManifoldPoint& p = *material->point;
        const btRigidBody* a = btRigidBody::upcast(material->manifold->getBody0());
        const btRigidBody* b = btRigidBody::upcast(material->manifold->getBody1());
        btVector3 v(0, 0, 0);
        if (a)
            v += a->getVelocityInLocalPoint(p.getPositionWorldOnA() - a->getCenterOfMassPosition());
        if (b)
            v -= b->getVelocityInLocalPoint(p.getPositionWorldOnB() - b->getCenterOfMassPosition());
        return float(-v.dot(p.m_normalWorldOnB));
    });
}

void NewtonMaterialContactRotateTangentDirections(const NewtonMaterial* material,
                                                  const dFloat* direction) {
    Guard([&] {
        if (material && Finite3(direction)) RotateTangent(*M(material), V(direction));
    });
}

void NewtonMaterialSetContactTangentAcceleration(const NewtonMaterial* material,
                                                 dFloat acceleration, int tangentIndex) {
    Guard([&] {
        if (material && std::isfinite(acceleration))
            SetTangentAcceleration(*M(material), acceleration, tangentIndex);
    });
}

// ---- collision shapes -------------------------------------------------------------------

NewtonCollision* NewtonCreateBox(const NewtonWorld* world, dFloat dx, dFloat dy, dFloat dz,
                                 const dFloat* offsetMatrix) {
    return Guard<NewtonCollision*>(
        nullptr, [&] { return Register(world, CreateBox(dx, dy, dz, offsetMatrix)); });
}

NewtonCollision* NewtonCreateSphere(const NewtonWorld* world, dFloat rx, dFloat ry, dFloat rz,
                                    const dFloat* offsetMatrix) {
    return Guard<NewtonCollision*>(
        nullptr, [&] { return Register(world, CreateSphere(rx, ry, rz, offsetMatrix)); });
}

NewtonCollision* NewtonCreateConvexHull(const NewtonWorld* world, int count,
                                        const dFloat* vertexCloud, int strideInBytes,
                                        const dFloat* offsetMatrix) {
    return Guard<NewtonCollision*>(nullptr, [&] {
        return Register(world, CreateHull(count, vertexCloud, strideInBytes, offsetMatrix));
    });
}

NewtonCollision* NewtonCreateTreeCollision(const NewtonWorld* world, NewtonTreeCollisionCallback) {
    return Guard<NewtonCollision*>(nullptr, [&] { return Register(world, CreateTree()); });
}

void NewtonTreeCollisionBeginBuild(const NewtonCollision* tree) {
    Guard([&] {
        if (tree) TreeBeginBuild(*C(tree));
    });
}

void NewtonTreeCollisionAddFace(const NewtonCollision* tree, int vertexCount,
                                const dFloat* vertices, int strideInBytes, int) {
    Guard([&] {
        if (tree) TreeAddFace(*C(tree), vertexCount, vertices, strideInBytes);
    });
}

void NewtonTreeCollisionEndBuild(const NewtonCollision* tree, int) {
    Guard([&] {
        if (tree) TreeEndBuild(*C(tree));
    });
}

NewtonCollision* NewtonCreateCompoundCollision(const NewtonWorld* world, int count,
                                               NewtonCollision* const collisions[]) {
    return Guard<NewtonCollision*>(
        nullptr, [&] { return Register(world, CreateCompound(count, collisions)); });
}

void NewtonReleaseCollision(const NewtonWorld*, const NewtonCollision* collision) {
    Guard([&] { ReleaseReference(C(collision)); });
}

void NewtonAddCollisionReference(const NewtonCollision* collision) {
    Guard([&] {
        if (collision) AddReference(*C(collision));
    });
}

int NewtonCollisionGetReferenceCount(const NewtonCollision* collision) {
    return Guard(0, [&] { return collision ? collision->references : 0; });
}

void NewtonConvexCollisionCalculateInertialMatrix(const NewtonCollision* collision, dFloat* inertia,
                                                  dFloat* origin) {
    Guard([&] {
        MassProperties props;
        if (collision) props = ComputeMassProperties(*collision);
        if (inertia) Out(props.inertia, inertia);
        if (origin) Out(props.centre, origin);
    });
}

int NewtonCollisionPointDistance(const NewtonWorld*, const dFloat* point,
                                 const NewtonCollision* collision, const dFloat* matrix,
                                 dFloat* contact, dFloat* normal) {
    return Guard(0, [&] {
        if (!collision || !Finite3(point) || !Finite16(matrix)) return 0;
        btVector3 at, n;
        if (!ClosestPoint(*collision, TransformFromMatrix(matrix), V(point), at, n)) return 0;
        if (contact) Out(at, contact);
        if (normal) Out(n, normal);
        return 1;
    });
}

// ---- bodies -----------------------------------------------------------------------------

NewtonBody* NewtonCreateBody(const NewtonWorld* world, const NewtonCollision* collision) {
    return Guard<NewtonBody*>(nullptr, [&]() -> NewtonBody* {
        if (!world || !collision || collision->building) return nullptr;
        auto* body = new NewtonBody(W(world), C(collision));
        W(world)->AddBody(body);
        return body;
    });
}

void NewtonDestroyBody(const NewtonWorld* world, const NewtonBody* body) {
    Guard([&] {
        if (body) W(world ? world : body->world)->DestroyBody(B(body));
    });
}

void NewtonBodySetUserData(const NewtonBody* body, void* userData) {
    if (body) B(body)->userData = userData;
}

void* NewtonBodyGetUserData(const NewtonBody* body) {
    return body ? body->userData : nullptr;
}

NewtonWorld* NewtonBodyGetWorld(const NewtonBody* body) {
    return body ? body->world : nullptr;
}

NewtonCollision* NewtonBodyGetCollision(const NewtonBody* body) {
    return body ? body->collision : nullptr;
}

void NewtonBodySetMatrix(const NewtonBody* body, const dFloat* matrix) {
    Guard([&] {
        if (body && Finite16(matrix)) B(body)->SetBodyFrame(TransformFromMatrix(matrix));
    });
}

void NewtonBodyGetMatrix(const NewtonBody* body, dFloat* matrix) {
    Guard([&] {
        if (body && matrix) MatrixFromTransform(body->BodyFrame(), matrix);
    });
}

void NewtonBodySetMassMatrix(const NewtonBody* body, dFloat mass, dFloat Ixx, dFloat Iyy,
                             dFloat Izz) {
    Guard([&] {
        if (!body || !std::isfinite(mass) || !std::isfinite(Ixx) || !std::isfinite(Iyy) ||
            !std::isfinite(Izz))
            return;
        B(body)->SetMassMatrix(mass, Ixx, Iyy, Izz);
    });
}

void NewtonBodyGetMassMatrix(const NewtonBody* body, dFloat* mass, dFloat* Ixx, dFloat* Iyy,
                             dFloat* Izz) {
    Guard([&] {
        if (!body) return;
        if (mass) *mass = body->mass;
        if (Ixx) *Ixx = float(body->inertia.x());
        if (Iyy) *Iyy = float(body->inertia.y());
        if (Izz) *Izz = float(body->inertia.z());
    });
}

void NewtonBodySetCentreOfMass(const NewtonBody* body, const dFloat* com) {
    Guard([&] {
        if (body && Finite3(com)) B(body)->SetCentreOfMass(V(com));
    });
}

void NewtonBodyGetCentreOfMass(const NewtonBody* body, dFloat* com) {
    Guard([&] {
        if (body && com) Out(body->centreOfMass, com);
    });
}

void NewtonBodySetForce(const NewtonBody* body, const dFloat* force) {
    if (body && Finite3(force)) B(body)->force = V(force);
}

void NewtonBodyAddForce(const NewtonBody* body, const dFloat* force) {
    if (body && Finite3(force)) B(body)->force += V(force);
}

void NewtonBodySetTorque(const NewtonBody* body, const dFloat* torque) {
    if (body && Finite3(torque)) B(body)->torque = V(torque);
}

void NewtonBodyAddTorque(const NewtonBody* body, const dFloat* torque) {
    if (body && Finite3(torque)) B(body)->torque += V(torque);
}

void NewtonBodySetVelocity(const NewtonBody* body, const dFloat* velocity) {
    Guard([&] {
        if (!body || !Finite3(velocity) || !body->IsDynamic()) return;
        B(body)->rigid->setLinearVelocity(V(velocity));
        B(body)->Wake();
    });
}

void NewtonBodyGetVelocity(const NewtonBody* body, dFloat* velocity) {
    Guard([&] {
        if (body && velocity) Out(body->rigid->getLinearVelocity(), velocity);
    });
}

void NewtonBodySetOmega(const NewtonBody* body, const dFloat* omega) {
    Guard([&] {
        if (!body || !Finite3(omega) || !body->IsDynamic()) return;
        B(body)->rigid->setAngularVelocity(V(omega));
        B(body)->Wake();
    });
}

void NewtonBodyGetOmega(const NewtonBody* body, dFloat* omega) {
    Guard([&] {
        if (body && omega) Out(body->rigid->getAngularVelocity(), omega);
    });
}

void NewtonBodySetForceAndTorqueCallback(const NewtonBody* body,
                                         NewtonApplyForceAndTorque callback) {
    if (body) B(body)->forceCallback = callback;
}

void NewtonBodySetTransformCallback(const NewtonBody* body, NewtonSetTransform callback) {
    if (!body) return;
    B(body)->transformCallback = callback;
    MatrixFromTransform(body->BodyFrame(), B(body)->reported);
}

void NewtonBodySetDestructorCallback(const NewtonBody* body, NewtonBodyDestructor callback) {
    if (body) B(body)->destructor = callback;
}

void NewtonBodySetAutoFreeze(const NewtonBody* body, int state) {
    Guard([&] {
        if (body) B(body)->SetAutoFreeze(state != 0);
    });
}

void NewtonBodySetFreezeTreshold(const NewtonBody* body, dFloat freezeSpeed2, dFloat freezeOmega2,
                                 int framesCount) {
    Guard([&] {
        if (!body || !std::isfinite(freezeSpeed2) || !std::isfinite(freezeOmega2)) return;
        B(body)->freezeSpeed2 = std::max(freezeSpeed2, 0.0f);
        B(body)->freezeOmega2 = std::max(freezeOmega2, 0.0f);
        B(body)->freezeFrames = std::max(framesCount, 1);
    });
}

int NewtonBodyGetSleepingState(const NewtonBody* body) {
    return Guard(0, [&] { return body && body->IsDynamic() && !body->IsAwake() ? 1 : 0; });
}

void NewtonBodyCoriolisForcesMode(const NewtonBody* body, int mode) {
    Guard([&] {
        if (body) B(body)->SetCoriolis(mode != 0);
    });
}

void NewtonBodySetContinuousCollisionMode(const NewtonBody* body, unsigned state) {
    Guard([&] {
        if (body) B(body)->SetContinuous(state != 0);
    });
}

void NewtonBodyForEachPolygonDo(const NewtonBody* body, NewtonCollisionIterator callback) {
    Guard([&] {
        if (body && callback) ForEachPolygon(*body->collision, body->BodyFrame(), body, callback);
    });
}

// ---- joints -----------------------------------------------------------------------------

NewtonJoint* NewtonConstraintCreateUserJoint(const NewtonWorld* world, int maxDOF,
                                             NewtonUserBilateralCallBack submitConstraints,
                                             const NewtonBody* childBody,
                                             const NewtonBody* parentBody) {
    return Guard<NewtonJoint*>(nullptr, [&]() -> NewtonJoint* {
        if (!world || !childBody || childBody == parentBody || maxDOF < 1) return nullptr;
        auto* joint =
            new UserJoint(W(world), maxDOF, submitConstraints, B(childBody), B(parentBody));
        W(world)->joints.push_back(joint);
        LinkJoint(*joint);
        W(world)->AttachJoint(joint);
        return joint;
    });
}

void NewtonJointSetStiffness(const NewtonJoint* joint, dFloat stiffness) {
    if (joint && std::isfinite(stiffness)) J(joint)->stiffness = std::clamp(stiffness, 0.0f, 1.0f);
}

dFloat NewtonJointGetStiffness(const NewtonJoint* joint) {
    return joint ? joint->stiffness : 0.0f;
}

void NewtonJointSetUserData(const NewtonJoint* joint, void* userData) {
    if (joint) J(joint)->userData = userData;
}

void* NewtonJointGetUserData(const NewtonJoint* joint) {
    return joint ? joint->userData : nullptr;
}

void NewtonJointSetDestructor(const NewtonJoint* joint, NewtonConstraintDestructor destructor) {
    if (joint) J(joint)->destructor = destructor;
}

NewtonBody* NewtonJointGetBody0(const NewtonJoint* joint) {
    return joint ? joint->body0 : nullptr;
}

NewtonBody* NewtonJointGetBody1(const NewtonJoint* joint) {
    return joint ? joint->body1 : nullptr;
}

void NewtonDestroyJoint(const NewtonWorld* world, const NewtonJoint* joint) {
    Guard([&] {
        if (joint) W(world ? world : joint->world)->DestroyJoint(J(joint));
    });
}

void NewtonUserJointAddLinearRow(const NewtonJoint* joint, const dFloat* pointOnChild,
                                 const dFloat* pointOnParent, const dFloat* direction) {
    Guard([&] {
        UserJoint* j = AsUserJoint(joint);
        if (j && Finite3(pointOnChild) && Finite3(pointOnParent) && Finite3(direction))
            j->AddLinearRow(V(pointOnChild), V(pointOnParent), V(direction));
    });
}

void NewtonUserJointAddAngularRow(const NewtonJoint* joint, dFloat angleError,
                                  const dFloat* direction) {
    Guard([&] {
        UserJoint* j = AsUserJoint(joint);
        if (j && std::isfinite(angleError) && Finite3(direction))
            j->AddAngularRow(angleError, V(direction));
    });
}

void NewtonUserJointSetRowAcceleration(const NewtonJoint* joint, dFloat acceleration) {
    Guard([&] {
        UserJoint* j = AsUserJoint(joint);
        if (j && std::isfinite(acceleration)) j->SetRowAcceleration(acceleration);
    });
}

void NewtonUserJointSetRowStiffness(const NewtonJoint* joint, dFloat stiffness) {
    Guard([&] {
        UserJoint* j = AsUserJoint(joint);
        if (j && std::isfinite(stiffness)) j->SetRowStiffness(stiffness);
    });
}

// ---- vehicles ---------------------------------------------------------------------------

NewtonJoint* NewtonConstraintCreateVehicle(const NewtonWorld* world, const dFloat* upDir,
                                           const NewtonBody* chassis) {
    return Guard<NewtonJoint*>(nullptr, [&]() -> NewtonJoint* {
        if (!world || !chassis || !Finite3(upDir) || V(upDir).length2() < 1e-12f) return nullptr;
        auto* vehicle = new VehicleJoint(W(world), V(upDir), B(chassis));
        W(world)->joints.push_back(vehicle);
        LinkJoint(*vehicle);
        W(world)->AttachJoint(vehicle);
        return vehicle;
    });
}

void NewtonVehicleSetTireCallback(const NewtonJoint* vehicle, NewtonVehicleTireUpdate callback) {
    if (VehicleJoint* v = AsVehicle(vehicle)) v->SetTyreCallback(callback);
}

void* NewtonVehicleAddTire(const NewtonJoint* vehicle, const dFloat* localMatrix, const dFloat* pin,
                           dFloat, dFloat, dFloat radius, dFloat suspensionShock,
                           dFloat suspensionSpring, dFloat suspensionLength, void* userData, int) {
    return Guard<void*>(nullptr, [&]() -> void* {
        VehicleJoint* v = AsVehicle(vehicle);
        if (!v || !Finite16(localMatrix) || !Finite3(pin) || V(pin).length2() < 1e-12f)
            return nullptr;
        if (!(radius > 0) || !std::isfinite(radius) || !(suspensionLength >= 0) ||
            !std::isfinite(suspensionLength) || !std::isfinite(suspensionShock) ||
            !std::isfinite(suspensionSpring))
            return nullptr;
        const btVector3 position(localMatrix[12], localMatrix[13], localMatrix[14]);
        return v->AddTyre(position, V(pin), radius, std::max(suspensionShock, 0.0f),
                          std::max(suspensionSpring, 0.0f), suspensionLength, userData);
    });
}

void NewtonVehicleRemoveTire(const NewtonJoint* vehicle, void* tireId) {
    Guard([&] {
        if (VehicleJoint* v = AsVehicle(vehicle)) v->RemoveTyre(v->Find(tireId));
    });
}

void* NewtonVehicleGetFirstTireID(const NewtonJoint* vehicle) {
    VehicleJoint* v = AsVehicle(vehicle);
    return v ? v->First() : nullptr;
}

void* NewtonVehicleGetNextTireID(const NewtonJoint* vehicle, void* tireId) {
    VehicleJoint* v = AsVehicle(vehicle);
    return v ? v->Next(static_cast<Tyre*>(tireId)) : nullptr;
}

void* NewtonVehicleGetTireUserData(const NewtonJoint* vehicle, void* tireId) {
    VehicleJoint* v = AsVehicle(vehicle);
    Tyre* t = v ? v->Find(tireId) : nullptr;
    return t ? t->userData : nullptr;
}

void NewtonVehicleGetTireMatrix(const NewtonJoint* vehicle, void* tireId, dFloat* matrix) {
    Guard([&] {
        VehicleJoint* v = AsVehicle(vehicle);
        Tyre* t = v ? v->Find(tireId) : nullptr;
        if (t && matrix) MatrixFromTransform(v->TyreTransform(*t), matrix);
    });
}

int NewtonVehicleTireIsAirBorne(const NewtonJoint* vehicle, void* tireId) {
    VehicleJoint* v = AsVehicle(vehicle);
    Tyre* t = v ? v->Find(tireId) : nullptr;
    return t && v->AirBorne(*t) ? 1 : 0;
}

void NewtonVehicleSetTireTorque(const NewtonJoint* vehicle, void* tireId, dFloat torque) {
    VehicleJoint* v = AsVehicle(vehicle);
    Tyre* t = v ? v->Find(tireId) : nullptr;
    if (t && std::isfinite(torque)) t->torque = torque;
}

void NewtonVehicleSetTireSteerAngle(const NewtonJoint* vehicle, void* tireId, dFloat angle) {
    VehicleJoint* v = AsVehicle(vehicle);
    Tyre* t = v ? v->Find(tireId) : nullptr;
    if (t && std::isfinite(angle)) t->steer = angle;
}

} // extern "C"
