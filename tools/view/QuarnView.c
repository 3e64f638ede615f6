/* quarn-view: looks at a level or model through the engine.
 *
 *   quarn-view FILE [--archive ARCHIVE] [--headless] [--frames N] [--output IMAGE]
 *
 * FILE is a KSF scene (textures from ARCHIVE, by default FILE with the extension .pak, else
 * .qpk), a 3DS model, an OBJ model (with its .mtl and textures), or a height-map image (.bmp or
 * .jpg) built into a shaded terrain of 4 units a pixel. The model is framed to about three quarters
 * of the window and turned with an orbit camera (drag to turn, wheel to zoom); the engine's light 0
 * keeps GL's default place at the eye, so it is a headlight that follows the camera, and the grey
 * background shows dark and black models. The overlay lists the keys (see Usage below). With
 * --frames the viewer renders N frames, saves the last as IMAGE (quarn-view.bmp) and exits: a quick
 * check that a file converts and draws. Exit status 1 when the file cannot be loaded, 2 for bad
 * arguments. */
#include "quarn/QuarnGL.h"
#ifdef QUARN_VIEW_OBJ
#include "tools/view/ObjScene.h"
#endif

#include <ctype.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#define VIEW_WIDTH 1024
#define VIEW_HEIGHT 768
#define VIEW_FOV 45.0f
#define VIEW_KEY_EQUALS 187 /* the '=' / '+' key of the main keyboard */
#define VIEW_KEY_MINUS 189
#define VIEW_FILL 0.75f /* share of the window the model's bounding box spans */

static const char* g_file = NULL;
static const char* g_archive = NULL;
static const char* g_output = "quarn-view.bmp";
static int g_framesLeft = -1; /* -1: run until Escape */
static int g_loadFailed = 0;
static int g_shots = 0;
static char g_lastMessage[1024]; /* the engine's last message, printed once */

/* What the overlay reports. */
static int32_t g_faces = 0, g_vertices = 0, g_materials = 0;
static int g_overlay = 1, g_wireframe = 0;

/* Orbit camera: looks along (yaw, pitch) at g_centre from g_distance away. */
static float g_centre[3], g_home[3];
static float g_yaw = 35.0f, g_pitch = -25.0f, g_distance = 10.0f, g_homeDistance = 10.0f;
static float g_radius = 1.0f;
static int g_dragButton = 0;
static float g_dragX, g_dragY;

static const char* const kKeys[] = {
    "drag: turn   right drag or arrows: pan   wheel, +/- or PgUp/PgDn: zoom   Home: frame again",
    "W/S/A/D: walk   L: wireframe   N: normals   B: octree boxes   F: fog   K: sky",
    "P: screenshot   H: this overlay   Esc: quit",
};

static int Usage(FILE* to) {
    size_t i;
    fprintf(to, "usage: quarn-view FILE [--archive ARCHIVE] [--headless] [--frames N] "
                "[--output IMAGE]\n"
                "  FILE      a KSF scene, a 3DS or OBJ model or a height map (.bmp, .jpg)\n"
                "  --archive the KSF scene's textures (default FILE.pak, else FILE.qpk)\n"
                "  --headless render offscreen\n"
                "  --frames N render N frames, save the last as IMAGE and exit\n"
                "  --output  the image --frames saves (default quarn-view.bmp)\n"
                "keys:\n");
    for (i = 0; i < sizeof kKeys / sizeof kKeys[0]; ++i)
        fprintf(to, "  %s\n", kKeys[i]);
    return to == stdout ? 0 : 2;
}

static int HasExtension(const char* name, const char* extension) {
    size_t n = strlen(name), e = strlen(extension), i;
    if (n < e) return 0;
    for (i = 0; i < e; ++i)
        if (tolower((unsigned char)name[n - e + i]) != extension[i]) return 0;
    return 1;
}

/* A file of this run in the temporary folder: NAME-PID.EXTENSION. */
static void TemporaryFile(char* path, size_t size, const char* name, const char* extension) {
    const char* tmp = getenv("TMPDIR");
#ifdef _WIN32
    if (!tmp || !*tmp) tmp = getenv("TEMP");
    if (!tmp || !*tmp) tmp = ".";
#else
    if (!tmp || !*tmp) tmp = "/tmp";
#endif
    snprintf(path, size, "%s/quarn-view-%s-%ld%s", tmp, name, (long)getpid(), extension);
}

static int Readable(const char* path) {
    FILE* f = fopen(path, "rb");
    if (!f) return 0;
    fclose(f);
    return 1;
}

/* Engine messages (a texture that cannot be read ...) are printed as they come, once. */
static void QUARN_CALL OnMessage(const char* caption, const char* text) {
    (void)caption;
    snprintf(g_lastMessage, sizeof g_lastMessage, "%s", text ? text : "");
    fprintf(stderr, "quarn-view: %s\n", g_lastMessage);
}

#ifdef QUARN_VIEW_OBJ
static void PrintWarning(const char* text) {
    fprintf(stderr, "quarn-view: %s\n", text);
}

/* An OBJ model goes through the tools' reader into a temporary KSF scene and archive, loaded
 * like any scene and removed again (the engine has read the textures by then). */
static int LoadObj(void) {
    char ksf[600], archive[600], error[1200];
    TQUARNPointerArray statics = NULL, dynamics = NULL, materials = NULL;
    int loaded;
    TemporaryFile(ksf, sizeof ksf, "model", ".ksf");
    TemporaryFile(archive, sizeof archive, "model", ".qpk");
    if (!ViewWriteObjScene(g_file, ksf, archive, PrintWarning, error, sizeof error)) {
        fprintf(stderr, "quarn-view: %s\n", error);
        remove(ksf);
        remove(archive);
        return -1;
    }
    loaded = qglLoadSceneKSF(ksf, archive, &statics, &dynamics, &materials) != NULL;
    remove(ksf);
    remove(archive);
    return loaded;
}
#endif

static void Normalise(float v[3]) {
    const float length = sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0f) v[0] /= length, v[1] /= length, v[2] /= length;
}

/* The engine lights a terrain with up-facing normals, so it shows as a flat silhouette: the
 * viewer draws a copy with normals from its slopes instead and hides the original. */
static void ShadeTerrain(TQGLHandle terrain) {
    const TQUARNFaceData* data = qglGetStaticFaceData(terrain);
    TQUARNVector *vertices, *normals;
    int32_t *faces, *materials;
    int32_t v, f, k, count, faceCount;
    TQGLHandle shaded, material;
    if (!data || data->VertexCount <= 0 || data->FaceCount <= 0) return;
    count = data->VertexCount;
    faceCount = data->FaceCount;
    vertices = (TQUARNVector*)malloc(sizeof *vertices * (size_t)count);
    normals = (TQUARNVector*)calloc((size_t)count, sizeof *normals);
    faces = (int32_t*)malloc(sizeof *faces * 3 * (size_t)faceCount);
    materials = (int32_t*)malloc(sizeof *materials * (size_t)faceCount);
    if (!vertices || !normals || !faces || !materials) goto done;
    memcpy(vertices, data->Vertices, sizeof *vertices * (size_t)count);
    material = qglAddMaterial("quarn-view terrain");
    qglSetMaterialAmbient(material, 0.25f, 0.27f, 0.22f);
    qglSetMaterialDiffuse(material, 0.62f, 0.66f, 0.55f);
    for (f = 0; f < faceCount; ++f) {
        const int32_t corner[3] = {data->Faces[f].a, data->Faces[f].b, data->Faces[f].c};
        float a[3], b[3], n[3];
        for (k = 0; k < 3; ++k) {
            if (corner[k] < 0 || corner[k] >= count) goto done;
            faces[f * 3 + k] = corner[k];
        }
        a[0] = vertices[corner[1]].x - vertices[corner[0]].x;
        a[1] = vertices[corner[1]].y - vertices[corner[0]].y;
        a[2] = vertices[corner[1]].z - vertices[corner[0]].z;
        b[0] = vertices[corner[2]].x - vertices[corner[0]].x;
        b[1] = vertices[corner[2]].y - vertices[corner[0]].y;
        b[2] = vertices[corner[2]].z - vertices[corner[0]].z;
        n[0] = a[1] * b[2] - a[2] * b[1];
        n[1] = a[2] * b[0] - a[0] * b[2];
        n[2] = a[0] * b[1] - a[1] * b[0];
        if (n[1] < 0.0f) n[0] = -n[0], n[1] = -n[1], n[2] = -n[2]; /* the side seen from above */
        for (k = 0; k < 3; ++k) {
            normals[corner[k]].x += n[0];
            normals[corner[k]].y += n[1];
            normals[corner[k]].z += n[2];
        }
        materials[f] = qglGetMaterialIndex(material);
    }
    for (v = 0; v < count; ++v) {
        float n[3] = {normals[v].x, normals[v].y, normals[v].z};
        Normalise(n);
        normals[v].x = n[0], normals[v].y = n[1], normals[v].z = n[2];
    }
    shaded = qglGetStaticObject(qglAddStaticObject());
    if (shaded && qglAddStaticMeshArrays(shaded, count, vertices, normals, NULL, faceCount, faces,
                                         materials) >= 0) {
        qglBuildStaticOctree(shaded);
        qglSetStaticVisibleFlag(terrain, 0);
    }
done:
    free(vertices);
    free(normals);
    free(faces);
    free(materials);
}

/* Loads the file into the scene; 0 when nothing could be loaded (the reason printed). */
static int LoadFile(void) {
    int32_t before, after;
    int loaded = 0;
    if (!Readable(g_file)) {
        fprintf(stderr, "quarn-view: %s: no such file, or it cannot be read\n", g_file);
        return 0;
    }
    /* The materials a file brings: the list's length before and after. */
    before = qglGetMaterialIndex(qglAddMaterial("quarn-view probe"));
    if (HasExtension(g_file, ".bmp") || HasExtension(g_file, ".jpg")) {
        TQGLHandle terrain = qglAddStaticObjectTerrain(g_file, "", "", 4, 1, 0, 0, 0, 0);
        loaded = terrain != NULL;
        if (loaded) ShadeTerrain(terrain);
    } else if (HasExtension(g_file, ".3ds")) {
        loaded = qglImportStatic3DS(g_file) != NULL;
#ifdef QUARN_VIEW_OBJ
    } else if (HasExtension(g_file, ".obj")) {
        loaded = LoadObj();
        if (loaded < 0) return 0; /* the reason printed */
#endif
    } else if (HasExtension(g_file, ".ksf")) {
        static char archive[4096];
        TQUARNPointerArray statics = NULL, dynamics = NULL, materials = NULL;
        if (!g_archive) {
            const size_t n = strlen(g_file);
            if (n + 1 > sizeof archive) return 0;
            memcpy(archive, g_file, n - 4);
            strcpy(archive + n - 4, ".pak");
            if (!Readable(archive)) strcpy(archive + n - 4, ".qpk");
            if (!Readable(archive)) strcpy(archive + n - 4, ".pak");
            g_archive = archive;
        }
        if (!Readable(g_archive)) {
            fprintf(stderr,
                    "quarn-view: %s: its texture archive %s is missing (name another with "
                    "--archive)\n",
                    g_file, g_archive);
            return 0;
        }
        loaded = qglLoadSceneKSF(g_file, g_archive, &statics, &dynamics, &materials) != NULL;
    } else {
        fprintf(stderr,
                "quarn-view: %s: not a file this viewer can show (.bmp, .jpg, .3ds, .obj, .ksf)\n",
                g_file);
        return 0;
    }
    if (!loaded) {
        const char* error = qglGetLastError();
        /* The message callback has shown it already when it came that way. */
        if (!error || strcmp(error, g_lastMessage) != 0)
            fprintf(stderr, "quarn-view: %s\n", error ? error : "nothing to show");
        return 0;
    }
    after = qglGetMaterialIndex(qglAddMaterial("quarn-view probe"));
    g_materials = after - before - 1;
    return 1;
}

static void PlaceCamera(void) {
    const float yaw = g_yaw * 3.14159265f / 180.0f, pitch = g_pitch * 3.14159265f / 180.0f;
    const float d[3] = {-sinf(yaw) * cosf(pitch), sinf(pitch), -cosf(yaw) * cosf(pitch)};
    qglSetCameraPosition(g_centre[0] - d[0] * g_distance, g_centre[1] - d[1] * g_distance,
                         g_centre[2] - d[2] * g_distance);
    qglSetCameraDirection(d[0], d[1], d[2]);
}

/* The camera's right and up vectors, for panning. */
static void CameraAxes(float right[3], float up[3]) {
    const float yaw = g_yaw * 3.14159265f / 180.0f, pitch = g_pitch * 3.14159265f / 180.0f;
    right[0] = cosf(yaw), right[1] = 0.0f, right[2] = -sinf(yaw);
    up[0] = -sinf(yaw) * -sinf(pitch), up[1] = cosf(pitch), up[2] = -cosf(yaw) * -sinf(pitch);
}

/* The distance from the centre along the view direction at which the visible meshes'
 * vertices, as seen, span VIEW_FILL of the window's height or width, whichever comes first. */
static float HomeDistance(const float centre[3]) {
    const float yaw = g_yaw * 3.14159265f / 180.0f, pitch = g_pitch * 3.14159265f / 180.0f;
    const float d[3] = {-sinf(yaw) * cosf(pitch), sinf(pitch), -cosf(yaw) * cosf(pitch)};
    const float halfHeight = VIEW_FILL * tanf(VIEW_FOV * 0.5f * 3.14159265f / 180.0f);
    const float halfWidth = halfHeight * (float)VIEW_WIDTH / (float)VIEW_HEIGHT;
    float right[3], up[3], distance = g_radius * 1.05f; /* the camera stays outside the box */
    int32_t i, v, k;
    CameraAxes(right, up);
    for (i = 0; i < qglGetStaticObjectCount(); ++i) {
        TQGLHandle object = qglGetStaticObject(i);
        const TQUARNFaceData* data;
        if (!qglGetStaticVisibleFlag(object)) continue;
        data = qglGetStaticFaceData(object);
        for (v = 0; data && v < data->VertexCount; ++v) {
            const float p[3] = {data->Vertices[v].x - centre[0], data->Vertices[v].y - centre[1],
                                data->Vertices[v].z - centre[2]};
            float x = 0.0f, y = 0.0f, z = 0.0f;
            for (k = 0; k < 3; ++k)
                x += p[k] * right[k], y += p[k] * up[k], z += p[k] * d[k];
            /* The vertex's depth from the camera is distance + z. */
            if (fabsf(y) / halfHeight - z > distance) distance = fabsf(y) / halfHeight - z;
            if (fabsf(x) / halfWidth - z > distance) distance = fabsf(x) / halfWidth - z;
        }
    }
    return distance;
}

/* Bounding box of every static mesh: the orbit turns about its centre, from a distance at
 * which the box spans VIEW_FILL of the window. */
static void FrameTheScene(void) {
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
    float radius = 0.0f;
    int32_t i, v, k;
    for (i = 0; i < qglGetStaticObjectCount(); ++i) {
        TQGLHandle object = qglGetStaticObject(i);
        const TQUARNFaceData* data;
        if (!qglGetStaticVisibleFlag(object)) continue;
        data = qglGetStaticFaceData(object);
        if (!data) continue;
        g_faces += data->FaceCount;
        g_vertices += data->VertexCount;
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
        g_home[k] = (lo[k] + hi[k]) * 0.5f;
        radius += (hi[k] - lo[k]) * (hi[k] - lo[k]) * 0.25f;
    }
    g_radius = radius > 0.0f ? sqrtf(radius) : 1.0f;
    g_homeDistance = HomeDistance(g_home);
    memcpy(g_centre, g_home, sizeof g_centre);
    g_distance = g_homeDistance;
    /* Near and far planes around the model, so small and huge models both draw. */
    qglSetCameraProjection(VIEW_FOV, g_homeDistance * 0.01f, g_homeDistance * 20.0f);
    PlaceCamera();
}

/* A sky of six plain gradient pictures, written to temporary files, loaded and removed. */
static void BuildSky(void) {
    char names[6][512];
    int face, y, x;
    for (face = 0; face < 6; ++face) {
        char name[16];
        FILE* f;
        /* 16 x 16 pixels, 24 bits, 822 bytes in all. */
        static const unsigned char header[54] = {'B', 'M', 0x36, 0x03, 0,  0, 0, 0, 0,  0,
                                                 54,  0,   0,    0,    40, 0, 0, 0, 16, 0,
                                                 0,   0,   16,   0,    0,  0, 1, 0, 24};
        snprintf(name, sizeof name, "sky%d", face);
        TemporaryFile(names[face], sizeof names[face], name, ".bmp");
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
    qglSetEnvironmentFogMode(QGL_FOG_EXP2);
    qglSetEnvironmentFogDensity(0.8f / g_homeDistance);
}

static void QUARN_CALL OnKeyHeld(int32_t* key) {
    const float step = g_distance * 0.02f;
    float right[3], up[3], move[3] = {0, 0, 0};
    int k;
    CameraAxes(right, up);
    switch (*key) {
    case QGL_VK_W:
    case QGL_VK_S: { /* walk: the orbit centre moves along with the camera */
        const float yaw = g_yaw * 3.14159265f / 180.0f, pitch = g_pitch * 3.14159265f / 180.0f;
        const float sign = *key == QGL_VK_W ? 1.0f : -1.0f;
        move[0] = -sinf(yaw) * cosf(pitch) * step * sign;
        move[1] = sinf(pitch) * step * sign;
        move[2] = -cosf(yaw) * cosf(pitch) * step * sign;
        break;
    }
    case QGL_VK_A:
    case QGL_VK_LEFT:
        for (k = 0; k < 3; ++k)
            move[k] = -right[k] * step;
        break;
    case QGL_VK_D:
    case QGL_VK_RIGHT:
        for (k = 0; k < 3; ++k)
            move[k] = right[k] * step;
        break;
    case QGL_VK_UP:
        for (k = 0; k < 3; ++k)
            move[k] = up[k] * step;
        break;
    case QGL_VK_DOWN:
        for (k = 0; k < 3; ++k)
            move[k] = -up[k] * step;
        break;
    case QGL_VK_ADD:
    case QGL_VK_PRIOR:
    case VIEW_KEY_EQUALS:
        g_distance *= 0.97f;
        break;
    case QGL_VK_SUBTRACT:
    case QGL_VK_NEXT:
    case VIEW_KEY_MINUS:
        g_distance *= 1.03f;
        break;
    default:
        return;
    }
    for (k = 0; k < 3; ++k)
        g_centre[k] += move[k];
    PlaceCamera();
}

static void ToggleWireframe(void) {
    int32_t i;
    g_wireframe = !g_wireframe;
    for (i = 0; i < qglGetStaticObjectCount(); ++i)
        qglSetStaticWireframeFlag(qglGetStaticObject(i), (uint8_t)g_wireframe);
}

static void QUARN_CALL OnKeyUp(int32_t* key) {
    switch (*key) {
    case 'P': {
        char name[64];
        snprintf(name, sizeof name, "quarn-view-%03d.bmp", ++g_shots);
        qglCopySceneScreenToBitmapFile(name);
        printf("quarn-view: saved %s\n", name);
        break;
    }
    case 'F':
        qglSetEnvironmentFogVisibleFlag(!qglGetEnvironmentFogVisibleFlag());
        break;
    case 'K':
        qglSetEnvironmentSkyboxVisibleFlag(!qglGetEnvironmentSkyboxVisibleFlag());
        break;
    case 'L':
        ToggleWireframe();
        break;
    case 'N':
        qglSetSceneDrawNormalsFlag(!qglGetSceneDrawNormalsFlag());
        break;
    case 'B':
        qglSetSceneShowOcclusionNodesFlag(!qglGetSceneShowOcclusionNodesFlag());
        break;
    case 'H':
        g_overlay = !g_overlay;
        break;
    case QGL_VK_HOME:
        memcpy(g_centre, g_home, sizeof g_centre);
        g_distance = g_homeDistance;
        g_yaw = 35.0f, g_pitch = -25.0f;
        PlaceCamera();
        break;
    default:
        break;
    }
}

static void QUARN_CALL OnMouseDown(int32_t button, float x, float y, float prevX, float prevY) {
    (void)prevX;
    (void)prevY;
    g_dragButton = button;
    g_dragX = x, g_dragY = y;
}

static void QUARN_CALL OnMouseUp(int32_t button) {
    if (button == g_dragButton) g_dragButton = 0;
}

static void QUARN_CALL OnMouseMove(float x, float y, float prevX, float prevY) {
    const float dx = x - g_dragX, dy = y - g_dragY;
    (void)prevX;
    (void)prevY;
    if (!g_dragButton) return;
    g_dragX = x, g_dragY = y;
    if (g_dragButton == 1) { /* turn about the centre */
        g_yaw -= dx * 0.4f;
        g_pitch -= dy * 0.4f;
        if (g_pitch > 89.0f) g_pitch = 89.0f;
        if (g_pitch < -89.0f) g_pitch = -89.0f;
    } else { /* pan */
        float right[3], up[3];
        const float scale = g_distance * 0.0015f;
        int k;
        CameraAxes(right, up);
        for (k = 0; k < 3; ++k)
            g_centre[k] += -right[k] * dx * scale + up[k] * dy * scale;
    }
    PlaceCamera();
}

/* A notch away from the user brings the camera a tenth closer. */
static void QUARN_CALL OnMouseWheel(float notches) {
    g_distance *= powf(0.9f, notches);
    PlaceCamera();
}

static void QUARN_CALL OnSceneInit(void) {
    static const int32_t keys[] = {QGL_VK_W,
                                   QGL_VK_A,
                                   QGL_VK_S,
                                   QGL_VK_D,
                                   QGL_VK_LEFT,
                                   QGL_VK_RIGHT,
                                   QGL_VK_UP,
                                   QGL_VK_DOWN,
                                   QGL_VK_ADD,
                                   QGL_VK_SUBTRACT,
                                   QGL_VK_PRIOR,
                                   QGL_VK_NEXT,
                                   QGL_VK_HOME,
                                   VIEW_KEY_EQUALS,
                                   VIEW_KEY_MINUS,
                                   'F',
                                   'K',
                                   'L',
                                   'N',
                                   'B',
                                   'H',
                                   'P'};
    size_t i;
    /* A neutral grey, so dark and black models stand out. */
    qglSetEnvironmentFogClearColor(0.42f, 0.44f, 0.47f, 1.0f);
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
    qglSetSceneMouseCallbacks(OnMouseMove, OnMouseDown, OnMouseUp);
    qglSetSceneMouseWheelCallback(OnMouseWheel);
    BuildSky();
}

/* The overlay: a line's Y counts from one window height above the top (the engine's text
 * convention, growing downwards), so the first line sits just below VIEW_HEIGHT. */
static void QUARN_CALL OnBeforeRender(void) {
    char line[400];
    int32_t triangles = 0, nodes = 0, objects = 0, y = VIEW_HEIGHT + 8;
    size_t i;
    if (!g_overlay) return;
    qglGetSceneStatistics(&triangles, &nodes, &objects);
    qglAddSceneText(g_file, 10, y);
    snprintf(line, sizeof line, "%d faces, %d vertices, %d materials", (int)g_faces,
             (int)g_vertices, (int)g_materials);
    qglAddSceneText(line, 10, y += 14);
    snprintf(line, sizeof line, "%u ms a frame, %d faces drawn, %d octree nodes visited",
             (unsigned)qglGetSceneFrameTime(), (int)triangles, (int)nodes);
    qglAddSceneText(line, 10, y += 14);
    y += 6;
    for (i = 0; i < sizeof kKeys / sizeof kKeys[0]; ++i)
        qglAddSceneText(kKeys[i], 10, y += 14);
}

static void QUARN_CALL OnAfterRender(void) {
    if (g_framesLeft > 0 && --g_framesLeft == 0) {
        qglCopySceneScreenToBitmapFile(g_output);
        qglDestroySceneWindow();
    }
}

/* A whole positive number, or -1. */
static int ParseCount(const char* text) {
    char* end;
    long value = strtol(text, &end, 10);
    if (end == text || *end || value <= 0 || value > 1000000) return -1;
    return (int)value;
}

int main(int argc, char** argv) {
    int i;
    for (i = 1; i < argc; ++i) {
        const int hasValue = i + 1 < argc;
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0) return Usage(stdout);
        if (strcmp(argv[i], "--frames") == 0 && hasValue) {
            g_framesLeft = ParseCount(argv[++i]);
            if (g_framesLeft < 0) {
                fprintf(stderr, "quarn-view: --frames takes a positive whole number, not '%s'\n",
                        argv[i]);
                return 2;
            }
        } else if (strcmp(argv[i], "--output") == 0 && hasValue)
            g_output = argv[++i];
        else if (strcmp(argv[i], "--archive") == 0 && hasValue)
            g_archive = argv[++i];
        else if (strcmp(argv[i], "--headless") == 0) {
#ifdef _WIN32 /* Windows' GL has no offscreen context */
            fprintf(stderr, "quarn-view: --headless is not available on Windows; use --frames N\n");
            return 2;
#else
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
#endif
        } else if (argv[i][0] != '-' && !g_file)
            g_file = argv[i];
        else {
            if (argv[i][0] == '-')
                fprintf(stderr, "quarn-view: %s: unknown option, or its value is missing\n",
                        argv[i]);
            else
                fprintf(stderr, "quarn-view: one file at a time (%s and %s given)\n", g_file,
                        argv[i]);
            return Usage(stderr);
        }
    }
    if (!g_file) {
        fprintf(stderr, "quarn-view: no file given\n");
        return Usage(stderr);
    }
    qglSetMessageCallBack(OnMessage);
    if (qglCreateSceneWindow(VIEW_WIDTH, VIEW_HEIGHT, 32, 0, OnSceneInit, OnBeforeRender,
                             OnAfterRender) < 0) {
        const char* error = qglGetLastError();
        fprintf(stderr, "quarn-view: %s\n", error ? error : "the window could not open");
        return 1;
    }
    if (g_loadFailed) return 1;
    if (qglGetLastError()) { /* shown already when it came as a message */
        if (strcmp(qglGetLastError(), g_lastMessage) != 0)
            fprintf(stderr, "quarn-view: %s\n", qglGetLastError());
        return 1;
    }
    return 0;
}
