#include "BulletScenes.h"

#include <btBulletDynamicsCommon.h>

#include <vector>

namespace bench {

namespace {

// Bullet multiplies the two bodies' frictions; the library's material gives every pair 0.5.
const btScalar kBodyFriction = btSqrt(btScalar(0.5));

} // namespace

struct BulletScene::Impl {
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher{&configuration};
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world{&dispatcher, &broadphase, &solver, &configuration};
    btBoxShape unitBox{btVector3(0.5f, 0.5f, 0.5f)};
    btTriangleMesh floorMesh;
    std::unique_ptr<btBvhTriangleMeshShape> floorShape;
    std::vector<std::unique_ptr<btRigidBody>> bodies;

    ~Impl() {
        for (auto& body : bodies)
            world.removeRigidBody(body.get());
    }
};

BulletScene::BulletScene() : impl_(std::make_unique<Impl>()) {
    impl_->world.setGravity(btVector3(0, -9.8f, 0));
    // Bullet as a plain user runs it (no internal-edge pass on the floor mesh, which the layer
    // runs on every tree contact), with the layer's solver settings: 20 iterations, one
    // friction direction with caching, several contact points per touching convex pair from
    // the first contact on, and the contact stiffness of the library's default material
    // (softness 2: a third of 0.8 of the penetration removed per step, whether or not Bullet
    // splits the impulse).
    impl_->configuration.setConvexConvexMultipointIterations(3, 3);
    impl_->configuration.setPlaneConvexMultipointIterations(3, 3);
    btContactSolverInfo& info = impl_->world.getSolverInfo();
    info.m_numIterations = 20;
    info.m_erp = info.m_erp2 = 0.8f / 3.0f;
    info.m_solverMode |= SOLVER_ENABLE_FRICTION_DIRECTION_CACHING;
    info.m_solverMode &= ~SOLVER_USE_2_FRICTION_DIRECTIONS;
}

BulletScene::~BulletScene() = default;

void BulletScene::AddFloor(float h) {
    impl_->floorMesh.addTriangle(btVector3(-h, 0, -h), btVector3(h, 0, h), btVector3(h, 0, -h));
    impl_->floorMesh.addTriangle(btVector3(-h, 0, -h), btVector3(-h, 0, h), btVector3(h, 0, h));
    AddFloorBody();
}

void BulletScene::AddFloorBody() {
    impl_->floorShape = std::make_unique<btBvhTriangleMeshShape>(&impl_->floorMesh, true);
    btRigidBody::btRigidBodyConstructionInfo info(0, nullptr, impl_->floorShape.get());
    info.m_friction = kBodyFriction; // the layer's material: kinetic friction, no bounce
    info.m_restitution = 0;
    impl_->bodies.push_back(std::make_unique<btRigidBody>(info));
    impl_->world.addRigidBody(impl_->bodies.back().get());
}

void BulletScene::AddGridFloor(int cells, float cellSize) {
    const float h = cells * cellSize * 0.5f;
    for (int i = 0; i < cells; ++i)
        for (int k = 0; k < cells; ++k) {
            const float x0 = -h + i * cellSize, z0 = -h + k * cellSize;
            const float x1 = x0 + cellSize, z1 = z0 + cellSize;
            impl_->floorMesh.addTriangle(btVector3(x0, 0, z0), btVector3(x1, 0, z1),
                                         btVector3(x1, 0, z0));
            impl_->floorMesh.addTriangle(btVector3(x0, 0, z0), btVector3(x0, 0, z1),
                                         btVector3(x1, 0, z1));
        }
    AddFloorBody();
}

void BulletScene::AddUnitBox(float mass, float x, float y, float z, float yaw) {
    btCollisionShape* shape = &impl_->unitBox;
    btVector3 inertia(0, 0, 0);
    shape->calculateLocalInertia(mass, inertia);
    btTransform start;
    start.setIdentity();
    start.setOrigin(btVector3(x, y, z));
    start.setRotation(btQuaternion(btVector3(0, 1, 0), yaw));
    // No motion state, as in the layer: poses are read from the bodies.
    btRigidBody::btRigidBodyConstructionInfo info(mass, nullptr, shape, inertia);
    info.m_startWorldTransform = start;
    info.m_friction = kBodyFriction;
    info.m_restitution = 0;
    impl_->bodies.push_back(std::make_unique<btRigidBody>(info));
    impl_->bodies.back()->setActivationState(DISABLE_DEACTIVATION);
    impl_->world.addRigidBody(impl_->bodies.back().get());
}

float BulletScene::LastBoxHeight() const {
    return impl_->bodies.back()->getWorldTransform().getOrigin().y();
}

// One solver step of exactly timestep, as each update of the layer runs.
void BulletScene::Step(float timestep) {
    impl_->world.stepSimulation(timestep, 0, timestep);
}

} // namespace bench
