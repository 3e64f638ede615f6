// A user joint: each update its submit callback lists linear and angular rows, and a Bullet
// constraint hands exactly those rows to the solver.
#pragma once

#include "physics/newton/Joint.h"

#include <btBulletDynamicsCommon.h>

#include <memory>
#include <vector>

namespace quarn::newton {

struct JointRow {
    bool angular = false;
    btVector3 direction{0, 0, 0};
    btVector3 pointOnChild{0, 0, 0};
    btVector3 pointOnParent{0, 0, 0};
    btScalar angleError = 0;
    bool hasAcceleration = false;
    btScalar acceleration = 0;
    btScalar stiffness = 1;
};

class UserJoint;

// The Bullet side: getInfo1/getInfo2 report the rows submitted this update.
class RowConstraint : public btTypedConstraint {
  public:
    RowConstraint(UserJoint& owner, btRigidBody& child, btRigidBody* parent);

    void getInfo1(btConstraintInfo1* info) override;
    void getInfo2(btConstraintInfo2* info) override;
    void setParam(int, btScalar, int) override {}
    btScalar getParam(int, int) const override { return 0; }

  private:
    UserJoint& owner_;
};

class UserJoint : public NewtonJoint {
  public:
    UserJoint(NewtonWorld* world, int maxRows, NewtonUserBilateralCallBack submit,
              NewtonBody* child, NewtonBody* parent);
    ~UserJoint() override;

    void Attach() override;
    void Detach() override;
    void BeforeSolve(float h) override;

    // Inside the submit callback; rows beyond the maximum are ignored.
    void AddLinearRow(const btVector3& onChild, const btVector3& onParent, const btVector3& dir);
    void AddAngularRow(btScalar error, const btVector3& dir);
    void SetRowAcceleration(btScalar acceleration);
    void SetRowStiffness(btScalar stiffness);

    int RowCount() const { return rowCount_; }
    const JointRow& Row(int i) const { return rows_[size_t(i)]; }

  private:
    NewtonUserBilateralCallBack submit_;
    std::vector<JointRow> rows_; // maxRows entries, allocated once
    int rowCount_ = 0;
    bool submitting_ = false;
    bool lastRejected_ = false; // the row setters then apply to nothing
    std::unique_ptr<RowConstraint> constraint_;
    bool attached_ = false;
};

} // namespace quarn::newton
