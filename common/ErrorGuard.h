// The one guard every export body runs through: a caught error becomes the library's last
// error, is reported through the library's reporter, and the export returns its neutral value.
#pragma once

#include <exception>
#include <new>
#include <string>
#include <utility>

namespace quarn {

class LastError {
  public:
    void Set(const std::string& message) {
        message_ = message;
        has_ = true;
    }
    void Clear() {
        message_.clear();
        has_ = false;
    }
    // NULL when nothing failed since the last Clear.
    const char* Get() const { return has_ ? message_.c_str() : nullptr; }

  private:
    std::string message_;
    bool has_ = false;
};

using ErrorReporter = void (*)(const char* message);

template <class R, class F>
R GuardedCall(LastError& lastError, ErrorReporter report, R neutral, F&& body) noexcept {
    const char* failure = nullptr;
    std::string text;
    try {
        return body();
    } catch (const std::bad_alloc&) {
        failure = "Out of memory";
    } catch (const std::exception& e) {
        try {
            text = e.what();
        } catch (...) {
        }
        failure = text.c_str();
    } catch (...) {
        failure = "Unknown error";
    }
    try {
        lastError.Set(failure);
        if (report) report(failure);
    } catch (...) {
    }
    return neutral;
}

template <class F> void GuardedVoid(LastError& lastError, ErrorReporter report, F&& body) noexcept {
    GuardedCall(lastError, report, 0, [&]() {
        body();
        return 0;
    });
}

} // namespace quarn
