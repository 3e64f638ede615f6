#include "platform/resources/LibraryResources.h"

namespace quarn {
namespace {

bool SameIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
        if (x == '\0') return true;
    }
}

} // namespace

const LibraryResource* FindResource(const char* name, const char* type) {
    if (!name || !type) return nullptr;
    for (const LibraryResource* r = kLibraryResources; r->name; ++r)
        if (SameIgnoringCase(r->name, name) && SameIgnoringCase(r->type, type)) return r;
    return nullptr;
}

} // namespace quarn
