/* The demo's showcase of the material stages, in a row behind the cubes: a cube shaded by a
 * GLSL program whose colour uniform changes over time, a chrome-like sphere-mapped cube, a
 * cube-mapped cube reflecting six coloured faces, and a brick wall bump-mapped per pixel and
 * lit by the scene's bump light circling in front of it. */
#include "DemoShowcase.h"

#include "quarn/QuarnGL.h"

#include <math.h>
#include <stdio.h>

#define DEMO_GL_MODULATE 0x2100

static TQGLHandle g_glslMaterial = NULL;
static TQGLHandle g_chrome = NULL;
static TQGLHandle g_mirror = NULL;
static float g_time = 0.0f;

static int SaveText(const char* path, const char* text) {
    FILE* f = fopen(path, "w");
    int ok;
    if (!f) return 0;
    ok = fputs(text, f) >= 0;
    return fclose(f) == 0 && ok;
}

/* Sky above, a bright horizon and dark ground below: what a chrome ball reflects. */
static void ChromePixel(int x, int y, unsigned char* rgb) {
    const float t = 1.0f - (float)y / 63.0f;
    (void)x;
    if (t > 0.5f) {
        rgb[0] = (unsigned char)(120 + 100 * (t - 0.5f));
        rgb[1] = (unsigned char)(170 + 80 * (t - 0.5f));
        rgb[2] = 255;
    } else {
        rgb[0] = (unsigned char)(60 + 180 * t);
        rgb[1] = (unsigned char)(50 + 160 * t);
        rgb[2] = (unsigned char)(40 + 140 * t);
    }
}

static int g_face = 0;
static void FacePixel(int x, int y, unsigned char* rgb) {
    static const unsigned char colours[6][3] = {{200, 60, 60},  {60, 200, 60},  {60, 60, 200},
                                                {220, 200, 60}, {60, 200, 200}, {200, 60, 200}};
    const int edge = x < 3 || y < 3 || x > 28 || y > 28;
    rgb[0] = edge ? 255 : colours[g_face][0];
    rgb[1] = edge ? 255 : colours[g_face][1];
    rgb[2] = edge ? 255 : colours[g_face][2];
}

/* Bricks of 32 x 16 texels in rows offset by half a brick, with 3-texel mortar joints. */
static float BrickHeight(int x, int y) {
    const int row = ((y % 128) + 128) % 128 / 16;
    const int bx = (((x + (row % 2) * 16) % 32) + 32) % 32, by = ((y % 16) + 16) % 16;
    const int fromEdge = (bx < by ? bx : by) < 3 ? 0 : 1;
    const int farX = 31 - bx, farY = 15 - by;
    return (fromEdge && farX >= 0 && farY >= 0) ? 1.0f : 0.0f;
}

static void BrickColourPixel(int x, int y, unsigned char* rgb) {
    const int brick = BrickHeight(x, y) > 0.5f;
    const int grain = (x * 7 + y * 13) % 17;
    rgb[0] = (unsigned char)(brick ? 170 + grain : 150);
    rgb[1] = (unsigned char)(brick ? 70 + grain : 145);
    rgb[2] = (unsigned char)(brick ? 50 : 135);
}

/* Normals from the brick heights: the joints slope into the wall. */
static void BrickNormalPixel(int x, int y, unsigned char* rgb) {
    const float dx = BrickHeight(x + 1, y) - BrickHeight(x - 1, y);
    const float dy = BrickHeight(x, y + 1) - BrickHeight(x, y - 1);
    const float nx = -dx, ny = dy, nz = 1.0f; /* rows run top down, texture v bottom up */
    const float len = sqrtf(nx * nx + ny * ny + nz * nz);
    rgb[0] = (unsigned char)(127.5f + 127.0f * nx / len);
    rgb[1] = (unsigned char)(127.5f + 127.0f * ny / len);
    rgb[2] = (unsigned char)(127.5f + 127.0f * nz / len);
}

static const char* const kVertexShader =
    "varying float light;\n"
    "void main() {\n"
    "    vec3 n = normalize(gl_NormalMatrix * gl_Normal);\n"
    "    light = 0.35 + 0.65 * max(dot(n, normalize(vec3(0.3, 0.6, 1.0))), 0.0);\n"
    "    gl_Position = ftransform();\n"
    "}\n";
static const char* const kFragmentShader = "uniform vec3 colour;\n"
                                           "varying float light;\n"
                                           "void main() {\n"
                                           "    gl_FragColor = vec4(colour * light, 1.0);\n"
                                           "}\n";

/* A 4 x 4 wall facing +z, centred on (cx, cy, cz), with texture coordinates 0..2. */
static void BuildWall(TQGLHandle material, float cx, float cy, float cz) {
    static const float corners[2][3][2] = {{{-1, -1}, {1, -1}, {1, 1}},
                                           {{-1, -1}, {1, 1}, {-1, 1}}};
    const int32_t m = qglGetMaterialIndex(material);
    TQGLHandle wall = qglGetStaticObject(qglAddStaticObject());
    const int32_t normal = qglAddStaticMeshNormal(wall, 0.0f, 0.0f, 1.0f);
    int t, c;
    for (t = 0; t < 2; ++t) {
        const int32_t face = qglAddStaticFace(wall);
        for (c = 0; c < 3; ++c) {
            const float u = corners[t][c][0], v = corners[t][c][1];
            qglAddStaticFaceVectorIndex(
                wall, face, qglAddStaticMeshVector(wall, cx + 2.0f * u, cy + 2.0f * v, cz));
            qglAddStaticFaceNormalIndex(wall, face, normal);
            qglAddStaticFaceTexCoordIndex(wall, face,
                                          qglAddStaticMeshTexCoord(wall, u + 1.0f, v + 1.0f, 0));
        }
        qglAddStaticFaceMaterialIndex(wall, face, m);
    }
    qglBuildStaticOctree(wall);
}

void DemoMaterialsInit(void) {
    const char* faces[6];
    const char* vertexShader = DemoAsset("colour.vert");
    const char* fragmentShader = DemoAsset("colour.frag");
    const char* chrome = DemoAsset("chrome.bmp");
    const char* brickColours = DemoAsset("bricks.bmp");
    const char* brickNormals = DemoAsset("bricks-normals.bmp");
    TQGLHandle bricks;
    int i, facesWritten = 1;
    char name[32];
    for (i = 0; i < 6; ++i) {
        snprintf(name, sizeof name, "face%d.bmp", i + 1);
        faces[i] = DemoAsset(name);
    }

    if (SaveText(vertexShader, kVertexShader) && SaveText(fragmentShader, kFragmentShader)) {
        g_glslMaterial = qglAddMaterial("glsl colour");
        qglAddMaterialGLSLShader(g_glslMaterial, vertexShader, fragmentShader);
        qglSetMaterialGLSLShaderVal3f(g_glslMaterial, "colour", 1.0f, 0.5f, 0.0f);
        qglLoadDynamicPredefined(1, g_glslMaterial, -6.0f, 1.0f, -6.0f, 0.0f, 30.0f, 0.0f, 1.5f,
                                 1.5f, 1.5f);
    }

    if (WriteBmp(chrome, 64, 64, ChromePixel)) {
        TQGLHandle m = qglAddMaterial("chrome");
        qglSetMaterialLightFlag(m, 0);
        qglAddMaterialSphereShader(m, chrome, 2, DEMO_GL_MODULATE);
        g_chrome =
            qglLoadDynamicPredefined(1, m, -2.0f, 1.0f, -6.0f, 20.0f, 0.0f, 0.0f, 1.5f, 1.5f, 1.5f);
    }

    for (i = 0; i < 6; ++i) {
        g_face = i;
        facesWritten = facesWritten && WriteBmp(faces[i], 32, 32, FacePixel);
    }
    if (facesWritten) {
        TQGLHandle m = qglAddMaterial("mirror");
        qglSetMaterialLightFlag(m, 0);
        qglAddMaterialCubeShader(m, faces[0], faces[1], faces[2], faces[3], faces[4], faces[5], 2);
        g_mirror =
            qglLoadDynamicPredefined(1, m, 2.0f, 1.0f, -6.0f, 0.0f, 45.0f, 0.0f, 1.5f, 1.5f, 1.5f);
    }

    if (WriteBmp(brickColours, 128, 128, BrickColourPixel) &&
        WriteBmp(brickNormals, 128, 128, BrickNormalPixel)) {
        bricks = qglAddMaterial("bricks");
        qglAddMaterialBumpShader(bricks, brickColours, brickNormals, 2);
        BuildWall(bricks, 6.0f, 1.0f, -6.0f);
        qglSetSceneBumpLight(6.0f, 1.0f, -4.0f, 0);
    }
}

void DemoMaterialsFrame(void) {
    g_time += 0.02f;
    if (g_glslMaterial)
        qglSetMaterialGLSLShaderVal3f(g_glslMaterial, "colour", 0.5f + 0.5f * sinf(g_time * 2.0f),
                                      0.5f + 0.5f * sinf(g_time * 2.0f + 2.1f),
                                      0.5f + 0.5f * sinf(g_time * 2.0f + 4.2f));
    if (g_chrome) qglSetDynamicYaw(g_chrome, g_time * 40.0f);
    if (g_mirror) qglSetDynamicYaw(g_mirror, 45.0f - g_time * 30.0f);
    qglSetSceneBumpLight(6.0f + 2.5f * cosf(g_time), 1.0f + 1.5f * sinf(g_time), -4.0f, 0);
}

void DemoMaterialsKey(int32_t key) {
    (void)key;
}
