#include "engine/core/BoundingBox.h"

#include "platform/gl/GL.h"

namespace quarn {

void BoxCorners(const Vec3& lo, const Vec3& hi, Vec3 c[8]) {
    c[0] = {lo.x, lo.y, hi.z};
    c[1] = {hi.x, lo.y, hi.z};
    c[2] = {hi.x, hi.y, hi.z};
    c[3] = {lo.x, hi.y, hi.z};
    c[4] = {lo.x, lo.y, lo.z};
    c[5] = {lo.x, hi.y, lo.z};
    c[6] = {hi.x, hi.y, lo.z};
    c[7] = {hi.x, lo.y, lo.z};
}

void DrawBoxEdges(const Vec3 c[8]) {
    static const int kEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                      {6, 7}, {7, 4}, {0, 4}, {1, 7}, {3, 5}, {2, 6}};
    glBegin(GL_LINES);
    for (const auto& e : kEdges) {
        glVertex3fv(&c[e[0]].x);
        glVertex3fv(&c[e[1]].x);
    }
    glEnd();
}

} // namespace quarn
