/* A host built against an installed prefix: a box body falls in the physics world and a
 * dynamic object of the scene follows it through the link header. */
#include "quarn/QuarnGL.h"
#include "quarn/QuarnLink.h"
#include "quarn/QuarnPhysics.h"

#include <math.h>
#include <stdio.h>

static TqpWorldHandle world;
static TqpBodyHandle body;
static TQGLHandle box;
static int frames = 0, followed = 0;

static void QUARN_CALL Gravity(TqpBodyHandle b) {
    const TQUARNVector weight = {0.0f, -9.8f * qpBodyGetMass(b), 0.0f};
    qpBodyAddForce(b, &weight);
}

static void QUARN_CALL OnInit(void) {
    const TQUARNVector size = {1.0f, 1.0f, 1.0f};
    world = qpWorldCreate();
    body = qpBodyCreate(world, 1, qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size));
    qpBodySetMass(body, 1.0f);
    qpBodySetForceAndTorqueCallback(body, Gravity);
    box = qglLoadDynamicPredefined(1, qglAddMaterial("box"), 0, 0, 0, 0, 0, 0, 1, 1, 1);
    qglSetCameraPosition(0.0f, 0.0f, 5.0f);
}

static void QUARN_CALL OnBefore(void) {
    TqpMatrix bodyMatrix;
    float drawn[16];
    qpWorldStep(world, 1.0f / 60.0f, 1, 60.0f);
    if (!quarnFollowBody(box, body, 0.0f)) return;
    qpBodyGetMatrix(&bodyMatrix, body);
    qglGetDynamicMatrix(drawn, box);
    if (fabsf(drawn[13] - bodyMatrix.m[13]) < 1e-5f && bodyMatrix.m[13] < 0.0f) ++followed;
}

static void QUARN_CALL OnAfter(void) {
    if (++frames == 5) qglDestroySceneWindow();
}

int main(void) {
    const int32_t result = qglCreateSceneWindow(64, 48, 32, 0, OnInit, OnBefore, OnAfter);
    qpWorldDestroy(world);
    if (result != 0 || frames != 5 || followed != 5) {
        fprintf(stderr, "consumer: result %d, frames %d, followed %d, error %s\n", (int)result,
                frames, followed, qglGetLastError() ? qglGetLastError() : "none");
        return 1;
    }
    printf("consumer: %d frames, the box followed its falling body\n", frames);
    return 0;
}
