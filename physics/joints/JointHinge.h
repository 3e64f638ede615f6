// A hinge: only rotation about the pin is free. At most one of limits, motor and fixed-angle
// servo acts, in that order of precedence.
#pragma once

#include "physics/joints/JointBase.h"

namespace quarn {

class TqpJointHinge : public TqpJointBase {
  public:
    // pivot and pin in world space, taken from the bodies' current matrices.
    TqpJointHinge(const NewtonBody* parent, const NewtonBody* child, const Vec3& pivot,
                  const Vec3& pin);

    void SubmitConstraints(const JointBodyState& state, JointRowSink& rows) override;

    // Angle of the parent's frame relative to the child's about the pin, radians.
    static float HingeAngle(const Mat4& a, const Mat4& b);

    // Enabling limits switches the motor off; enabling the motor or the fixed angle switches
    // the limits off.
    void SetLimitsEnabled(bool enabled);
    void SetLimits(float minRadians, float maxRadians);
    void SetMotorEnabled(bool enabled);
    void SetMotorAccel(float acceleration, float damping);
    void SetFixedAngleEnabled(bool enabled);
    void SetFixedAngle(float radians);

    bool LimitsEnabled() const { return limitsEnabled_; }
    bool MotorEnabled() const { return motorEnabled_; }
    bool FixedAngleEnabled() const { return fixedAngleEnabled_; }
    float MinAngle() const { return minAngle_; }
    float MaxAngle() const { return maxAngle_; }
    float FixedAngle() const { return fixedAngle_; }

  private:
    // The servo reaches its target within one step of this length.
    static constexpr float kServoStep = 1.0f / 60.0f;
    // Distance along the pin of the second pair of linear rows that fixes the pin's direction.
    static constexpr float kPinLever = 50.0f;

    bool limitsEnabled_ = false;
    float minAngle_ = -static_cast<float>(kPi / 4);
    float maxAngle_ = static_cast<float>(kPi / 4);
    bool motorEnabled_ = false;
    float motorAccel_ = 0;
    float motorDamping_ = 0;
    bool fixedAngleEnabled_ = false;
    float fixedAngle_ = 0;
};

} // namespace quarn
