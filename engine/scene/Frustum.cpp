#include "engine/scene/Frustum.h"

#include "platform/gl/GL.h"

namespace quarn {

double DegToRad(double degrees) {
    return degrees * 0.017453292519943295;
}

void TQGLFrustrum::ExtractPlanes() {
    float p[16], m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    ExtractPlanesFrom(p, m);
}

void TQGLFrustrum::ExtractPlanesFrom(const float p[16], const float m[16]) {
    float k[16];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            k[4 * i + j] = m[4 * i] * p[j] + m[4 * i + 1] * p[4 + j] + m[4 * i + 2] * p[8 + j] +
                           m[4 * i + 3] * p[12 + j];
    // Plane index, column k of the clip matrix, and whether it is added or subtracted.
    static const struct {
        int column;
        float sign;
    } kRows[6] = {{0, -1}, {0, 1}, {1, 1}, {1, -1}, {2, -1}, {2, 1}};
    for (int n = 0; n < 6; ++n) {
        const int c = kRows[n].column;
        const float s = kRows[n].sign;
        float* pl = Planes[n];
        pl[0] = k[3] + s * k[c];
        pl[1] = k[7] + s * k[4 + c];
        pl[2] = k[11] + s * k[8 + c];
        pl[3] = k[15] + s * k[12 + c];
        const float scale = pl[0] * pl[0] + pl[1] * pl[1] + pl[2] * pl[2];
        if (scale > 0.0f)
            for (int i = 0; i < 4; ++i)
                pl[i] /= scale;
    }
}

bool TQGLFrustrum::ArePointsVisible(const Vec3 c[8]) const {
    for (const auto& pl : Planes) {
        bool anyInside = false;
        for (int i = 0; i < 8 && !anyInside; ++i)
            anyInside = pl[0] * c[i].x + pl[1] * c[i].y + pl[2] * c[i].z + pl[3] > 0.0f;
        if (!anyInside) return false;
    }
    return true;
}

bool TQGLFrustrum::IsBoxVisible(const Mat4& matrix, const Vec3 corners[8]) const {
    Vec3 t[8];
    for (int i = 0; i < 8; ++i)
        t[i] = VectorTransformPoint(corners[i], matrix);
    return ArePointsVisible(t);
}

} // namespace quarn
