#include "physics/newton/Joint.h"

#include "physics/newton/RigidBody.h"

#include <algorithm>

namespace quarn::newton {

namespace {

void Remove(NewtonBody* body, NewtonJoint* joint) {
    if (!body) return;
    auto& list = body->joints;
    list.erase(std::remove(list.begin(), list.end(), joint), list.end());
}

} // namespace

void LinkJoint(NewtonJoint& joint) {
    if (joint.body0) joint.body0->joints.push_back(&joint);
    if (joint.body1 && joint.body1 != joint.body0) joint.body1->joints.push_back(&joint);
}

void UnlinkJoint(NewtonJoint& joint) {
    Remove(joint.body0, &joint);
    Remove(joint.body1, &joint);
}

} // namespace quarn::newton
