#include "engine/materials/GLSLShader.h"

#include "common/EngineError.h"
#include "engine/materials/States.h"
#include "platform/gl/ShaderObjects.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace quarn {

namespace {

void Send(GLint at, GLfloat x) {
    glUniform1fARB(at, x);
}
void Send(GLint at, const TQGLShaderVector<GLfloat, 2>& x) {
    glUniform2fARB(at, x.v[0], x.v[1]);
}
void Send(GLint at, const TQGLShaderVector<GLfloat, 3>& x) {
    glUniform3fARB(at, x.v[0], x.v[1], x.v[2]);
}
void Send(GLint at, const TQGLShaderVector<GLfloat, 4>& x) {
    glUniform4fARB(at, x.v[0], x.v[1], x.v[2], x.v[3]);
}
void Send(GLint at, GLint x) {
    glUniform1iARB(at, x);
}
void Send(GLint at, const TQGLShaderVector<GLint, 2>& x) {
    glUniform2iARB(at, x.v[0], x.v[1]);
}
void Send(GLint at, const TQGLShaderVector<GLint, 3>& x) {
    glUniform3iARB(at, x.v[0], x.v[1], x.v[2]);
}
void Send(GLint at, const TQGLShaderVector<GLint, 4>& x) {
    glUniform4iARB(at, x.v[0], x.v[1], x.v[2], x.v[3]);
}
// GLSL bool uniforms are set through the integer calls.
void Send(GLint at, bool x) {
    glUniform1iARB(at, x);
}
void Send(GLint at, const TQGLShaderVector<bool, 2>& x) {
    glUniform2iARB(at, x.v[0], x.v[1]);
}
void Send(GLint at, const TQGLShaderVector<bool, 3>& x) {
    glUniform3iARB(at, x.v[0], x.v[1], x.v[2]);
}
void Send(GLint at, const TQGLShaderVector<bool, 4>& x) {
    glUniform4iARB(at, x.v[0], x.v[1], x.v[2], x.v[3]);
}
// The host's matrices are in GL's memory order already: no transpose.
void Send(GLint at, const TQGLShaderMatrix<2>& x) {
    glUniformMatrix2fvARB(at, 1, GL_FALSE, x.m.data());
}
void Send(GLint at, const TQGLShaderMatrix<3>& x) {
    glUniformMatrix3fvARB(at, 1, GL_FALSE, x.m.data());
}
void Send(GLint at, const TQGLShaderMatrix<4>& x) {
    glUniformMatrix4fvARB(at, 1, GL_FALSE, x.m.data());
}

template <int N> TQGLShaderMatrix<N> CopyMatrix(const GLfloat* m) {
    if (!m) throw EngineError(Format("A %dx%d shader matrix needs %d values", N, N, N * N));
    TQGLShaderMatrix<N> out;
    std::copy(m, m + N * N, out.m.begin());
    return out;
}

} // namespace

TQGLGLSLShader::~TQGLGLSLShader() {
    try {
        DeleteProgram();
    } catch (...) {
        // No GL any more: the objects went with the context.
    }
}

void TQGLGLSLShader::DeleteProgram() {
    const GLhandleARB objects[3] = {program, vertexShader, fragmentShader};
    program = vertexShader = fragmentShader = 0;
    for (GLhandleARB object : objects)
        if (object) glDeleteObjectARB(object);
}

std::string TQGLGLSLShader::GetInfoLog(GLhandleARB object) {
    return gl::ObjectInfoLog(object);
}

GLhandleARB TQGLGLSLShader::CompileShader(const std::string& source, GLenum shaderType) {
    bool compiled = false;
    const GLhandleARB shader = gl::CompileShaderObject(source, shaderType, compiled);
    const std::string log = GetInfoLog(shader);
    if (!compiled) {
        glDeleteObjectARB(shader);
        throw EngineError(log);
    }
    return shader;
}

GLhandleARB TQGLGLSLShader::LoadShaderFile(const std::string& fileName, GLenum shaderType) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw EngineError(
            Format("Cannot open file \"%s\". %s", fileName.c_str(), std::strerror(errno)));
    const std::string source((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    try {
        // An empty file would compile to a shader without main and fail only at link time.
        if (source.empty()) throw EngineError("The file is empty.");
        return CompileShader(source, shaderType);
    } catch (const EngineError& e) {
        throw EngineError(fileName + " contains errors!\n" + e.what());
    }
}

void TQGLGLSLShader::LoadProgram(const std::string& vertexFile, const std::string& fragmentFile) {
    DeleteProgram();
    std::fill(std::begin(samplerLocations_), std::end(samplerLocations_), -1);
    vertexShader = LoadShaderFile(vertexFile, GL_VERTEX_SHADER_ARB);
    fragmentShader = LoadShaderFile(fragmentFile, GL_FRAGMENT_SHADER_ARB);
    const GLhandleARB linked = glCreateProgramObjectARB();
    glAttachObjectARB(linked, vertexShader);
    glAttachObjectARB(linked, fragmentShader);
    glLinkProgramARB(linked);
    GLint status = 0;
    glGetObjectParameterivARB(linked, GL_OBJECT_LINK_STATUS_ARB, &status);
    if (status != 1) {
        const std::string log = GetInfoLog(linked);
        glDeleteObjectARB(linked);
        throw EngineError(vertexFile + " and " + fragmentFile + " do not link!\n" + log);
    }
    program = linked;
    LookUpLocations();
}

template <class F> void TQGLGLSLShader::ForEachGroup(F&& visit) {
    visit(values1f);
    visit(values2f);
    visit(values3f);
    visit(values4f);
    visit(values1i);
    visit(values2i);
    visit(values3i);
    visit(values4i);
    visit(values1b);
    visit(values2b);
    visit(values3b);
    visit(values4b);
    visit(valuesMat2f);
    visit(valuesMat3f);
    visit(valuesMat4f);
}

void TQGLGLSLShader::LookUpLocations() {
    char sampler[] = "texture0";
    for (int unit = 0; unit < kSamplerUnits; ++unit) {
        sampler[7] = static_cast<char>('0' + unit);
        samplerLocations_[unit] = glGetUniformLocationARB(program, sampler);
    }
    ForEachGroup([this](auto& group) {
        for (size_t i = 0; i < group.names.size(); ++i)
            group.locations[i] = glGetUniformLocationARB(program, group.names[i].c_str());
    });
}

template <class T>
void TQGLGLSLShader::Store(TQGLShaderValues<T>& group, const std::string& name, T value) {
    const int found = group.Find(name);
    if (found >= 0) {
        group.values[static_cast<size_t>(found)] = value;
        return;
    }
    // Looked up once; a program that never linked has no uniforms.
    const GLint location = program ? glGetUniformLocationARB(program, name.c_str()) : -1;
    group.values.push_back(value);
    group.names.push_back(name);
    group.locations.push_back(location);
}

void TQGLGLSLShader::SetValue1f(const std::string& n, GLfloat x) {
    Store(values1f, n, x);
}
void TQGLGLSLShader::SetValue2f(const std::string& n, GLfloat x, GLfloat y) {
    Store(values2f, n, TQGLShaderVector<GLfloat, 2>{{x, y}});
}
void TQGLGLSLShader::SetValue3f(const std::string& n, GLfloat x, GLfloat y, GLfloat z) {
    Store(values3f, n, TQGLShaderVector<GLfloat, 3>{{x, y, z}});
}
void TQGLGLSLShader::SetValue4f(const std::string& n, GLfloat x, GLfloat y, GLfloat z, GLfloat w) {
    Store(values4f, n, TQGLShaderVector<GLfloat, 4>{{x, y, z, w}});
}
void TQGLGLSLShader::SetValue1i(const std::string& n, GLint x) {
    Store(values1i, n, x);
}
void TQGLGLSLShader::SetValue2i(const std::string& n, GLint x, GLint y) {
    Store(values2i, n, TQGLShaderVector<GLint, 2>{{x, y}});
}
void TQGLGLSLShader::SetValue3i(const std::string& n, GLint x, GLint y, GLint z) {
    Store(values3i, n, TQGLShaderVector<GLint, 3>{{x, y, z}});
}
void TQGLGLSLShader::SetValue4i(const std::string& n, GLint x, GLint y, GLint z, GLint w) {
    Store(values4i, n, TQGLShaderVector<GLint, 4>{{x, y, z, w}});
}
void TQGLGLSLShader::SetValue1b(const std::string& n, bool x) {
    Store(values1b, n, x);
}
void TQGLGLSLShader::SetValue2b(const std::string& n, bool x, bool y) {
    Store(values2b, n, TQGLShaderVector<bool, 2>{{x, y}});
}
void TQGLGLSLShader::SetValue3b(const std::string& n, bool x, bool y, bool z) {
    Store(values3b, n, TQGLShaderVector<bool, 3>{{x, y, z}});
}
void TQGLGLSLShader::SetValue4b(const std::string& n, bool x, bool y, bool z, bool w) {
    Store(values4b, n, TQGLShaderVector<bool, 4>{{x, y, z, w}});
}
void TQGLGLSLShader::SetValueMat2f(const std::string& n, const GLfloat* m) {
    Store(valuesMat2f, n, CopyMatrix<2>(m));
}
void TQGLGLSLShader::SetValueMat3f(const std::string& n, const GLfloat* m) {
    Store(valuesMat3f, n, CopyMatrix<3>(m));
}
void TQGLGLSLShader::SetValueMat4f(const std::string& n, const GLfloat* m) {
    Store(valuesMat4f, n, CopyMatrix<4>(m));
}

void TQGLGLSLShader::Apply(uint32_t) {
    TQGLStates& cache = RequireStates();
    if (!textures.HasTexture()) cache.ResetTextureUnits();
    glUseProgramObjectARB(program);
    for (int i = 0; i < textures.Count(); ++i)
        BindTexture(*textures.Items(i));
    if (!program) return;
    for (int unit = 0; unit < kSamplerUnits; ++unit)
        if (samplerLocations_[unit] >= 0) glUniform1iARB(samplerLocations_[unit], unit);
    // Values set by the host come after the samplers, so a host's own textureN value wins.
    ForEachGroup([](const auto& group) {
        for (size_t i = 0; i < group.values.size(); ++i)
            if (group.locations[i] >= 0) Send(group.locations[i], group.values[i]);
    });
}

void TQGLGLSLShader::Unapply() {
    RequireStates().ResetTextureUnits();
    glUseProgramObjectARB(0);
}

} // namespace quarn
