#include "engine/scene/MeshTransforms.h"

#include <cmath>

namespace quarn {

namespace {

void RotateAbout(TQGLBaseMeshObject& mesh, const Mat4& rotation) {
    const Vec3 centre = MeshCentre(mesh);
    for (Vec3& v : mesh.Vertices)
        v = VectorAdd(VectorTransformDirection(VectorSubtract(v, centre), rotation), centre);
    for (Vec3& n : mesh.Normals)
        n = VectorTransformDirection(n, rotation);
    mesh.GeometryChanged();
}

// The rotation by degrees about one axis: for X, rows (0, cos, -sin) and (0, sin, cos).
Mat4 AxisRotation(int axis, float degrees) {
    const float a = float(degrees * kDegToRad);
    const float c = std::cos(a), s = std::sin(a);
    Mat4 m = MatrixIdentity();
    const int i = axis == 0 ? 1 : 0; // the two rows and columns that turn
    const int j = axis == 2 ? 1 : 2;
    m.at(i, i) = c;
    m.at(j, j) = c;
    if (axis == 1) { // about Y the sine signs swap, keeping the turn right-handed
        m.at(i, j) = s;
        m.at(j, i) = -s;
    } else {
        m.at(i, j) = -s;
        m.at(j, i) = s;
    }
    return m;
}

} // namespace

Vec3 MeshCentre(const TQGLBaseMeshObject& mesh) {
    if (mesh.Vertices.empty()) return Vec3{};
    double x = 0, y = 0, z = 0; // large imported meshes: sum in double
    for (const Vec3& v : mesh.Vertices)
        x += v.x, y += v.y, z += v.z;
    const double n = double(mesh.Vertices.size());
    return Vec3{float(x / n), float(y / n), float(z / n)};
}

void TranslateMesh(TQGLBaseMeshObject& mesh, const Vec3& offset) {
    for (Vec3& v : mesh.Vertices)
        v = VectorAdd(v, offset);
    mesh.GeometryChanged();
}

void ScaleMesh(TQGLBaseMeshObject& mesh, const Vec3& f) {
    for (Vec3& v : mesh.Vertices)
        v = Vec3{v.x * f.x, v.y * f.y, v.z * f.z};
    mesh.GeometryChanged();
}

void RotateMeshX(TQGLBaseMeshObject& mesh, float degrees) {
    RotateAbout(mesh, AxisRotation(0, degrees));
}
void RotateMeshY(TQGLBaseMeshObject& mesh, float degrees) {
    RotateAbout(mesh, AxisRotation(1, degrees));
}
void RotateMeshZ(TQGLBaseMeshObject& mesh, float degrees) {
    RotateAbout(mesh, AxisRotation(2, degrees));
}

} // namespace quarn
