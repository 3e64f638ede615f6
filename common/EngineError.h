// The one exception type the libraries raise internally. It never crosses the C boundary:
// every export runs its body through GuardedCall (ErrorGuard.h).
#pragma once

#include <cstdarg>
#include <stdexcept>
#include <string>

namespace quarn {

class EngineError : public std::runtime_error {
  public:
    explicit EngineError(const std::string& message) : std::runtime_error(message) {}
};

// printf-style message, e.g. Format("List index out of bounds (%d)", i).
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

[[noreturn]] void ThrowListIndexError(long long index);

} // namespace quarn
