// A joint: a user joint or a vehicle. Both carry the Newton-style user data and destructor
// and are destroyed with either of their bodies or the world.
#pragma once

#include "physics/newton/Newton.h"

struct NewtonJoint {
    enum class Kind { User, Vehicle };

    Kind kind;
    NewtonWorld* world;
    NewtonBody* body0; // child / chassis
    NewtonBody* body1; // parent, or null for the world
    void* userData = nullptr;
    NewtonConstraintDestructor destructor = nullptr;
    float stiffness = 0.9f;
    bool dying = false; // its destructor is running or it waits for the update to end

    NewtonJoint(Kind k, NewtonWorld* w, NewtonBody* child, NewtonBody* parent)
        : kind(k), world(w), body0(child), body1(parent) {}
    virtual ~NewtonJoint() = default;
    NewtonJoint(const NewtonJoint&) = delete;
    NewtonJoint& operator=(const NewtonJoint&) = delete;

    // Joins the Bullet world; removal happens in Detach, before the destructor runs.
    virtual void Attach() = 0;
    virtual void Detach() = 0;
    // Called by the world once per update before the solver runs.
    virtual void BeforeSolve(float h) = 0;
};

namespace quarn::newton {

// Links the joint with its bodies' joint lists, and unlinks it.
void LinkJoint(NewtonJoint& joint);
void UnlinkJoint(NewtonJoint& joint);

} // namespace quarn::newton
