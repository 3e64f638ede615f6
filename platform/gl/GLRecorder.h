// Recording twin of the GL dispatch table for GL-trace tests: every call is logged with its
// arguments and answered with neutral values, so engine code runs without a context and tests
// assert the call sequence where the order of GL calls is the behaviour.
#pragma once

#include "platform/gl/GL.h"

#include <string>
#include <vector>

namespace quarn {
namespace gl {

struct RecordedCall {
    std::string name;
    std::vector<double> args;     // numbers as given; pointers as 0 (null) or 1
    std::string ToString() const; // e.g. "glBindTexture(3553, 1)"
};

class GLRecorder {
  public:
    // Makes the recording table active (replacing whatever was active) and clears the log.
    static void Install();
    // Restores the table that was active before Install.
    static void Uninstall();
    static bool Installed();

    static void Clear();
    static const std::vector<RecordedCall>& Calls();
    static std::vector<std::string> Names();
    // The calls as strings, one per call.
    static std::vector<std::string> Lines();
    // Number of recorded calls with this name.
    static int Count(const std::string& name);

    // Values glGetFloatv returns for a pname (16 floats for matrices); unset pnames give zeros.
    static void SetFloats(GLenum pname, const std::vector<float>& values);
    static void SetIntegers(GLenum pname, const std::vector<int>& values);
    // glGetUniformLocationARB answers location for name; names never set get a location of
    // their own (100 and up) on first use.
    static void SetUniformLocation(const std::string& name, GLint location);
    // The location handed out for name, -1 when none was.
    static GLint UniformLocation(const std::string& name);
    static void Record(const char* name, std::vector<double> args);
};

} // namespace gl
} // namespace quarn
