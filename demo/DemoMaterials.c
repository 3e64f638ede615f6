/* The demo's showcase of the material stages: a GLSL-shaded, a sphere-mapped, a cube-mapped and a
 * bump-mapped object. */
#include "DemoShowcase.h"

#include "quarn/QuarnGL.h"

void DemoMaterialsInit(void) {}

void DemoMaterialsFrame(void) {}

void DemoMaterialsKey(int32_t key) {
    (void)key;
}
