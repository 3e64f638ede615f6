#include "LayerScene.h"

namespace layer_test {

Matrix Translation(float x, float y, float z) {
    Matrix m{};
    m[0] = m[5] = m[10] = m[15] = 1.0f;
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

void Gravity(const NewtonBody* body) {
    float mass, ixx, iyy, izz;
    NewtonBodyGetMassMatrix(body, &mass, &ixx, &iyy, &izz);
    const float force[3] = {0.0f, -9.8f * mass, 0.0f};
    NewtonBodyAddForce(body, force);
}

LayerScene::LayerScene() : world_(NewtonCreate(nullptr, nullptr)) {
    const int group = NewtonMaterialGetDefaultGroupID(world_);
    NewtonMaterialSetDefaultElasticity(world_, group, group, 0.0f);
    NewtonMaterialSetDefaultSoftness(world_, group, group, 2.0f);
}

LayerScene::~LayerScene() {
    NewtonDestroy(world_);
}

NewtonBody* LayerScene::AddTreeFloor(float y) {
    NewtonCollision* tree = NewtonCreateTreeCollision(world_, nullptr);
    NewtonTreeCollisionBeginBuild(tree);
    const float a[9] = {-20, y, -20, -20, y, 20, 20, y, 20};
    const float b[9] = {-20, y, -20, 20, y, 20, 20, y, -20};
    NewtonTreeCollisionAddFace(tree, 3, a, 3 * sizeof(float), 0);
    NewtonTreeCollisionAddFace(tree, 3, b, 3 * sizeof(float), 0);
    NewtonTreeCollisionEndBuild(tree, 1);
    NewtonBody* floor = NewtonCreateBody(world_, tree);
    NewtonReleaseCollision(world_, tree);
    return floor;
}

NewtonBody* LayerScene::AddBody(NewtonCollision* shape, float mass, float x, float y, float z) {
    NewtonBody* body = NewtonCreateBody(world_, shape);
    float inertia[3], origin[3];
    NewtonConvexCollisionCalculateInertialMatrix(shape, inertia, origin);
    NewtonBodySetMassMatrix(body, mass, mass * inertia[0], mass * inertia[1], mass * inertia[2]);
    const Matrix m = Translation(x, y, z);
    NewtonBodySetMatrix(body, m.data());
    NewtonBodySetForceAndTorqueCallback(body, &Gravity);
    return body;
}

NewtonBody* LayerScene::AddBox(float size, float mass, float x, float y, float z) {
    NewtonCollision* box = NewtonCreateBox(world_, size, size, size, nullptr);
    NewtonBody* body = AddBody(box, mass, x, y, z);
    NewtonReleaseCollision(world_, box);
    return body;
}

void LayerScene::Run(int updates, float h) {
    for (int i = 0; i < updates; ++i)
        NewtonUpdate(world_, h);
}

std::array<float, 3> Position(const NewtonBody* body) {
    Matrix m;
    NewtonBodyGetMatrix(body, m.data());
    return {m[12], m[13], m[14]};
}

std::array<float, 3> Velocity(const NewtonBody* body) {
    std::array<float, 3> v;
    NewtonBodyGetVelocity(body, v.data());
    return v;
}

} // namespace layer_test
