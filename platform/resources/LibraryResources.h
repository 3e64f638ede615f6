// Resources compiled into the engine library: byte blocks found by name and type, the way the
// loaders' "from resource" path finds images shipped inside the library itself.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quarn {

struct LibraryResource {
    const char* name;
    const char* type;
    const uint8_t* data;
    size_t size;
};

// The embedded resources, ended by an entry whose name is null (generated at build time from
// the list in platform/resources/CMakeLists.txt).
extern const LibraryResource kLibraryResources[];

// The resource of that name and type, or null. Names and types compare without regard to
// ASCII case, as resource names do on the engine's original platform.
const LibraryResource* FindResource(const char* name, const char* type);

} // namespace quarn
