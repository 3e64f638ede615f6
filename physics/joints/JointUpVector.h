// Keeps the child's front axis on a world direction while leaving it free to turn about it.
#pragma once

#include "physics/joints/JointBase.h"

namespace quarn {

class TqpJointUpVector : public TqpJointBase {
  public:
    // The pivot is the body's current position; the joint starts holding the body's present
    // orientation of pin. The pin is not stored: Pin() stays (0, 0, 0) until SetPin.
    TqpJointUpVector(const NewtonBody* body, const Vec3& pin);

    void SubmitConstraints(const JointBodyState& state, JointRowSink& rows) override;

    // Stores the pin and makes it the world direction the axis is pulled onto.
    void SetPin(const Vec3& pin);
    const Vec3& Pin() const { return pin_; }

  private:
    Vec3 pin_;
};

} // namespace quarn
