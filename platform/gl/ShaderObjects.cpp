#include "platform/gl/ShaderObjects.h"

#include <algorithm>

namespace quarn {
namespace gl {

GLhandleARB CompileShaderObject(const std::string& source, GLenum shaderType, bool& compiled) {
    const GLhandleARB shader = glCreateShaderObjectARB(shaderType);
    const GLcharARB* text = source.data();
    const GLint length = static_cast<GLint>(source.size());
    glShaderSourceARB(shader, 1, &text, &length);
    glCompileShaderARB(shader);
    GLint status = 0;
    glGetObjectParameterivARB(shader, GL_OBJECT_COMPILE_STATUS_ARB, &status);
    compiled = status == 1;
    return shader;
}

std::string ObjectInfoLog(GLhandleARB object) {
    GLint length = 0;
    glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    if (length < 2) return std::string();
    std::string log(static_cast<size_t>(length), '\0');
    GLsizei written = 0;
    glGetInfoLogARB(object, length, &written, log.data());
    log.resize(static_cast<size_t>(std::clamp<GLsizei>(written, 0, length)));
    return log;
}

} // namespace gl
} // namespace quarn
