#include "engine/materials/FogSwitch.h"

namespace quarn {

namespace {
bool g_fogShown = false;
}

bool GlobalFogShown() {
    return g_fogShown;
}

void SetGlobalFogShown(bool shown) {
    g_fogShown = shown;
}

} // namespace quarn
