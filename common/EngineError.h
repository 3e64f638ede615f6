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
#ifdef __MINGW32__
// MinGW's own stdio (it knows %z), not msvcrt's.
std::string Format(const char* fmt, ...) __attribute__((format(gnu_printf, 1, 2)));
#else
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
#endif

[[noreturn]] void ThrowListIndexError(long long index);

} // namespace quarn
