#include "physics/newton/UserJoint.h"

#include "physics/newton/RigidBody.h"
#include "physics/newton/SimulationWorld.h"

#include <algorithm>

namespace quarn::newton {

namespace {

// Share of a row's position error removed per step at stiffness 1.
constexpr btScalar kRowErp = btScalar(0.6);

btRigidBody& BulletBody(NewtonBody* body) {
    return *body->rigid;
}

} // namespace

RowConstraint::RowConstraint(UserJoint& owner, btRigidBody& child, btRigidBody* parent)
    : btTypedConstraint(D6_CONSTRAINT_TYPE, child, parent ? *parent : getFixedBody()),
      owner_(owner) {}

void RowConstraint::getInfo1(btConstraintInfo1* info) {
    info->m_numConstraintRows = owner_.RowCount();
    info->nub = 0;
}

void RowConstraint::getInfo2(btConstraintInfo2* info) {
    const btRigidBody& a = getRigidBodyA();
    const btRigidBody& b = getRigidBodyB();
    const btVector3 comA = a.getCenterOfMassPosition();
    const btVector3 comB = b.getCenterOfMassPosition();
    for (int i = 0; i < owner_.RowCount(); ++i) {
        const JointRow& row = owner_.Row(i);
        const int at = i * info->rowskip;
        btVector3 j1lin(0, 0, 0), j1ang, j2lin(0, 0, 0), j2ang;
        btScalar positionTarget;
        if (row.angular) {
            // The row measures (omega parent - omega child) . dir, the rate of the error.
            j1ang = -row.direction;
            j2ang = row.direction;
            positionTarget = -row.angleError;
        } else {
            j1lin = row.direction;
            j1ang = (row.pointOnChild - comA).cross(row.direction);
            j2lin = -row.direction;
            j2ang = -(row.pointOnParent - comB).cross(row.direction);
            positionTarget = (row.pointOnParent - row.pointOnChild).dot(row.direction);
        }
        for (int k = 0; k < 3; ++k) {
            info->m_J1linearAxis[at + k] = j1lin[k];
            info->m_J1angularAxis[at + k] = j1ang[k];
            info->m_J2linearAxis[at + k] = j2lin[k];
            info->m_J2angularAxis[at + k] = j2ang[k];
        }
        if (row.hasAcceleration) {
            // A velocity target one step ahead: the row's relative acceleration is exact.
            const btScalar current =
                j1lin.dot(a.getLinearVelocity()) + j1ang.dot(a.getAngularVelocity()) +
                j2lin.dot(b.getLinearVelocity()) + j2ang.dot(b.getAngularVelocity());
            info->m_constraintError[at] = current + row.acceleration / info->fps;
        } else {
            info->m_constraintError[at] = info->fps * kRowErp * row.stiffness * positionTarget;
        }
    }
}

UserJoint::UserJoint(NewtonWorld* world, int maxRows, NewtonUserBilateralCallBack submit,
                     NewtonBody* child, NewtonBody* parent)
    : NewtonJoint(Kind::User, world, child, parent), submit_(submit),
      rows_(size_t(std::clamp(maxRows, 0, 64))) {
    constraint_ = std::make_unique<RowConstraint>(*this, BulletBody(child),
                                                  parent ? &BulletBody(parent) : nullptr);
}

UserJoint::~UserJoint() = default;

void UserJoint::Attach() {
    if (attached_) return;
    // Bodies held together by a joint do not also collide with each other.
    world->dynamics.addConstraint(constraint_.get(), true);
    attached_ = true;
}

void UserJoint::Detach() {
    if (!attached_) return;
    world->dynamics.removeConstraint(constraint_.get());
    attached_ = false;
}

void UserJoint::BeforeSolve(float) {
    rowCount_ = 0;
    if (!submit_) return;
    submitting_ = true;
    submit_(this);
    submitting_ = false;
    // A joint that submits rows keeps its bodies awake together.
    if (rowCount_ > 0) {
        if (body0->rigid->isActive() && body1 && body1->IsDynamic() && !body1->rigid->isActive())
            body1->Wake();
    }
}

void UserJoint::AddLinearRow(const btVector3& onChild, const btVector3& onParent,
                             const btVector3& dir) {
    lastRejected_ = true;
    if (!submitting_ || rowCount_ >= int(rows_.size())) return;
    const btScalar length = dir.length();
    if (!(length > btScalar(1e-9))) return;
    lastRejected_ = false;
    JointRow& row = rows_[size_t(rowCount_++)];
    row = JointRow{};
    row.direction = dir / length;
    row.pointOnChild = onChild;
    row.pointOnParent = onParent;
    row.stiffness = stiffness;
}

void UserJoint::AddAngularRow(btScalar error, const btVector3& dir) {
    lastRejected_ = true;
    if (!submitting_ || rowCount_ >= int(rows_.size())) return;
    const btScalar length = dir.length();
    if (!(length > btScalar(1e-9))) return;
    lastRejected_ = false;
    JointRow& row = rows_[size_t(rowCount_++)];
    row = JointRow{};
    row.angular = true;
    row.direction = dir / length;
    row.angleError = error;
    row.stiffness = stiffness;
}

void UserJoint::SetRowAcceleration(btScalar acceleration) {
    if (!submitting_ || rowCount_ == 0 || lastRejected_) return;
    JointRow& row = rows_[size_t(rowCount_ - 1)];
    row.hasAcceleration = true;
    row.acceleration = acceleration;
}

void UserJoint::SetRowStiffness(btScalar value) {
    if (!submitting_ || rowCount_ == 0 || lastRejected_) return;
    rows_[size_t(rowCount_ - 1)].stiffness = std::clamp(value, btScalar(0), btScalar(1));
}

} // namespace quarn::newton
