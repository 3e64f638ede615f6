// Joints built from constraint rows that the library supplies in every solver update.
#pragma once

#include "common/QuarnMath.h"
#include "physics/handles/PhysicsHandles.h"
#include "physics/joints/JointRowSink.h"
#include "physics/newton/Newton.h"

namespace quarn {

// The joint frame of a pin direction: rows front (the unit pin), up, right, and the pivot
// (w = 1) in the fourth row. The pin must not be zero.
Mat4 PinFrame(const Vec3& pin, const Vec3& pivot);

inline Vec3 MatrixRow(const Mat4& m, int row) {
    return Vec3{m.m[row * 4], m.m[row * 4 + 1], m.m[row * 4 + 2]};
}

class TqpJointBase : public HeldAfterFreeAs<kJointHandle> {
  public:
    virtual ~TqpJointBase();
    TqpJointBase(const TqpJointBase&) = delete;
    TqpJointBase& operator=(const TqpJointBase&) = delete;

    // The rows of one update for the given body state, in submission order.
    virtual void SubmitConstraints(const JointBodyState& state, JointRowSink& rows) = 0;

    // Ends the joint: removes the solver joint when it still exists, then frees the object.
    static void Destroy(TqpJointBase* joint);

    NewtonJoint* Joint() const { return joint_; }
    const NewtonBody* ChildBody() const { return child_; }
    const NewtonBody* ParentBody() const { return parent_; }
    // The pose and spin of both bodies as the solver has them now.
    JointBodyState ReadBodyState() const;

  protected:
    // Creates the solver joint with maxRows rows between child and parent (nil: the world).
    TqpJointBase(int maxRows, const NewtonBody* child, const NewtonBody* parent);

    // Frames of the pin frame P expressed in the child's and the parent's space, so that
    // childFrame x childMatrix = parentFrame x parentMatrix = P at creation.
    void SetFramesFromPivotAndPin(const Vec3& pivot, const Vec3& pin);
    // A and B of the current update; they coincide while the joint is satisfied.
    void GlobalFrames(const JointBodyState& state, Mat4& a, Mat4& b) const;

    Mat4 childFrame_ = MatrixIdentity();
    Mat4 parentFrame_ = MatrixIdentity();

  private:
    static void SubmitCallback(const NewtonJoint* joint);
    static void DestructorCallback(const NewtonJoint* joint);

    LiveHandle handle_{this, kJointHandle};
    int maxRows_;
    const NewtonBody* child_;
    const NewtonBody* parent_;
    NewtonJoint* joint_ = nullptr;
    const NewtonWorld* world_;
};

} // namespace quarn
