#include "engine/assets/MeshTransforms.h"

#include "engine/scene/MeshObject.h"

#include <cmath>

namespace quarn {

namespace {

// Row-vector matrices: the named axis row is the identity's, the other two rows hold
// (cos, -sin) and (sin, cos) in the axes that turn.
Mat4 TurnMatrix(int axis, float degrees) {
    const float a = degrees * float(M_PI) / 180.0f;
    const float c = std::cos(a), s = std::sin(a);
    Mat4 m = MatrixIdentity();
    const int i = (axis + 1) % 3, j = (axis + 2) % 3;
    m.m[i * 4 + i] = c;
    m.m[i * 4 + j] = -s;
    m.m[j * 4 + i] = s;
    m.m[j * 4 + j] = c;
    return m;
}

void Turn(TQGLBaseMeshObject& mesh, int axis, float degrees) {
    const Mat4 m = TurnMatrix(axis, degrees);
    const Vec3 centre = MeshCentre(mesh);
    for (Vec3& v : mesh.Vertices)
        v = VectorAdd(VectorTransformDirection(VectorSubtract(v, centre), m), centre);
    for (Vec3& n : mesh.Normals)
        n = VectorTransformDirection(n, m);
    mesh.GeometryChanged();
}

} // namespace

Vec3 MeshCentre(const TQGLBaseMeshObject& mesh) {
    if (mesh.Vertices.empty()) return Vec3{};
    double x = 0, y = 0, z = 0; // many vertices: sum in double
    for (const Vec3& v : mesh.Vertices)
        x += v.x, y += v.y, z += v.z;
    const double n = double(mesh.Vertices.size());
    return Vec3{float(x / n), float(y / n), float(z / n)};
}

void RotateMeshX(TQGLBaseMeshObject& mesh, float degrees) {
    Turn(mesh, 0, degrees);
}
void RotateMeshY(TQGLBaseMeshObject& mesh, float degrees) {
    Turn(mesh, 1, degrees);
}
void RotateMeshZ(TQGLBaseMeshObject& mesh, float degrees) {
    Turn(mesh, 2, degrees);
}

void ScaleMesh(TQGLBaseMeshObject& mesh, const Vec3& factor) {
    for (Vec3& v : mesh.Vertices)
        v = Vec3{v.x * factor.x, v.y * factor.y, v.z * factor.z};
    mesh.GeometryChanged();
}

void TranslateMesh(TQGLBaseMeshObject& mesh, const Vec3& offset) {
    for (Vec3& v : mesh.Vertices)
        v = VectorAdd(v, offset);
    mesh.GeometryChanged();
}

} // namespace quarn
