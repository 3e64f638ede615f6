/* The demo's showcase of the asset files: a KSF level (a wooden platform with stone pillars,
 * written at build time by quarn-ksf from demo/data/level.obj, its textures packed by the same
 * tool) and a crate imported from a 3DS file (written by quarn-ksf --to-3ds), turning. */
#include "DemoShowcase.h"

#include "quarn/QuarnGL.h"

#include <stdio.h>

#ifndef QUARN_DEMO_DATA
#define QUARN_DEMO_DATA "data"
#endif

static TQGLHandle g_crate = NULL;
static float g_crateYaw = 0.0f;

void DemoAssetsInit(void) {
    TQUARNPointerArray statics = NULL, dynamics = NULL, materials = NULL;
    if (!qglLoadSceneKSF(QUARN_DEMO_DATA "/level.ksf", QUARN_DEMO_DATA "/level.qpk", &statics,
                         &dynamics, &materials) ||
        QUARN_ARRAY_COUNT(statics) == 0)
        fprintf(stderr, "quarn-demo: the level did not load: %s\n", qglGetLastError());
    g_crate = qglImportDynamic3DS(QUARN_DEMO_DATA "/crate.3ds");
    if (g_crate)
        qglSetDynamicPosition(g_crate, 5.0f, -2.2f, -4.0f);
    else
        fprintf(stderr, "quarn-demo: the crate did not import: %s\n", qglGetLastError());
}

void DemoAssetsFrame(void) {
    if (!g_crate) return;
    g_crateYaw += 0.5f;
    if (g_crateYaw >= 360.0f) g_crateYaw -= 360.0f;
    qglSetDynamicYaw(g_crate, g_crateYaw);
}

void DemoAssetsKey(int32_t key) {
    (void)key;
}
