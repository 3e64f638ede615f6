#include "physics/joints/JointHinge.h"

#include <cmath>

namespace quarn {

TqpJointHinge::TqpJointHinge(const NewtonBody* parent, const NewtonBody* child, const Vec3& pivot,
                             const Vec3& pin)
    : TqpJointBase(6, child, parent) {
    SetFramesFromPivotAndPin(pivot, pin);
}

float TqpJointHinge::HingeAngle(const Mat4& a, const Mat4& b) {
    const Vec3 front = MatrixRow(a, 0);
    const Vec3 upA = MatrixRow(a, 1);
    const Vec3 upB = MatrixRow(b, 1);
    return std::atan2(VectorDot(front, VectorCross(upA, upB)), VectorDot(upA, upB));
}

void TqpJointHinge::SubmitConstraints(const JointBodyState& state, JointRowSink& rows) {
    Mat4 a, b;
    GlobalFrames(state, a, b);
    const Vec3 front = MatrixRow(a, 0);
    const Vec3 up = MatrixRow(a, 1);
    const Vec3 right = MatrixRow(a, 2);
    const Vec3 posA = MatrixRow(a, 3);
    const Vec3 posB = MatrixRow(b, 3);

    rows.AddLinearRow(posA, posB, front);
    rows.AddLinearRow(posA, posB, up);
    rows.AddLinearRow(posA, posB, right);

    const Vec3 q0 = VectorAdd(posA, VectorScale(front, kPinLever));
    const Vec3 q1 = VectorAdd(posB, VectorScale(MatrixRow(b, 0), kPinLever));
    rows.AddLinearRow(q0, q1, up);
    rows.AddLinearRow(q0, q1, right);

    if (!limitsEnabled_ && !motorEnabled_ && !fixedAngleEnabled_) return;
    const float angle = HingeAngle(a, b);
    const float spin = VectorDot(VectorSubtract(state.parentOmega, state.childOmega), front);

    if (limitsEnabled_) {
        if (angle < minAngle_) {
            rows.AddAngularRow(angle - minAngle_, front);
            rows.SetRowStiffness(1.0f);
        } else if (angle > maxAngle_) {
            rows.AddAngularRow(angle - maxAngle_, front);
            rows.SetRowStiffness(1.0f);
        }
    } else if (motorEnabled_) {
        rows.AddAngularRow(0.0f, front);
        rows.SetRowAcceleration(motorAccel_ - motorDamping_ * spin);
    } else {
        const float velocity = (fixedAngle_ - angle) / kServoStep;
        rows.AddAngularRow(0.0f, front);
        rows.SetRowAcceleration((velocity - spin) / kServoStep);
    }
}

void TqpJointHinge::SetLimitsEnabled(bool enabled) {
    limitsEnabled_ = enabled;
    if (enabled) motorEnabled_ = false;
}

void TqpJointHinge::SetLimits(float minRadians, float maxRadians) {
    minAngle_ = minRadians;
    maxAngle_ = maxRadians;
}

void TqpJointHinge::SetMotorEnabled(bool enabled) {
    motorEnabled_ = enabled;
    if (enabled) limitsEnabled_ = false;
}

void TqpJointHinge::SetMotorAccel(float acceleration, float damping) {
    motorAccel_ = acceleration;
    motorDamping_ = damping;
}

void TqpJointHinge::SetFixedAngleEnabled(bool enabled) {
    fixedAngleEnabled_ = enabled;
    if (enabled) limitsEnabled_ = false;
}

void TqpJointHinge::SetFixedAngle(float radians) {
    fixedAngle_ = radians;
}

} // namespace quarn
