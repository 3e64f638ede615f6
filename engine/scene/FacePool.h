// Storage for faces. Large meshes hold millions of them, so they are carved from big blocks
// (huge pages where the system offers them) instead of one heap allocation each. A freed face's
// slot serves the next face allocated on the same thread; blocks are kept for the life of the
// process.
#pragma once

#include <cstddef>

namespace quarn {

// One slot of at least slotSize bytes (the same size on every call).
void* AllocateFaceSlot(size_t slotSize);
void ReleaseFaceSlot(void* slot);

} // namespace quarn
