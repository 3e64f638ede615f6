#include "common/FiniteArguments.h"

#include "quarn/QuarnExposedTypes.h"

namespace quarn {

void ThrowNonFinite(const char* name) {
    throw NonFiniteArgument(Format("%s is not a finite number", name));
}

void ThrowNonFinite(const char* name, size_t index) {
    throw NonFiniteArgument(Format("%s[%zu] is not a finite number", name, index));
}

void RequireFiniteArray(const char* name, const float* values, long long count) {
    if (!values) return;
    for (long long i = 0; i < count; ++i)
        if (!std::isfinite(values[i])) ThrowNonFinite(name, size_t(i));
}

void RequireFiniteVectors(const char* name, const TQUARNVector* vectors, long long count) {
    if (!vectors) return;
    for (long long i = 0; i < count; ++i) {
        const TQUARNVector& v = vectors[i];
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            ThrowNonFinite(name, size_t(i));
    }
}

} // namespace quarn
