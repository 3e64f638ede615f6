/* hello_cube: the shortest complete QuarnGL host. A window with one lit, turning cube;
 * Escape quits (the engine ends its loop on Escape by itself).
 *
 *   hello_cube                          in a window (offscreen when there is no display)
 *   hello_cube --frames N --output F    renders N frames, saves the last one as a BMP, exits */
#include "quarn/QuarnGL.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static TQGLHandle g_cube;     /* handles are the engine's objects; it owns them */
static float g_angle = 0.0f;  /* degrees */
static int g_framesLeft = -1; /* -1: run until Escape */
static const char* g_output = "hello_cube.bmp";

/* Called once, after the window and the scene exist: build the content here. */
static void QUARN_CALL OnSceneInit(void) {
    /* A material: ambient and diffuse colour, lit by the scene light. */
    TQGLHandle orange = qglAddMaterial("orange");
    qglSetMaterialAmbient(orange, 0.3f, 0.15f, 0.05f);
    qglSetMaterialDiffuse(orange, 1.0f, 0.5f, 0.1f);
    /* Kind 1 is a box: material, position (x, y, z), angles (pitch, yaw, roll), size. */
    g_cube =
        qglLoadDynamicPredefined(1, orange, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 2.0f, 2.0f, 2.0f);
    /* The camera sits on +z and looks down -z at the cube. */
    qglSetCameraPosition(0.0f, 1.5f, 6.0f);
    qglSetCameraDirection(0.0f, -0.25f, -1.0f);
    qglSetSceneTitle("hello cube");
}

/* Called every frame before the scene is drawn: move things here. */
static void QUARN_CALL OnBeforeRender(void) {
    g_angle += 1.0f;
    qglSetDynamicRotation(g_cube, g_angle * 0.5f, g_angle, 0.0f);
}

/* Called every frame after the scene is drawn. */
static void QUARN_CALL OnAfterRender(void) {
    if (g_framesLeft > 0 && --g_framesLeft == 0) {
        /* The window shows the previous frame by now; save it and end the loop. */
        qglCopySceneScreenToBitmapFile(g_output);
        qglDestroySceneWindow();
    }
}

int main(int argc, char** argv) {
    int i;
    for (i = 1; i + 1 < argc; i += 2) {
        if (strcmp(argv[i], "--frames") == 0) g_framesLeft = atoi(argv[i + 1]);
        if (strcmp(argv[i], "--output") == 0) g_output = argv[i + 1];
    }
    /* Runs until Escape or qglDestroySceneWindow; -1 means the window could not open. */
    if (qglCreateSceneWindow(640, 480, 32, 0, OnSceneInit, OnBeforeRender, OnAfterRender) < 0) {
        fprintf(stderr, "hello_cube: %s\n", qglGetLastError() ? qglGetLastError() : "no window");
        return 1;
    }
    /* Every failing export leaves its message behind (a screenshot that could not be saved). */
    if (qglGetLastError()) {
        fprintf(stderr, "hello_cube: %s\n", qglGetLastError());
        return 1;
    }
    return 0;
}
