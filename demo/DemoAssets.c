/* The demo's showcase of the asset files: a KSF level and an imported 3DS model. */
#include "DemoShowcase.h"

#include "quarn/QuarnGL.h"

void DemoAssetsInit(void) {}

void DemoAssetsFrame(void) {}

void DemoAssetsKey(int32_t key) {
    (void)key;
}
