#include "PhysicsTestScene.h"

#include <cmath>

namespace physics_test {

FaceData::FaceData(const Mesh& mesh) : vertices_(mesh.vertices), faces_(mesh.faces) {
    data_.FaceCount = static_cast<int32_t>(mesh.faces.size());
    data_.VertexCount = static_cast<int32_t>(mesh.vertices.size());
    data_.Vertices = vertices_.data();
    data_.Faces = faces_.data();
}

Mesh FloorMesh(float halfSize, float y, float slopeDegrees) {
    const float a = slopeDegrees * 3.14159265f / 180.0f;
    const float c = std::cos(a), s = std::sin(a);
    Mesh m;
    const float corners[4][2] = {
        {-halfSize, -halfSize}, {halfSize, -halfSize}, {halfSize, halfSize}, {-halfSize, halfSize}};
    for (const auto& xz : corners) {
        // Rotate (x, 0, z) about Z, then lift to y.
        m.vertices.push_back(TQUARNVector{xz[0] * c, xz[0] * s + y, xz[1]});
    }
    // Counter-clockwise seen from above.
    m.faces.push_back(TQUARNIntVector{0, 2, 1});
    m.faces.push_back(TQUARNIntVector{0, 3, 2});
    return m;
}

Mesh BoxMesh(TQUARNVector lo, TQUARNVector hi) {
    Mesh m;
    for (int i = 0; i < 8; ++i)
        m.vertices.push_back(
            TQUARNVector{(i & 1) ? hi.x : lo.x, (i & 2) ? hi.y : lo.y, (i & 4) ? hi.z : lo.z});
    const int32_t quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                 {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& q : quads) {
        m.faces.push_back(TQUARNIntVector{q[0], q[1], q[2]});
        m.faces.push_back(TQUARNIntVector{q[0], q[2], q[3]});
    }
    return m;
}

TqpBodyHandle AddTreeFloor(TqpWorldHandle world, float halfSize, float y, float slopeDegrees) {
    FaceData faces(FloorMesh(halfSize, y, slopeDegrees));
    TqpCollisionHandle tree = qpCollisionCreateByFace(world, QP_COLLISION_TREE, faces.get());
    return qpBodyCreate(world, 1, tree);
}

TqpBodyHandle AddBox(TqpWorldHandle world, TQUARNVector size, float mass, TQUARNVector position) {
    TqpCollisionHandle box = qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size);
    TqpBodyHandle body = qpBodyCreate(world, 1, box);
    qpBodySetMass(body, mass);
    TqpMatrix m = Translation(position);
    qpBodySetMatrix(body, &m);
    return body;
}

TqpBodyHandle AddSphere(TqpWorldHandle world, float radius, float mass, TQUARNVector position) {
    TQUARNVector radii{radius, radius, radius};
    TqpCollisionHandle sphere = qpCollisionCreateBySize(world, QP_COLLISION_SPHERE, &radii);
    TqpBodyHandle body = qpBodyCreate(world, 1, sphere);
    qpBodySetMass(body, mass);
    TqpMatrix m = Translation(position);
    qpBodySetMatrix(body, &m);
    return body;
}

TqpMatrix Translation(TQUARNVector p) {
    TqpMatrix m = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, p.x, p.y, p.z, 1}};
    return m;
}

TqpMatrix RotationZ(float degrees, TQUARNVector p) {
    const float a = degrees * 3.14159265f / 180.0f;
    const float c = std::cos(a), s = std::sin(a);
    TqpMatrix m = {{c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, p.x, p.y, p.z, 1}};
    return m;
}

TQUARNVector Position(TqpBodyHandle body) {
    TqpMatrix m;
    qpBodyGetMatrix(&m, body);
    return TQUARNVector{m.m[12], m.m[13], m.m[14]};
}

TQUARNVector Velocity(TqpBodyHandle body) {
    TQUARNVector v{};
    qpBodyGetVelocity(&v, body);
    return v;
}

void Simulate(TqpWorldHandle world, float seconds) {
    const int steps = static_cast<int>(std::lround(seconds * 60.0f));
    for (int i = 0; i < steps; ++i)
        qpWorldStep(world, 1.0f / 60.0f, 1, 60.0f);
}

} // namespace physics_test

namespace physics_test {

void QUARN_CALL ApplyGravity(TqpBodyHandle body) {
    const TQUARNVector g{0, -9.8f * qpBodyGetMass(body), 0};
    qpBodyAddForce(body, &g);
}

TqpBodyHandle AddFallingBox(TqpWorldHandle world, TQUARNVector size, float mass,
                            TQUARNVector position) {
    TqpBodyHandle body = AddBox(world, size, mass, position);
    qpBodySetForceAndTorqueCallback(body, &ApplyGravity);
    qpBodySetAutoFreeze(body, 0);
    return body;
}

} // namespace physics_test
