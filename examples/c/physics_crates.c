/* physics_crates: QuarnPhysics drives QuarnGL. A stack of crates falls onto a floor; each crate
 * is a physics body and a dynamic object that copies the body's pose every frame.
 *
 *   physics_crates                          in a window (offscreen when there is no display)
 *   physics_crates --frames N --output F    renders N frames, saves the last one, exits */
#include "quarn/QuarnGL.h"
#include "quarn/QuarnLink.h" /* host-side helpers joining the two libraries */
#include "quarn/QuarnPhysics.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define CRATES 12
#define STEPS_PER_SECOND 60.0f

static TqpWorldHandle g_world;
static TqpBodyHandle g_bodies[CRATES];
static TQGLHandle g_crates[CRATES];
static int g_framesLeft = -1;
static const char* g_output = "physics_crates.bmp";
static int g_failed = 0;

/* The physics library applies no gravity of its own: each body pulls itself down. */
static void QUARN_CALL ApplyGravity(TqpBodyHandle body) {
    const TQUARNVector weight = {0.0f, -9.8f * qpBodyGetMass(body), 0.0f};
    qpBodyAddForce(body, &weight);
}

static TQGLHandle Colour(const char* name, float r, float g, float b) {
    TQGLHandle m = qglAddMaterial(name);
    qglSetMaterialAmbient(m, r * 0.3f, g * 0.3f, b * 0.3f);
    qglSetMaterialDiffuse(m, r, g, b);
    return m;
}

/* A 30 x 30 floor: a flat box drawn by the engine and a static box body of the same size. */
static void BuildFloor(void) {
    const TQUARNVector size = {30.0f, 1.0f, 30.0f};
    TqpMatrix at = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -0.5f, 0, 1}};
    TqpBodyHandle floor;
    qglLoadDynamicPredefined(1, Colour("floor", 0.4f, 0.5f, 0.4f), 0.0f, -0.5f, 0.0f, 0.0f, 0.0f,
                             0.0f, size.x, size.y, size.z);
    /* A body of mass 0 is static; matrices put the translation in elements 12..14. */
    floor = qpBodyCreate(g_world, 1, qpCollisionCreateBySize(g_world, QP_COLLISION_BOX, &size));
    qpBodySetMatrix(floor, &at);
}

/* Crates of 1 x 1 x 1 in a slightly staggered stack so that it topples as it lands. */
static void BuildCrates(void) {
    const TQUARNVector size = {1.0f, 1.0f, 1.0f};
    TqpCollisionHandle box = qpCollisionCreateBySize(g_world, QP_COLLISION_BOX, &size);
    TQGLHandle wood = Colour("crate", 0.8f, 0.55f, 0.25f);
    int i;
    for (i = 0; i < CRATES; ++i) {
        const int layer = i / 3, column = i % 3;
        TqpMatrix at = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
        at.m[12] = (float)column * 1.1f - 1.1f + 0.15f * (float)layer;
        at.m[13] = 2.0f + (float)layer * 1.3f;
        at.m[14] = 0.1f * (float)(i % 2);
        g_bodies[i] = qpBodyCreate(g_world, 1, box); /* one collision builds many bodies */
        qpBodySetMass(g_bodies[i], 1.0f);
        qpBodySetMatrix(g_bodies[i], &at);
        qpBodySetForceAndTorqueCallback(g_bodies[i], ApplyGravity);
        g_crates[i] = qglLoadDynamicPredefined(1, wood, 0, 0, 0, 0, 0, 0, 1.0f, 1.0f, 1.0f);
        if (!g_bodies[i] || !g_crates[i]) g_failed = 1;
    }
}

static void QUARN_CALL OnSceneInit(void) {
    const TQUARNVector worldSize = {200.0f, 200.0f, 200.0f};
    g_world = qpWorldCreate();
    qpWorldSetSize(g_world, &worldSize);
    BuildFloor();
    BuildCrates();
    qglSetCameraPosition(0.0f, 4.0f, 16.0f);
    qglSetCameraDirection(0.0f, -0.15f, -1.0f);
    qglSetSceneTitle("physics crates");
    qpWorldGetElapsedTime(g_world); /* starts the frame clock */
}

/* Each frame: advance the world by the time that passed (whole 1/60 s updates), then place
 * every crate at its body's pose interpolated between the last two updates. */
static void QUARN_CALL OnBeforeRender(void) {
    /* A headless run steps a fixed 1/60 s a frame so that its picture does not depend on
     * the machine's speed. */
    const float delta =
        g_framesLeft >= 0 ? 1.0f / STEPS_PER_SECOND : qpWorldGetElapsedTime(g_world);
    float alpha;
    int i;
    qpWorldStep(g_world, delta, 1, STEPS_PER_SECOND);
    alpha = qpWorldGetAlphaTimeUntilNextStep(g_world, STEPS_PER_SECOND);
    for (i = 0; i < CRATES; ++i)
        if (!quarnFollowBody(g_crates[i], g_bodies[i], alpha)) g_failed = 1;
}

static void QUARN_CALL OnAfterRender(void) {
    if (g_framesLeft > 0 && --g_framesLeft == 0) {
        qglCopySceneScreenToBitmapFile(g_output);
        qglDestroySceneWindow();
    }
}

int main(int argc, char** argv) {
    int i, result;
    for (i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--frames") == 0) g_framesLeft = atoi(argv[i + 1]);
        if (strcmp(argv[i], "--output") == 0) g_output = argv[i + 1];
    }
    result = qglCreateSceneWindow(640, 480, 32, 0, OnSceneInit, OnBeforeRender, OnAfterRender);
    qpWorldDestroy(g_world); /* frees its collisions and bodies with it */
    if (result < 0 || qglGetLastError() || g_failed) {
        fprintf(stderr, "physics_crates: %s\n",
                qglGetLastError() ? qglGetLastError()
                                  : (qpGetLastError() ? qpGetLastError() : "failed"));
        return 1;
    }
    return 0;
}
