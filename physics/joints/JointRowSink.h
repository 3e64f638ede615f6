// Where a joint's constraint rows go. The solver's sink forwards them to the user-joint
// interface; tests record them to check the rows a pose produces.
#pragma once

#include "common/QuarnMath.h"

namespace quarn {

class JointRowSink {
  public:
    // Keeps pointOnChild and pointOnParent together along direction.
    virtual void AddLinearRow(const Vec3& pointOnChild, const Vec3& pointOnParent,
                              const Vec3& direction) = 0;
    // Drives the angle error about direction to zero.
    virtual void AddAngularRow(float angleError, const Vec3& direction) = 0;
    // Both apply to the row added last.
    virtual void SetRowAcceleration(float acceleration) = 0;
    virtual void SetRowStiffness(float stiffness) = 0;

  protected:
    ~JointRowSink() = default;
};

// What a joint reads of its two bodies in one update; the parent is the world when absent.
struct JointBodyState {
    Mat4 childMatrix = MatrixIdentity();
    Mat4 parentMatrix = MatrixIdentity();
    Vec3 childOmega;
    Vec3 parentOmega;
    bool hasParent = false;
};

} // namespace quarn
