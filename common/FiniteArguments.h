// Checks for float arguments an export keeps in its library's state: NaN or infinity would
// poison every later use (bounding boxes, the octree's bounds, sorting, the frustum), so such a
// call is refused before anything is changed.
#pragma once

#include "common/EngineError.h"

#include <cmath>
#include <cstddef>

struct TQUARNVector;

namespace quarn {

// A float argument was NaN or infinite. The export guard puts the export's name in front:
// "qglSetCameraPosition: Y is not a finite number".
class NonFiniteArgument : public EngineError {
  public:
    using EngineError::EngineError;
};

// Raise NonFiniteArgument "<name> is not a finite number" ("<name>[index] ..." for an array).
[[noreturn]] void ThrowNonFinite(const char* name);
[[noreturn]] void ThrowNonFinite(const char* name, size_t index);

// Refuses the first of the named values that is not finite:
// RequireFinite("X", X, "Y", Y, "Z", Z).
inline void RequireFinite() {}
template <class... Rest> void RequireFinite(const char* name, double value, Rest... rest) {
    if (__builtin_expect(!std::isfinite(value), 0)) ThrowNonFinite(name);
    RequireFinite(rest...);
}

// The same for count floats, or count vectors of three; nothing for NULL or count <= 0 (the
// export's own checks refuse those).
void RequireFiniteArray(const char* name, const float* values, long long count);
void RequireFiniteVectors(const char* name, const TQUARNVector* vectors, long long count);

} // namespace quarn
