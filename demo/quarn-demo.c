/* quarn-demo: the engine's showcase host. Uses only the public header.
 *
 *   quarn-demo                       opens a window; W/A/S/D or the arrows move, the mouse
 *                                    looks around, Escape ends
 *   quarn-demo --headless --frames N renders N frames offscreen, saves the last one as
 *                                    quarn-demo.bmp (or --output FILE) and exits 0 */
#include "quarn/QuarnGL.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int g_framesLeft = -1; /* -1: run until Escape */
static int g_framesDrawn = 0;
static const char* g_output = "quarn-demo.bmp";
static int g_failed = 0;

static void QUARN_CALL OnKeyHeld(int32_t* key) {
    const float step = 0.5f;
    switch (*key) {
    case QGL_VK_W:
    case QGL_VK_UP:
        qglMoveCamera(step);
        break;
    case QGL_VK_S:
    case QGL_VK_DOWN:
        qglMoveCamera(-step);
        break;
    case QGL_VK_A:
    case QGL_VK_LEFT:
        qglStrafeCamera(-step);
        break;
    case QGL_VK_D:
    case QGL_VK_RIGHT:
        qglStrafeCamera(step);
        break;
    default:
        break;
    }
}

static void QUARN_CALL OnMouseMove(float x, float y, float prevX, float prevY) {
    (void)prevX;
    (void)prevY;
    qglMouseLookCamera((int32_t)x, (int32_t)y);
}

static void QUARN_CALL OnMessage(const char* caption, const char* text) {
    fprintf(stderr, "quarn-demo: %s: %s\n", caption, text);
}

static void QUARN_CALL OnSceneInit(void) {
    static const int32_t keys[] = {QGL_VK_W,  QGL_VK_A,    QGL_VK_S,    QGL_VK_D,
                                   QGL_VK_UP, QGL_VK_LEFT, QGL_VK_DOWN, QGL_VK_RIGHT};
    size_t i;
    qglSetSceneTitle("Quarn demo");
    for (i = 0; i < sizeof keys / sizeof keys[0]; ++i)
        qglRegisterSceneKey(keys[i]);
    qglSetSceneKeyCallbacks(OnKeyHeld, NULL);
    if (g_framesLeft < 0) qglSetSceneMouseCallbacks(OnMouseMove, NULL, NULL);
    qglSetCameraPosition(0.0f, 2.0f, 10.0f);
    qglSetCameraDirection(0.0f, 0.0f, -1.0f);
}

static void QUARN_CALL OnAfterRender(void) {
    ++g_framesDrawn;
    if (g_framesLeft < 0) return;
    if (--g_framesLeft <= 0) {
        /* The window shows the previous frame by now, which is the image to keep. */
        qglClearLastError();
        qglCopySceneScreenToBitmapFile(g_output);
        if (qglGetLastError()) g_failed = 1;
        qglDestroySceneWindow();
    }
}

int main(int argc, char** argv) {
    int headless = 0, i, result;
    for (i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--headless") == 0)
            headless = 1;
        else if (strcmp(argv[i], "--frames") == 0 && i + 1 < argc)
            g_framesLeft = atoi(argv[++i]);
        else if (strcmp(argv[i], "--output") == 0 && i + 1 < argc)
            g_output = argv[++i];
        else {
            fprintf(stderr, "usage: quarn-demo [--headless] [--frames N] [--output FILE]\n");
            return 2;
        }
    }
    if (headless && g_framesLeft < 0) g_framesLeft = 120;
    if (headless) setenv("SDL_VIDEODRIVER", "offscreen", 1);
    qglSetMessageCallBack(OnMessage);
    result = qglCreateSceneWindow(800, 600, 32, 0, OnSceneInit, NULL, OnAfterRender);
    if (result < 0) {
        const char* err = qglGetLastError();
        fprintf(stderr, "quarn-demo: %s\n", err ? err : "the scene window failed");
        return 1;
    }
    if (g_failed) return 1;
    if (headless)
        printf("quarn-demo: %d frames rendered, last one saved to %s\n", g_framesDrawn, g_output);
    return 0;
}
