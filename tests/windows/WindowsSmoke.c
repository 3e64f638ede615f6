/* A Windows host in C: a window on the Win32 backend, a lit box and a line of text, input
 * messages posted to the window and seen by the host's callbacks, and a screenshot whose pixels
 * show the box, the black background and the text. Built for both architectures. */
#include "quarn/QuarnGL.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kWidth = 160, kHeight = 120 };

static int g_frame = 0;
static int g_keyUps = 0, g_lastKey = 0;
static int g_mouseDowns = 0, g_mouseUps = 0, g_lastButton = 0;
static float g_downX = -1, g_downY = -1;
static const char* const kShot = "windows-smoke.bmp";

static void QUARN_CALL OnInit(void) {
    TQGLHandle red = qglAddMaterial("red");
    qglSetMaterialAmbient(red, 0.3f, 0.1f, 0.1f);
    qglSetMaterialDiffuse(red, 1.0f, 0.2f, 0.2f);
    qglLoadDynamicPredefined(QGL_SHAPE_BOX, red, 0, 0, -5, 0, 30, 0, 2, 2, 2);
    qglSetCameraDirection(0, 0, -1);
    qglRegisterSceneKey(QGL_VK_SPACE);
}

static void QUARN_CALL OnKeyUp(int32_t* key) {
    ++g_keyUps;
    g_lastKey = *key;
}

static void QUARN_CALL OnMouseDown(int32_t button, float x, float y, float px, float py) {
    (void)px;
    (void)py;
    ++g_mouseDowns;
    g_lastButton = button;
    g_downX = x;
    g_downY = y;
}

static void QUARN_CALL OnMouseUp(int32_t button) {
    (void)button;
    ++g_mouseUps;
}

static void QUARN_CALL OnAfterRender(void) {
    HWND window = (HWND)qglGetSceneWindowHandle();
    ++g_frame;
    qglAddSceneText("WWWWWW", 4, kHeight); /* the top line of the window */
    if (g_frame == 2) {
        PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
        PostMessageA(window, WM_KEYUP, VK_SPACE, 0);
        PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(17, 23));
        PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(17, 23));
    }
    if (g_frame == 8) qglCopySceneScreenToBitmapFile(kShot);
    if (g_frame == 9) qglDestroySceneWindow();
}

/* The picture's pixel (x, y from the top-left) as 0xRRGGBB, or -1. */
static long Pixel(const unsigned char* bmp, long size, int x, int y) {
    long offset, w, h, stride, at;
    if (size < 54 || bmp[0] != 'B' || bmp[1] != 'M' || bmp[28] != 24) return -1;
    offset = bmp[10] | (bmp[11] << 8) | ((long)bmp[12] << 16);
    w = bmp[18] | (bmp[19] << 8);
    h = bmp[22] | (bmp[23] << 8);
    stride = (w * 3 + 3) / 4 * 4;
    if (x < 0 || y < 0 || x >= w || y >= h) return -1;
    at = offset + (h - 1 - y) * stride + x * 3;
    if (at + 3 > size) return -1;
    return ((long)bmp[at + 2] << 16) | (bmp[at + 1] << 8) | bmp[at];
}

int main(void) {
    static unsigned char bmp[kWidth * kHeight * 3 + 4096];
    long size, centre, corner;
    int x, y, textPixels = 0, failures = 0;
    FILE* f;
    int32_t result;

    remove(kShot);
    qglSetSceneKeyCallbacks(NULL, OnKeyUp);
    qglSetSceneMouseCallbacks(NULL, OnMouseDown, OnMouseUp);
    result = qglCreateSceneWindow(kWidth, kHeight, 32, 0, OnInit, NULL, OnAfterRender);
    if (result != 0 || g_frame != 9) {
        fprintf(stderr, "window: result %d after %d frames, error %s\n", (int)result, g_frame,
                qglGetLastError() ? qglGetLastError() : "none");
        return 1;
    }
    if (g_keyUps != 1 || g_lastKey != QGL_VK_SPACE) {
        fprintf(stderr, "key: %d key-ups, last key %d\n", g_keyUps, g_lastKey);
        ++failures;
    }
    if (g_mouseDowns != 1 || g_mouseUps != 1 || g_lastButton != 1 || g_downX != 17 ||
        g_downY != 23) {
        fprintf(stderr, "mouse: %d downs, %d ups, button %d at %g, %g\n", g_mouseDowns, g_mouseUps,
                g_lastButton, g_downX, g_downY);
        ++failures;
    }
    f = fopen(kShot, "rb");
    size = f ? (long)fread(bmp, 1, sizeof bmp, f) : 0;
    if (f) fclose(f);
    centre = Pixel(bmp, size, kWidth / 2, kHeight / 2);
    corner = Pixel(bmp, size, kWidth - 1, kHeight - 1);
    for (y = 0; y < 16; ++y)
        for (x = 0; x < 80; ++x)
            if (Pixel(bmp, size, x, y) == 0xFFFFFF) ++textPixels;
    if (centre < 0 || ((centre >> 16) & 0xFF) < 60 || (centre & 0xFF) > ((centre >> 16) & 0xFF)) {
        fprintf(stderr, "screenshot: centre %06lx is not the red box (%ld bytes)\n", centre, size);
        ++failures;
    }
    if (corner != 0) {
        fprintf(stderr, "screenshot: corner %06lx is not the black background\n", corner);
        ++failures;
    }
    if (textPixels < 20) {
        fprintf(stderr, "screenshot: %d white text pixels at the top left\n", textPixels);
        ++failures;
    }
    printf("windows smoke: %d frames, centre %06lx, %d text pixels: %s\n", g_frame, centre,
           textPixels, failures ? "FAILED" : "ok");
    return failures ? 1 : 0;
}
