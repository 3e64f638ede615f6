/* The link header in a C99 host: a static ground mesh built through QuarnGL becomes the tree
 * collision a box lands on, counted arrays built from plain arrays pass the physics checks, and
 * a dynamic object follows the box. Exits 0 when every check holds. */
#include "quarn/QuarnLink.h"

#include <math.h>
#include <stdio.h>

static int failures = 0;
#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            fprintf(stderr, "%s:%d: %s failed (GL: %s, physics: %s)\n", __FILE__, __LINE__,        \
                    #condition, qglGetLastError() ? qglGetLastError() : "-",                       \
                    qpGetLastError() ? qpGetLastError() : "-");                                    \
            ++failures;                                                                            \
        }                                                                                          \
    } while (0)

static TqpWorldHandle world;
static TqpBodyHandle box;
static TQGLHandle follower;
static int frames = 0;

static void QUARN_CALL Gravity(TqpBodyHandle body) {
    const TQUARNVector weight = {0.0f, -9.8f * qpBodyGetMass(body), 0.0f};
    qpBodyAddForce(body, &weight);
}

/* A 20 x 20 ground square at y = 1, two faces, built face by face. */
static TQGLHandle BuildGround(void) {
    static const float corners[4][2] = {{-10, -10}, {10, -10}, {10, 10}, {-10, 10}};
    static const int triangles[2][3] = {{0, 2, 1}, {0, 3, 2}};
    TQGLHandle ground = qglGetStaticObject(qglAddStaticObject());
    int t, c;
    for (c = 0; c < 4; ++c)
        qglAddStaticMeshVector(ground, corners[c][0], 1.0f, corners[c][1]);
    qglAddStaticMeshNormal(ground, 0.0f, 1.0f, 0.0f);
    for (t = 0; t < 2; ++t) {
        const int32_t face = qglAddStaticFace(ground);
        for (c = 0; c < 3; ++c) {
            qglAddStaticFaceVectorIndex(ground, face, triangles[t][c]);
            qglAddStaticFaceNormalIndex(ground, face, 0);
        }
    }
    qglBuildStaticOctree(ground);
    return ground;
}

static void CheckCountedArrays(void) {
    static const float cube[8][3] = {{-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1},
                                     {-1, -1, 1},  {1, -1, 1},  {-1, 1, 1},  {1, 1, 1}};
    static const int32_t faces[2][3] = {{0, 1, 2}, {1, 3, 2}};
    TQUARNFaceData data;
    CHECK(quarnFaceDataCreate(&data, &cube[0][0], 8, &faces[0][0], 2));
    CHECK(QUARN_ARRAY_COUNT(data.Vertices) == 8 && QUARN_ARRAY_COUNT(data.Faces) == 2);
    CHECK(data.Vertices[7].z == 1.0f && data.Faces[1].b == 3);
    CHECK(qpCollisionCreateByFace(world, QP_COLLISION_CONVEX_HULL, &data) != NULL);
    /* A face count larger than the array holds is refused, never over-read. */
    data.FaceCount = 3;
    qpClearLastError();
    CHECK(qpCollisionCreateByFace(world, QP_COLLISION_TREE, &data) == NULL);
    CHECK(qpGetLastError() != NULL);
    qpClearLastError();
    quarnFaceDataFree(&data);
    CHECK(data.Vertices == NULL && data.Faces == NULL);
    CHECK(quarnVectorArrayCreate(NULL, -1) == NULL);
}

static void QUARN_CALL OnInit(void) {
    const TQUARNVector size = {1.0f, 1.0f, 1.0f};
    const TqpMatrix start = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 4, 0, 1}};
    TqpCollisionHandle groundCollision;
    world = qpWorldCreate();
    groundCollision = quarnCollisionFromStatic(world, QP_COLLISION_TREE, BuildGround());
    CHECK(groundCollision != NULL);
    CHECK(qpBodyCreate(world, 1, groundCollision) != NULL);
    box = qpBodyCreate(world, 1, qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size));
    qpBodySetMass(box, 1.0f);
    qpBodySetMatrix(box, &start);
    qpBodySetForceAndTorqueCallback(box, Gravity);
    follower = qglLoadDynamicPredefined(1, NULL, 0, 0, 0, 0, 0, 0, 1, 1, 1);
    CHECK(quarnCollisionFromDynamic(world, QP_COLLISION_CONVEX_HULL, follower) != NULL);
    CheckCountedArrays();
}

static void QUARN_CALL OnBefore(void) {
    int step;
    for (step = 0; step < 6; ++step) /* 0.1 s of simulation a frame */
        qpWorldStep(world, 1.0f / 60.0f, 1, 60.0f);
    CHECK(quarnFollowBody(follower, box, 0.0f));
}

/* Engine messages are printed: on Windows, with no callback, each would wait in a modal box. */
static void QUARN_CALL OnMessage(const char* caption, const char* text) {
    fprintf(stderr, "engine message: %s: %s\n", caption, text);
}

static void QUARN_CALL OnAfter(void) {
    if (++frames == 40) qglDestroySceneWindow();
}

int main(void) {
    TqpMatrix rest;
    float drawn[16];
    qglSetMessageCallBack(OnMessage);
    CHECK(qglCreateSceneWindow(64, 48, 32, 0, OnInit, OnBefore, OnAfter) == 0);
    /* Four seconds later the box rests on the ground mesh: its centre half a unit above y = 1,
     * and the dynamic object is drawn where the body is. */
    CHECK(qpBodyGetMatrix(&rest, box) != NULL);
    CHECK(fabsf(rest.m[13] - 1.5f) < 0.1f);
    qglGetDynamicMatrix(drawn, follower);
    CHECK(fabsf(drawn[13] - rest.m[13]) < 0.05f);
    /* A body the physics library does not know leaves the object as it was. */
    qpClearLastError();
    CHECK(!quarnFollowBody(follower, NULL, 0.0f));
    CHECK(qpGetLastError() != NULL);
    qpWorldDestroy(world);
    if (failures) return 1;
    printf("link header: ground mesh collision, counted arrays and follower checked\n");
    return 0;
}
