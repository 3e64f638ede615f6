#include "physics/joints/JointUpVector.h"

#include <algorithm>
#include <cmath>

namespace quarn {

namespace {

Vec3 BodyPosition(const NewtonBody* body) {
    float m[16];
    NewtonBodyGetMatrix(body, m);
    return Vec3{m[12], m[13], m[14]};
}

} // namespace

TqpJointUpVector::TqpJointUpVector(const NewtonBody* body, const Vec3& pin)
    : TqpJointBase(2, body, nullptr) {
    SetFramesFromPivotAndPin(BodyPosition(body), pin);
}

void TqpJointUpVector::SetPin(const Vec3& pin) {
    pin_ = pin;
    parentFrame_ = PinFrame(pin, Vec3{});
}

void TqpJointUpVector::SubmitConstraints(const JointBodyState& state, JointRowSink& rows) {
    Mat4 a, b;
    GlobalFrames(state, a, b);
    const Vec3 frontA = MatrixRow(a, 0);
    const Vec3 frontB = MatrixRow(b, 0);
    Vec3 lateral = VectorCross(frontA, frontB);
    const float m2 = VectorDot(lateral, lateral);
    if (m2 > 1e-6f) {
        const float m = std::sqrt(m2);
        lateral = VectorScale(lateral, 1.0f / m);
        // m is a sine; rounding can push it a hair above 1.
        rows.AddAngularRow(std::asin(std::min(m, 1.0f)), lateral);
        rows.AddAngularRow(0.0f, VectorCross(lateral, frontB));
    } else {
        rows.AddAngularRow(0.0f, MatrixRow(a, 1));
        rows.AddAngularRow(0.0f, MatrixRow(a, 2));
    }
}

} // namespace quarn
