// The engine-wide "fog shown" flag that materials consult: a material whose showFogFlag is
// false switches fog off while it is active, but only while fog is shown at all. The
// environment sets it; it is off at start.
#pragma once

namespace quarn {

bool GlobalFogShown();
void SetGlobalFogShown(bool shown);

} // namespace quarn
