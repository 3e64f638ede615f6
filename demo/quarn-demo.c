/* quarn-demo: the engine's showcase host. Uses only the public header.
 *
 *   quarn-demo                       opens a window; W/A/S/D move, the mouse looks around,
 *                                    the arrows drive the car, Escape ends
 *   quarn-demo --headless --frames N renders N frames offscreen, saves the last one as
 *                                    quarn-demo.bmp (or --output FILE) and exits 0
 *   quarn-demo --frames N            the same in a window (the only way on Windows) */
#include "quarn/QuarnGL.h"

#include "DemoShowcase.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <direct.h>
#include <process.h>
#else
#include <unistd.h>
#endif

static int g_framesLeft = -1; /* -1: run until Escape */
static int g_framesDrawn = 0;
static const char* g_output = "quarn-demo.bmp";
static int g_failed = 0;

/* The generated pictures and shader files live in one temporary folder, removed at exit. */
#define DEMO_ASSETS 48
static char g_assetFolder[512];
static char g_assets[DEMO_ASSETS][600];
static int g_assetCount = 0;

static int MakeAssetFolder(void) {
    const char* tmp = getenv("TMPDIR");
#ifdef _WIN32
    if (!tmp) tmp = getenv("TEMP");
    if (!tmp) tmp = ".";
    snprintf(g_assetFolder, sizeof g_assetFolder, "%s\\quarn-demo-%d", tmp, _getpid());
    return _mkdir(g_assetFolder) == 0;
#else
    if (!tmp || !*tmp) tmp = "/tmp";
    snprintf(g_assetFolder, sizeof g_assetFolder, "%s/quarn-demo-XXXXXX", tmp);
    return mkdtemp(g_assetFolder) != NULL;
#endif
}

const char* DemoAsset(const char* name) {
    char* path;
    if (g_assetCount == DEMO_ASSETS) {
        fprintf(stderr, "quarn-demo: more than %d generated files\n", DEMO_ASSETS);
        exit(1);
    }
    path = g_assets[g_assetCount++];
    snprintf(path, sizeof g_assets[0], "%s/%s", g_assetFolder, name);
    return path;
}

static void RemoveAssetFolder(void) {
    int i;
    for (i = 0; i < g_assetCount; ++i)
        remove(g_assets[i]);
#ifdef _WIN32
    _rmdir(g_assetFolder);
#else
    rmdir(g_assetFolder);
#endif
}

/* Dynamic content: spinning cubes, a proxy drawing the first cube's geometry, and a quad
 * billboard that keeps facing the camera. */
#define DEMO_CUBES 3
static TQGLHandle g_cubes[DEMO_CUBES];
static TQGLHandle g_proxy = NULL;
static float g_spin = 0.0f;

static TQGLHandle DemoMaterial(const char* name, float r, float g, float b) {
    TQGLHandle m = qglAddMaterial(name);
    qglSetMaterialAmbient(m, r * 0.3f, g * 0.3f, b * 0.3f);
    qglSetMaterialDiffuse(m, r, g, b);
    return m;
}

static void BuildDynamicObjects(void) {
    static const float colours[DEMO_CUBES][3] = {
        {0.9f, 0.2f, 0.2f}, {0.2f, 0.9f, 0.2f}, {0.2f, 0.4f, 0.9f}};
    TQGLHandle glow, board;
    int i;
    for (i = 0; i < DEMO_CUBES; ++i) {
        TQGLHandle m = DemoMaterial(i == 0   ? "red"
                                    : i == 1 ? "green"
                                             : "blue",
                                    colours[i][0], colours[i][1], colours[i][2]);
        g_cubes[i] = qglLoadDynamicPredefined(1, m, (float)(i - 1) * 3.0f, 1.0f, 0.0f, 0.0f, 0.0f,
                                              0.0f, 1.5f, 1.5f, 1.5f);
    }
    /* The proxy shares the red cube's geometry and material under its own transform. */
    g_proxy = qglAddDynamicProxyObject(g_cubes[0], 0);
    qglSetDynamicPosition(g_proxy, 0.0f, 4.0f, -3.0f);
    /* A glowing, half-transparent sign that turns about the world Y axis to face the camera. */
    glow = DemoMaterial("sign", 1.0f, 0.9f, 0.3f);
    qglSetMaterialEmmisive(glow, 0.6f, 0.5f, 0.1f);
    qglSetMaterialBlendData(glow, 1, 0x0302 /* GL_SRC_ALPHA */, 0x0001 /* GL_ONE */);
    board = qglLoadDynamicPredefined(4, glow, 0.0f, 3.5f, 2.0f, 0.0f, 0.0f, 0.0f, 2.0f, 1.0f, 0.0f);
    qglSetDynamicBillboardFlag(board, 1);
    qglSetDynamicBillboardType(board, 2);
}

static void QUARN_CALL OnBeforeRender(void) {
    int i;
    g_spin += 1.5f;
    if (g_spin >= 360.0f) g_spin -= 360.0f;
    for (i = 0; i < DEMO_CUBES; ++i)
        qglSetDynamicRotation(g_cubes[i], g_spin * 0.5f * (float)i, g_spin, 0.0f);
    qglSetDynamicRotation(g_proxy, 0.0f, -g_spin, g_spin);
    DemoMaterialsFrame();
    DemoEffectsFrame();
    DemoAssetsFrame();
    DemoPhysicsFrame();
}

static void QUARN_CALL OnKeyHeld(int32_t* key) {
    const float step = 0.5f;
    DemoMaterialsKey(*key);
    DemoEffectsKey(*key);
    DemoAssetsKey(*key);
    DemoPhysicsKey(*key); /* the arrow keys drive the car */
    switch (*key) {
    case QGL_VK_W:
        qglMoveCamera(step);
        break;
    case QGL_VK_S:
        qglMoveCamera(-step);
        break;
    case QGL_VK_A:
        qglStrafeCamera(-step);
        break;
    case QGL_VK_D:
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

/* Writes a w x h 24-bit BMP whose pixel (x, y) (y from the top) comes from colour(). */
int WriteBmp(const char* path, int w, int h, void (*colour)(int x, int y, unsigned char* rgb)) {
    const int row = (w * 3 + 3) & ~3;
    unsigned char header[54] = {'B', 'M'};
    unsigned char* line = (unsigned char*)calloc((size_t)row, 1);
    const unsigned long size = 54ul + (unsigned long)row * (unsigned long)h;
    FILE* f = fopen(path, "wb");
    int x, y, i;
    if (!f || !line) {
        if (f) fclose(f);
        free(line);
        return 0;
    }
    for (i = 0; i < 4; ++i) {
        header[2 + i] = (unsigned char)(size >> (8 * i));
        header[18 + i] = (unsigned char)((unsigned)w >> (8 * i));
        header[22 + i] = (unsigned char)((unsigned)h >> (8 * i));
    }
    header[10] = 54;
    header[14] = 40;
    header[26] = 1;
    header[28] = 24;
    fwrite(header, 1, sizeof header, f);
    for (y = h - 1; y >= 0; --y) { /* bottom row first */
        for (x = 0; x < w; ++x) {
            unsigned char rgb[3];
            colour(x, y, rgb);
            line[x * 3] = rgb[2];
            line[x * 3 + 1] = rgb[1];
            line[x * 3 + 2] = rgb[0];
        }
        fwrite(line, 1, (size_t)row, f);
    }
    free(line);
    return fclose(f) == 0;
}

static void HillPixel(int x, int y, unsigned char* rgb) {
    const float fx = (float)x - 32.0f, fy = (float)y - 32.0f;
    const float d = (fx * fx + fy * fy) / 60.0f;
    rgb[0] = (unsigned char)(124.0f + 3.0f / (1.0f + d)); /* a hump rising out of the ground */
    rgb[1] = rgb[2] = 0;
}

static void CheckerPixel(int x, int y, unsigned char* rgb) {
    const int light = ((x / 8) + (y / 8)) % 2;
    rgb[0] = light ? 90 : 40;
    rgb[1] = light ? 170 : 110;
    rgb[2] = light ? 80 : 50;
}

/* A hill built by the engine's terrain builder from a generated height map, and a textured
 * ground grid built face by face through the static-object exports. */
static void BuildWorld(void) {
    const char* heights = DemoAsset("heights.bmp");
    const char* texture = DemoAsset("ground.bmp");
    const int n = 24;
    const float cell = 4.0f;
    TQGLHandle ground, material, hill;
    int32_t normal, m, x, z;
    if (WriteBmp(heights, 64, 64, HillPixel)) {
        hill = qglAddStaticObjectTerrain(heights, "", "", 1, 1, 0, 0, 0, 0);
        if (!hill) g_failed = 1;
    }
    if (!WriteBmp(texture, 64, 64, CheckerPixel)) return;
    material = qglAddMaterial("ground");
    qglSetMaterialLightFlag(material, 0); /* the texture's own colours */
    qglAddMaterialTexShader(material, texture, 2);
    m = qglGetMaterialIndex(material);
    ground = qglGetStaticObject(qglAddStaticObject());
    normal = qglAddStaticMeshNormal(ground, 0.0f, 1.0f, 0.0f);
    for (x = 0; x < n; ++x) {
        for (z = 0; z < n; ++z) {
            /* Two triangles per cell, counter-clockwise seen from above. */
            static const int corners[6][2] = {{0, 0}, {0, 1}, {1, 0}, {0, 1}, {1, 1}, {1, 0}};
            int t, c;
            for (t = 0; t < 2; ++t) {
                const int32_t face = qglAddStaticFace(ground);
                for (c = 0; c < 3; ++c) {
                    const int cx = x + corners[t * 3 + c][0], cz = z + corners[t * 3 + c][1];
                    const float px = ((float)cx - n / 2.0f) * cell,
                                pz = ((float)cz - n / 2.0f) * cell;
                    qglAddStaticFaceVectorIndex(
                        ground, face, qglAddStaticUniqueMeshVector(ground, px, -3.0f, pz));
                    qglAddStaticFaceNormalIndex(ground, face, normal);
                    qglAddStaticFaceTexCoordIndex(
                        ground, face,
                        qglAddStaticUniqueMeshTexCoord(ground, (float)cx, (float)cz, 0.0f));
                }
                qglAddStaticFaceMaterialIndex(ground, face, m);
            }
        }
    }
    qglBuildStaticOctree(ground);
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
    BuildWorld();
    BuildDynamicObjects();
    DemoMaterialsInit();
    DemoEffectsInit();
    DemoAssetsInit();
    DemoPhysicsInit();
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
#ifdef _WIN32
    if (headless) { /* Windows' GL has no offscreen context: run in a window with --frames */
        fprintf(stderr, "quarn-demo: --headless is not available on Windows; use --frames N\n");
        return 2;
    }
#else
    if (headless) setenv("SDL_VIDEODRIVER", "offscreen", 1);
#endif
    if (!MakeAssetFolder()) {
        fprintf(stderr, "quarn-demo: cannot create a temporary folder (%s)\n", g_assetFolder);
        return 1;
    }
    DemoAssetsFindData(argv[0]);
    qglSetMessageCallBack(OnMessage);
    result = qglCreateSceneWindow(800, 600, 32, 0, OnSceneInit, OnBeforeRender, OnAfterRender);
    RemoveAssetFolder();
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
