// The contact pass: for each touching body pair, the begin, process and end callbacks of the
// default group pair run with the material describing the pair and the current contact.
#pragma once

#include "physics/newton/Newton.h"

#include <btBulletDynamicsCommon.h>

struct NewtonMaterial {
    // Pair settings.
    float elasticity = 0.4f;
    float softness = 0.15f;
    float staticFriction = 0.9f;
    float kineticFriction = 0.5f;
    void* userData = nullptr;
    NewtonContactBegin begin = nullptr;
    NewtonContactProcess process = nullptr;
    NewtonContactEnd end = nullptr;

    // The contact being processed (valid inside the process callback).
    btPersistentManifold* manifold = nullptr;
    btManifoldPoint* point = nullptr;
    float timestep = 1.0f / 60.0f;
};

namespace quarn::newton {

// True when the pair has a callback: the contacts must then be walked before the solver runs.
bool HasListeners(const NewtonMaterial& material);

// Runs the callbacks over every manifold with contacts and applies the pair settings;
// scratch keeps its capacity between updates.
void RunContactPass(NewtonMaterial& material, btDispatcher& dispatcher,
                    btAlignedObjectArray<btPersistentManifold*>& scratch);

// What the pair settings make of each contact point, in Bullet's terms.
struct ContactSettings {
    btScalar restitution = 0, friction = 0, erp = 0;
};
ContactSettings SettingsOf(const NewtonMaterial& material);

// Applies the pair settings to the points of one manifold (the pass's work when nobody
// listens, done where the solver converts the manifold and its points are in cache).
void ApplyPairSettings(const ContactSettings& settings, btPersistentManifold& manifold);

// Sets the current contact's first tangent along direction (projected on the contact plane).
void RotateTangent(NewtonMaterial& material, const btVector3& direction);
// Sets the current contact's target relative tangential acceleration.
void SetTangentAcceleration(NewtonMaterial& material, float acceleration, int index);

} // namespace quarn::newton
