/* quarn-view: looks at a level or model through the engine.
 *
 *   quarn-view FILE [--archive ARCHIVE] [--headless] [--frames N --output IMAGE]
 *
 * FILE is a KSF scene (textures from ARCHIVE, by default FILE with the extension .pak), a 3DS
 * model, or a height-map image (.bmp or .jpg) built into a terrain of 4 units a pixel. The camera
 * starts where the whole scene is in view. W/A/S/D walk, the mouse looks around, F toggles fog, K
 * the sky box, P saves a screenshot, Escape quits. With --frames the viewer renders N frames, saves
 * the last as IMAGE and exits: a quick check that a file converts and draws. Exit status 1 when the
 * file cannot be loaded. */
#include "quarn/QuarnGL.h"

#include <ctype.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char* g_file = NULL;
static const char* g_archive = NULL;
static const char* g_output = "quarn-view.bmp";
static int g_framesLeft = -1; /* -1: run until Escape */
static int g_loadFailed = 0;
static int g_shots = 0;
static float g_step = 0.5f; /* walking speed, units a frame, from the scene's size */
static int32_t g_faces = 0;

static int HasExtension(const char* name, const char* extension) {
    size_t n = strlen(name), e = strlen(extension), i;
    if (n < e) return 0;
    for (i = 0; i < e; ++i)
        if (tolower((unsigned char)name[n - e + i]) != extension[i]) return 0;
    return 1;
}

/* Loads the file into the scene; 0 when nothing could be loaded. */
static int LoadFile(void) {
    if (HasExtension(g_file, ".bmp") || HasExtension(g_file, ".jpg"))
        return qglAddStaticObjectTerrain(g_file, "", "", 4, 1, 0, 0, 0, 0) != NULL;
    if (HasExtension(g_file, ".3ds")) return qglImportStatic3DS(g_file) != NULL;
    if (HasExtension(g_file, ".ksf")) {
        static char archive[4096];
        TQUARNPointerArray statics = NULL, dynamics = NULL, materials = NULL;
        if (!g_archive) {
            const size_t n = strlen(g_file);
            if (n + 1 > sizeof archive) return 0;
            memcpy(archive, g_file, n - 4);
            strcpy(archive + n - 4, ".pak");
            g_archive = archive;
        }
        return qglLoadSceneKSF(g_file, g_archive, &statics, &dynamics, &materials) != NULL;
    }
    fprintf(stderr, "quarn-view: %s: not a file this viewer can show (.bmp, .jpg, .3ds, .ksf)\n",
            g_file);
    return 0;
}

/* Puts the camera back from the bounding box of every static mesh, looking at its centre,
 * far enough for the whole box to fit a 45-degree view. */
static void FrameTheScene(void) {
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f}, centre[3];
    float radius = 0.0f;
    int32_t i, v, k;
    for (i = 0; i < qglGetStaticObjectCount(); ++i) {
        const TQUARNFaceData* data = qglGetStaticFaceData(qglGetStaticObject(i));
        if (!data) continue;
        g_faces += data->FaceCount;
        for (v = 0; v < data->VertexCount; ++v) {
            const float p[3] = {data->Vertices[v].x, data->Vertices[v].y, data->Vertices[v].z};
            for (k = 0; k < 3; ++k) {
                if (p[k] < lo[k]) lo[k] = p[k];
                if (p[k] > hi[k]) hi[k] = p[k];
            }
        }
    }
    if (lo[0] > hi[0]) return; /* nothing with vertices */
    for (k = 0; k < 3; ++k) {
        centre[k] = (lo[k] + hi[k]) * 0.5f;
        radius += (hi[k] - lo[k]) * (hi[k] - lo[k]) * 0.25f;
    }
    radius = sqrtf(radius) + 1.0f;
    /* Up and back along (0, 0.5, 1), 2.7 radii away: sin(22.5 degrees) is about 1 / 2.6. */
    qglSetCameraPosition(centre[0], centre[1] + radius * 1.2f, centre[2] + radius * 2.4f);
    qglSetCameraDirection(0.0f, -0.5f, -1.0f);
    g_step = radius / 150.0f;
}

/* A sky of six plain gradient pictures, written to temporary files and loaded. */
static void BuildSky(void) {
    char names[6][64];
    int face, y, x;
    for (face = 0; face < 6; ++face) {
        FILE* f;
        /* 16 x 16 pixels, 24 bits, 822 bytes in all. */
        static const unsigned char header[54] = {'B', 'M', 0x36, 0x03, 0,  0, 0, 0, 0,  0,
                                                 54,  0,   0,    0,    40, 0, 0, 0, 16, 0,
                                                 0,   0,   16,   0,    0,  0, 1, 0, 24};
        snprintf(names[face], sizeof names[face], "/tmp/quarn-view-sky-%ld-%d.bmp", (long)getpid(),
                 face);
        f = fopen(names[face], "wb");
        if (!f) return;
        fwrite(header, 1, sizeof header, f);
        for (y = 0; y < 16; ++y)
            for (x = 0; x < 16; ++x) {
                const int t = face == 4 ? 15 : (face == 5 ? 0 : y); /* rows from the bottom */
                const unsigned char bgr[3] = {235, (unsigned char)(200 - t * 4),
                                              (unsigned char)(170 - t * 6)};
                fwrite(bgr, 1, 3, f);
            }
        fclose(f);
    }
    qglInitEnvironmentSkybox(names[0], names[1], names[2], names[3], names[4], names[5]);
    for (face = 0; face < 6; ++face)
        remove(names[face]);
    qglSetEnvironmentFogColor(0.62f, 0.72f, 0.88f, 1.0f);
    qglSetEnvironmentFogMode(0x0801 /* GL_EXP2 */);
    qglSetEnvironmentFogDensity(0.4f * g_step);
}

static void QUARN_CALL OnKeyHeld(int32_t* key) {
    switch (*key) {
    case QGL_VK_W:
        qglMoveCamera(g_step);
        break;
    case QGL_VK_S:
        qglMoveCamera(-g_step);
        break;
    case QGL_VK_A:
        qglStrafeCamera(-g_step);
        break;
    case QGL_VK_D:
        qglStrafeCamera(g_step);
        break;
    default:
        break;
    }
}

static void QUARN_CALL OnKeyUp(int32_t* key) {
    if (*key == 'P') {
        char name[64];
        snprintf(name, sizeof name, "quarn-view-%03d.bmp", ++g_shots);
        qglCopySceneScreenToBitmapFile(name);
        printf("quarn-view: saved %s\n", name);
    }
    if (*key == 'F') qglSetEnvironmentFogVisibleFlag(!qglGetEnvironmentFogVisibleFlag());
    if (*key == 'K') qglSetEnvironmentSkyboxVisibleFlag(!qglGetEnvironmentSkyboxVisibleFlag());
}

static void QUARN_CALL OnMouseMove(float x, float y, float prevX, float prevY) {
    (void)prevX;
    (void)prevY;
    qglMouseLookCamera((int32_t)x, (int32_t)y);
}

static void QUARN_CALL OnSceneInit(void) {
    static const int32_t keys[] = {QGL_VK_W, QGL_VK_A, QGL_VK_S, QGL_VK_D, 'F', 'K', 'P'};
    size_t i;
    if (!LoadFile()) {
        g_loadFailed = 1;
        qglDestroySceneWindow();
        return;
    }
    qglSetSceneTitle(g_file);
    FrameTheScene();
    for (i = 0; i < sizeof keys / sizeof keys[0]; ++i)
        qglRegisterSceneKey(keys[i]);
    qglSetSceneKeyCallbacks(OnKeyHeld, OnKeyUp);
    if (g_framesLeft < 0) qglSetSceneMouseCallbacks(OnMouseMove, NULL, NULL);
    BuildSky();
}

static void QUARN_CALL OnBeforeRender(void) {
    /* What the last frame cost: triangles sent, octree nodes tested, objects drawn. */
    char line[200];
    int32_t triangles = 0, nodes = 0, objects = 0;
    qglGetSceneStatistics(&triangles, &nodes, &objects);
    snprintf(line, sizeof line,
             "%d of %d faces drawn, %d nodes visited, %d objects   %u ms a frame", (int)triangles,
             (int)g_faces, (int)nodes, (int)objects, (unsigned)qglGetSceneFrameTime());
    qglAddSceneText(line, 10, 20);
}

static void QUARN_CALL OnAfterRender(void) {
    if (g_framesLeft > 0 && --g_framesLeft == 0) {
        qglCopySceneScreenToBitmapFile(g_output);
        qglDestroySceneWindow();
    }
}

int main(int argc, char** argv) {
    int i;
    for (i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--frames") == 0 && i + 1 < argc)
            g_framesLeft = atoi(argv[++i]);
        else if (strcmp(argv[i], "--output") == 0 && i + 1 < argc)
            g_output = argv[++i];
        else if (strcmp(argv[i], "--archive") == 0 && i + 1 < argc)
            g_archive = argv[++i];
        else if (strcmp(argv[i], "--headless") == 0)
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
        else if (argv[i][0] != '-' && !g_file)
            g_file = argv[i];
        else {
            g_file = NULL; /* unknown option: print the usage */
            break;
        }
    }
    if (!g_file) {
        fprintf(stderr, "usage: quarn-view FILE [--archive ARCHIVE] [--headless] "
                        "[--frames N --output IMAGE]\n");
        return 2;
    }
    if (qglCreateSceneWindow(1024, 768, 32, 0, OnSceneInit, OnBeforeRender, OnAfterRender) < 0 ||
        g_loadFailed || qglGetLastError()) {
        const char* error = qglGetLastError();
        fprintf(stderr, "quarn-view: %s: %s\n", g_file, error ? error : "cannot be loaded");
        return 1;
    }
    return 0;
}
