/* Feature showcases: each area of the engine adds its content in its own file. */
#ifndef DEMO_SHOWCASE_H
#define DEMO_SHOWCASE_H

#include <stdint.h>

/* Writes a w x h 24-bit BMP whose pixel (x, y) (y from the top) comes from colour(); 0 when the
 * file cannot be written. */
int WriteBmp(const char* path, int w, int h, void (*colour)(int x, int y, unsigned char* rgb));

/* The path of a generated picture or program file called name in the demo's own temporary
 * folder (removed when the demo ends), so nothing is written where the user started it. Init
 * time only; the path stays valid until the demo ends. */
const char* DemoAsset(const char* name);

/* Material stages: a GLSL-shaded, a sphere-mapped, a cube-mapped and a bump-mapped object. */
void DemoMaterialsInit(void);       /* in the scene-init callback */
void DemoMaterialsFrame(void);      /* before each frame */
void DemoMaterialsKey(int32_t key); /* a registered key held down */

/* Scene effects: fog, sky box, lens flare, smoke, HUD, screen text, screenshot key. */
void DemoEffectsInit(void);       /* in the scene-init callback */
void DemoEffectsFrame(void);      /* before each frame */
void DemoEffectsKey(int32_t key); /* a registered key held down */

/* Asset files: a KSF level and an imported 3DS model. */
/* The folder of the level and crate: beside the program (argv[0]) when they are there, else
 * where the build wrote them. Called once before the window opens. */
void DemoAssetsFindData(const char* programPath);
void DemoAssetsInit(void);       /* in the scene-init callback */
void DemoAssetsFrame(void);      /* before each frame */
void DemoAssetsKey(int32_t key); /* a registered key held down */

/* Physics (when the physics library is built): crates and a car driven with the arrow keys. */
#ifdef QUARN_DEMO_PHYSICS
void DemoPhysicsInit(void);       /* in the scene-init callback */
void DemoPhysicsFrame(void);      /* before each frame */
void DemoPhysicsKey(int32_t key); /* a registered key held down */
#else
#define DemoPhysicsInit() ((void)0)
#define DemoPhysicsFrame() ((void)0)
#define DemoPhysicsKey(key) ((void)(key))
#endif

#endif
