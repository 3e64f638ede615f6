/* The demo's showcase of the asset files: a KSF level (a wooden platform with stone pillars,
 * written at build time by quarn-ksf from demo/data/level.obj, its textures packed by the same
 * tool) and a crate imported from a 3DS file (written by quarn-ksf --to-3ds), turning. */
#include "DemoShowcase.h"

#include "quarn/QuarnGL.h"

#include <stdio.h>
#include <string.h>

#ifndef QUARN_DEMO_DATA
#define QUARN_DEMO_DATA "data"
#endif

static TQGLHandle g_crate = NULL;
static char g_data[1024] = QUARN_DEMO_DATA;

/* g_data + "/" + name, in a buffer of its own per call site. */
static const char* DataFile(char* out, size_t size, const char* name) {
    snprintf(out, size, "%s/%s", g_data, name);
    return out;
}

void DemoAssetsFindData(const char* programPath) {
    char candidate[1024];
    const char* slash = programPath ? strrchr(programPath, '/') : NULL;
    const char* backslash = programPath ? strrchr(programPath, '\\') : NULL;
    FILE* probe;
    if (backslash && (!slash || backslash > slash)) slash = backslash;
    /* A copied program folder carries its data beside the program. */
    if (!slash || (size_t)(slash - programPath) + sizeof "/data/level.ksf" > sizeof candidate)
        return;
    snprintf(candidate, sizeof candidate, "%.*s/data/level.ksf", (int)(slash - programPath),
             programPath);
    probe = fopen(candidate, "rb");
    if (!probe) return;
    fclose(probe);
    snprintf(g_data, sizeof g_data, "%.*s/data", (int)(slash - programPath), programPath);
}
static float g_crateYaw = 0.0f;

void DemoAssetsInit(void) {
    TQUARNPointerArray statics = NULL, dynamics = NULL, materials = NULL;
    char ksf[1100], qpk[1100], crate[1100];
    if (!qglLoadSceneKSF(DataFile(ksf, sizeof ksf, "level.ksf"),
                         DataFile(qpk, sizeof qpk, "level.qpk"), &statics, &dynamics, &materials) ||
        QUARN_ARRAY_COUNT(statics) == 0)
        fprintf(stderr, "quarn-demo: the level did not load: %s\n", qglGetLastError());
    g_crate = qglImportDynamic3DS(DataFile(crate, sizeof crate, "crate.3ds"));
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
