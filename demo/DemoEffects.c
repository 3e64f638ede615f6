/* The demo's showcase of the scene effects: fog, a sky box, a lens flare on the sun, a smoke
 * column, a HUD panel, an FPS line of screen text, and F2 to save a screenshot. Every image is
 * generated here as a 32-bit TGA so the demo needs no data files. */
#include "DemoShowcase.h"

#include "quarn/QuarnGL.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#define EFFECT_IMAGE 64

typedef void (*PixelFn)(int x, int y, int variant, unsigned char* rgba);

/* A w x h uncompressed 32-bit TGA, bottom row first; pixel (x, y) counts y from the bottom. */
static int WriteTga(const char* path, int variant, PixelFn pixel) {
    unsigned char header[18] = {0};
    unsigned char rgba[4], bgra[4];
    FILE* f = fopen(path, "wb");
    int x, y;
    if (!f) return 0;
    header[2] = 2; /* uncompressed true colour */
    header[12] = EFFECT_IMAGE;
    header[14] = EFFECT_IMAGE;
    header[16] = 32;
    header[17] = 8; /* 8 alpha bits, bottom-left origin */
    fwrite(header, 1, sizeof header, f);
    for (y = 0; y < EFFECT_IMAGE; ++y)
        for (x = 0; x < EFFECT_IMAGE; ++x) {
            pixel(x, y, variant, rgba);
            bgra[0] = rgba[2], bgra[1] = rgba[1], bgra[2] = rgba[0], bgra[3] = rgba[3];
            fwrite(bgra, 1, 4, f);
        }
    return fclose(f) == 0;
}

/* Distance from the image centre, 0 at the centre and 1 at the edge's middle. */
static float Radius(int x, int y) {
    const float dx = ((float)x + 0.5f) / (EFFECT_IMAGE / 2) - 1.0f;
    const float dy = ((float)y + 0.5f) / (EFFECT_IMAGE / 2) - 1.0f;
    return sqrtf(dx * dx + dy * dy);
}

static unsigned char Byte(float v) {
    return (unsigned char)(v <= 0.0f ? 0 : v >= 1.0f ? 255 : v * 255.0f);
}

/* Sky faces: a blue gradient, lighter toward the horizon; the top is deep blue, the bottom a
 * hazy grey-green. Variant is the face number 1..6. */
static void SkyPixel(int x, int y, int variant, unsigned char* rgba) {
    const float t = (float)y / (EFFECT_IMAGE - 1); /* 0 at the bottom row */
    (void)x;
    if (variant == 5) { /* top */
        rgba[0] = 40, rgba[1] = 80, rgba[2] = 170;
    } else if (variant == 6) { /* bottom */
        rgba[0] = 90, rgba[1] = 100, rgba[2] = 90;
    } else {
        rgba[0] = Byte(0.75f - 0.55f * t);
        rgba[1] = Byte(0.82f - 0.5f * t);
        rgba[2] = Byte(0.95f - 0.3f * t);
    }
    rgba[3] = 255;
}

/* Flare elements: soft glows and rings in warm colours (black adds nothing). */
static void FlarePixel(int x, int y, int variant, unsigned char* rgba) {
    const float r = Radius(x, y);
    float v = variant % 3 == 0 ? expf(-(r - 0.7f) * (r - 0.7f) * 60.0f) /* ring */
                               : (r < 1.0f ? (1.0f - r) * (1.0f - r) : 0.0f);
    if (variant == 1) v = r < 1.0f ? powf(1.0f - r, 1.5f) : 0.0f; /* the sun's own glow */
    rgba[0] = Byte(v);
    rgba[1] = Byte(v * (variant % 2 ? 0.9f : 0.6f));
    rgba[2] = Byte(v * (variant % 4 ? 0.5f : 0.9f));
    rgba[3] = 255;
}

/* A smoke puff: white, its alpha falling off toward the edge. */
static void PuffPixel(int x, int y, int variant, unsigned char* rgba) {
    const float r = Radius(x, y);
    (void)variant;
    rgba[0] = rgba[1] = rgba[2] = 235;
    rgba[3] = Byte(r < 1.0f ? (1.0f - r) * 0.8f : 0.0f);
}

/* The HUD panel: a dark frame with a lighter border. */
static void PanelPixel(int x, int y, int variant, unsigned char* rgba) {
    const int border = x < 3 || y < 3 || x >= EFFECT_IMAGE - 3 || y >= EFFECT_IMAGE - 3;
    (void)variant;
    rgba[0] = border ? 220 : 30;
    rgba[1] = border ? 200 : 40;
    rgba[2] = border ? 120 : 60;
    rgba[3] = 255;
}

static int g_shotCooldown = 0;

void DemoEffectsInit(void) {
    const char *sky[6], *flare[9];
    const char* puff = DemoAsset("puff.tga");
    const char* panelImage = DemoAsset("panel.tga");
    char name[32];
    int i;
    for (i = 0; i < 6; ++i) {
        snprintf(name, sizeof name, "sky%d.tga", i + 1);
        sky[i] = DemoAsset(name);
        WriteTga(sky[i], i + 1, SkyPixel);
    }
    for (i = 0; i < 9; ++i) {
        snprintf(name, sizeof name, "flare%d.tga", i + 1);
        flare[i] = DemoAsset(name);
        WriteTga(flare[i], i + 1, FlarePixel);
    }
    WriteTga(puff, 0, PuffPixel);
    WriteTga(panelImage, 0, PanelPixel);

    /* Light distance fog in the sky's horizon colour; the sky box switches it off around
     * itself because fog is on when the box is built. */
    qglSetEnvironmentFogColor(0.7f, 0.78f, 0.9f, 1.0f);
    qglSetEnvironmentFogClearColor(0.7f, 0.78f, 0.9f, 1.0f);
    qglSetEnvironmentFogMode(0x0801 /* GL_EXP2 */);
    qglSetEnvironmentFogDensity(0.012f);
    qglSetEnvironmentFogVisibleFlag(1);
    qglInitEnvironmentSkybox(sky[0], sky[1], sky[2], sky[3], sky[4], sky[5]);
    qglSetEnvironmentSkyboxVisibleFlag(1);

    /* The sun ahead and up to the right, always at the same offset from the viewer. */
    qglInitEnvironmentLensFlare(flare[0], flare[1], flare[2], flare[3], flare[4], flare[5],
                                flare[6], flare[7], flare[8], 800, 600);
    qglSetEnvironmentLensFlareLightPosition(300.0f, 260.0f, -1000.0f);

    /* A smoke column rising from the ground to the right, leaning with the wind. */
    qglAddDynamicSmokeParticleSystem(5.0f, -3.0f, 1.0f, 0.9f, 0.9f, 0.9f, 1.0f, 0.01f, 0.0f, 0.0f,
                                     12.0f, 50, 150, 80, 12, 0, 1, puff);

    /* A panel along the bottom of the 800 x 600 screen. */
    {
        TQGLHandle panel = qglAddMaterial("hud panel");
        qglSetMaterialLightFlag(panel, 0);
        qglAddMaterialTexShader(panel, panelImage, 0);
        qglAddDynamicHUDObject(300.0f, 36.0f, 160.0f, 570.0f, 800, 600, panel);
    }
    qglRegisterSceneKey((QGL_VK_F1 + 1));
}

void DemoEffectsFrame(void) {
    char line[64];
    const uint32_t ms = qglGetSceneFrameTicks();
    if (ms > 0)
        snprintf(line, sizeof line, "FPS %.1f  (%u ms a frame)", 1000.0 / ms, (unsigned)ms);
    else
        snprintf(line, sizeof line, "FPS --");
    /* Y counts from one window height above the top: 600 + 8 is 8 pixels below the top. */
    qglAddSceneText(line, 10, 608);
    qglAddSceneText("F2: screenshot", 20, 600 + 566);
    if (g_shotCooldown > 0) --g_shotCooldown;
}

void DemoEffectsKey(int32_t key) {
    if (key != (QGL_VK_F1 + 1) || g_shotCooldown > 0) return;
    g_shotCooldown = 30; /* one picture per press, not one per frame held */
    qglCopySceneScreenToBitmapFile("quarn-demo-screenshot.bmp");
    printf("quarn-demo: screenshot saved to quarn-demo-screenshot.bmp\n");
}
