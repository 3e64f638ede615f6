/* A plain C host: compiles against the public header as C99 and runs a headless window. */
#include "quarn/QuarnGL.h"

#include <stdio.h>
#include <string.h>

static int frames = 0;
static int initCalled = 0;

static void QUARN_CALL OnInit(void) {
    initCalled = 1;
    qglSetSceneTitle("C host");
    qglRegisterSceneKey(QGL_VK_SPACE);
    qglSetCameraPosition(1.0f, 2.0f, 3.0f);
}

static void QUARN_CALL OnAfter(void) {
    if (++frames == 3) qglDestroySceneWindow();
}

int main(void) {
    float pos[3];
    int32_t result = qglCreateSceneWindow(48, 32, 32, 0, OnInit, NULL, OnAfter);
    if (result != 0 || !initCalled || frames != 3) {
        fprintf(stderr, "c_host: result %d, init %d, frames %d, error %s\n", (int)result,
                initCalled, frames, qglGetLastError() ? qglGetLastError() : "none");
        return 1;
    }
    qglGetCameraPosition(pos);
    if (pos[0] != 1.0f || pos[2] != 3.0f) return 1;
    if (strcmp(qglGetSceneTitle(), "C host") != 0) return 1;
    printf("c_host: %d frames\n", frames);
    return 0;
}
