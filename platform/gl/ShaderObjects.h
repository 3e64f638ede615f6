// Compiling GLSL source into a shader object and reading object logs: shared by the engine's
// GLSL stage and the shader runtime of the bump-map stage.
#pragma once

#include "platform/gl/GL.h"

#include <string>

namespace quarn {
namespace gl {

// A new shader object of shaderType compiled from source (embedded zero bytes included); sets
// compiled to whether GL reports success. The object exists either way.
GLhandleARB CompileShaderObject(const std::string& source, GLenum shaderType, bool& compiled);

// The object's info log; empty when GL reports fewer than two characters.
std::string ObjectInfoLog(GLhandleARB object);

} // namespace gl
} // namespace quarn
