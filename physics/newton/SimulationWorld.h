// The world: Bullet's discrete dynamics world stepped one fixed step per update, with the
// Newton-style callback points (forces, contacts, joints, vehicles, transforms) inside it.
#pragma once

#include "physics/newton/ContactMaterial.h"
#include "physics/newton/Newton.h"

#include <btBulletDynamicsCommon.h>

#include <memory>
#include <unordered_set>
#include <vector>

struct NewtonBody;
struct NewtonJoint;

namespace quarn::newton {

// Runs the contact and joint callbacks between collision detection and solving, and the
// layer's own sleep rule, inside Bullet's single step.
class LayerDynamicsWorld : public btDiscreteDynamicsWorld {
  public:
    LayerDynamicsWorld(NewtonWorld& owner, btDispatcher* dispatcher,
                       btBroadphaseInterface* broadphase, btConstraintSolver* solver,
                       btCollisionConfiguration* configuration);

  protected:
    void solveConstraints(btContactSolverInfo& solverInfo) override;
    void updateActivationState(btScalar timeStep) override;

  private:
    NewtonWorld& owner_;
};

// Bullet's second friction direction makes stacks creep, so it is used only for the pairs
// whose process callback set tangents (conveyors), which need both.
class LayerSolver : public btSequentialImpulseConstraintSolver {
  public:
    // The pair settings the solver applies itself when no contact pass ran this update.
    void SetPendingSettings(const ContactSettings& settings) {
        pendingSettings_ = settings;
        settingsPending_ = true;
    }
    void ClearPendingSettings() { settingsPending_ = false; }

  protected:
    void convertContacts(btPersistentManifold** manifolds, int count,
                         const btContactSolverInfo& info) override;

  private:
    btContactSolverInfo withTangents_;
    ContactSettings pendingSettings_;
    bool settingsPending_ = false;
};

} // namespace quarn::newton

struct NewtonWorld {
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher{&configuration};
    btDbvtBroadphase broadphase;
    quarn::newton::LayerSolver solver;
    quarn::newton::LayerDynamicsWorld dynamics;

    NewtonMaterial material; // the default group pair and the contact being processed
    btVector3 worldMin{-100, -100, -100};
    btVector3 worldMax{100, 100, 100};
    float timestep = 1.0f / 60.0f;
    bool updating = false;
    bool stepping = false; // inside Bullet's step: its object arrays must not change

    NewtonBody* firstBody = nullptr;
    NewtonBody* lastBody = nullptr;
    int bodyCount = 0;
    std::vector<NewtonJoint*> joints;  // creation order
    std::vector<NewtonBody*> deferred; // destroyed during an update
    std::vector<NewtonJoint*> deferredJoints;
    std::vector<NewtonBody*> pendingBodies; // not yet in Bullet's world, in creation order
    std::vector<NewtonJoint*> pendingJoints;
    btAlignedObjectArray<btPersistentManifold*> manifoldScratch;
    std::unordered_set<NewtonCollision*> shapes;

    NewtonWorld();
    ~NewtonWorld();
    NewtonWorld(const NewtonWorld&) = delete;
    NewtonWorld& operator=(const NewtonWorld&) = delete;

    void AddBody(NewtonBody* body);
    // Joins the joint to Bullet now, or after the step when called from inside it.
    void AttachJoint(NewtonJoint* joint);
    // Runs the body's joints' and its own destructors and frees it (deferred inside an update).
    void DestroyBody(NewtonBody* body);
    void DestroyJoint(NewtonJoint* joint);
    void DestroyAllBodies();
    void Update(float h);
    // Called by the dynamics world between collision detection and solving.
    void BeforeSolve();
    // Called by the dynamics world instead of Bullet's own sleep rule.
    void UpdateSleep();
    bool Inside(const btVector3& point) const;

  private:
    void FreeBody(NewtonBody* body);
    void FreeJoint(NewtonJoint* joint);
    void FreeDeferred();
    void ApplyForces();
    void JoinPendingBodies();
    void FinishBodies();
    void FreezeIfEscaped(NewtonBody& body);
};
