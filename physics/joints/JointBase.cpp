#include "physics/joints/JointBase.h"

#include "common/EngineError.h"

#include <cmath>

namespace quarn {

namespace {

// Forwards rows to the user joint being submitted.
class SolverRowSink final : public JointRowSink {
  public:
    explicit SolverRowSink(const NewtonJoint* joint) : joint_(joint) {}
    void AddLinearRow(const Vec3& pointOnChild, const Vec3& pointOnParent,
                      const Vec3& direction) override {
        NewtonUserJointAddLinearRow(joint_, &pointOnChild.x, &pointOnParent.x, &direction.x);
    }
    void AddAngularRow(float angleError, const Vec3& direction) override {
        NewtonUserJointAddAngularRow(joint_, angleError, &direction.x);
    }
    void SetRowAcceleration(float acceleration) override {
        NewtonUserJointSetRowAcceleration(joint_, acceleration);
    }
    void SetRowStiffness(float stiffness) override {
        NewtonUserJointSetRowStiffness(joint_, stiffness);
    }

  private:
    const NewtonJoint* joint_;
};

Mat4 BodyMatrix(const NewtonBody* body) {
    Mat4 m;
    NewtonBodyGetMatrix(body, m.m);
    return m;
}

Vec3 BodyOmega(const NewtonBody* body) {
    Vec3 w;
    NewtonBodyGetOmega(body, &w.x);
    return w;
}

} // namespace

Mat4 PinFrame(const Vec3& pin, const Vec3& pivot) {
    const Vec3 front = VectorNormalize(pin);
    const Vec3 helper =
        std::fabs(front.z) > 0.577f ? Vec3{-front.y, front.z, 0.0f} : Vec3{-front.y, front.x, 0.0f};
    const Vec3 right = VectorNormalize(VectorCross(front, helper));
    const Vec3 up = VectorCross(right, front);
    Mat4 frame;
    const Vec3 rows[4] = {front, up, right, pivot};
    for (int r = 0; r < 4; ++r) {
        frame.m[r * 4 + 0] = rows[r].x;
        frame.m[r * 4 + 1] = rows[r].y;
        frame.m[r * 4 + 2] = rows[r].z;
        frame.m[r * 4 + 3] = r == 3 ? 1.0f : 0.0f;
    }
    return frame;
}

TqpJointBase::TqpJointBase(int maxRows, const NewtonBody* child, const NewtonBody* parent)
    : maxRows_(maxRows), child_(child), parent_(parent), world_(NewtonBodyGetWorld(child)) {
    joint_ = NewtonConstraintCreateUserJoint(world_, maxRows_, &TqpJointBase::SubmitCallback,
                                             child_, parent_);
    if (!joint_) throw EngineError("The joint could not be created");
    NewtonJointSetStiffness(joint_, 1.0f);
    NewtonJointSetUserData(joint_, this);
    NewtonJointSetDestructor(joint_, &TqpJointBase::DestructorCallback);
}

TqpJointBase::~TqpJointBase() = default;

void TqpJointBase::Destroy(TqpJointBase* joint) {
    if (!joint) return;
    if (joint->joint_ && NewtonJointGetUserData(joint->joint_)) {
        NewtonJointSetDestructor(joint->joint_, nullptr);
        NewtonJointSetUserData(joint->joint_, nullptr);
        NewtonDestroyJoint(joint->world_, joint->joint_);
    }
    delete joint;
}

JointBodyState TqpJointBase::ReadBodyState() const {
    JointBodyState state;
    state.childMatrix = BodyMatrix(child_);
    state.childOmega = BodyOmega(child_);
    state.hasParent = parent_ != nullptr;
    if (parent_) {
        state.parentMatrix = BodyMatrix(parent_);
        state.parentOmega = BodyOmega(parent_);
    }
    return state;
}

void TqpJointBase::SetFramesFromPivotAndPin(const Vec3& pivot, const Vec3& pin) {
    const Mat4 frame = PinFrame(pin, pivot);
    Mat4 inverse;
    MatrixInvert(BodyMatrix(child_), inverse);
    childFrame_ = MatrixMultiply(frame, inverse);
    if (parent_) {
        MatrixInvert(BodyMatrix(parent_), inverse);
        parentFrame_ = MatrixMultiply(frame, inverse);
    } else {
        parentFrame_ = frame;
    }
}

void TqpJointBase::GlobalFrames(const JointBodyState& state, Mat4& a, Mat4& b) const {
    a = MatrixMultiply(childFrame_, state.childMatrix);
    b = state.hasParent ? MatrixMultiply(parentFrame_, state.parentMatrix) : parentFrame_;
}

void TqpJointBase::SubmitCallback(const NewtonJoint* joint) {
    auto* self = static_cast<TqpJointBase*>(NewtonJointGetUserData(joint));
    if (!self) return;
    SolverRowSink rows(joint);
    self->SubmitConstraints(self->ReadBodyState(), rows);
}

void TqpJointBase::DestructorCallback(const NewtonJoint* joint) {
    auto* self = static_cast<TqpJointBase*>(NewtonJointGetUserData(joint));
    NewtonJointSetDestructor(joint, nullptr);
    NewtonJointSetUserData(joint, nullptr);
    delete self;
}

} // namespace quarn
