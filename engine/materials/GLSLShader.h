// The GLSL stage (kind 5): a program linked from a vertex-shader file and a fragment-shader
// file, used while its material is applied, with the stage's textures bound on their units and
// a table of named uniform values the host sets. Every stored value is sent to the program each
// time the stage is applied; sampler uniforms named texture0 ... texture4 read units 0 ... 4.
#pragma once

#include "engine/materials/Shader.h"

#include <array>
#include <string>
#include <vector>

namespace quarn {

// One group of named values: entry i of the three arrays is one value, its name and its
// uniform location in the linked program (-1 when the program has no such uniform).
template <class T> struct TQGLShaderValues {
    std::vector<T> values;
    std::vector<std::string> names;
    std::vector<GLint> locations;

    int Find(const std::string& name) const {
        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name) return static_cast<int>(i);
        return -1;
    }
};

template <class T, int N> struct TQGLShaderVector { std::array<T, N> v{}; };
template <int N> struct TQGLShaderMatrix { std::array<GLfloat, N * N> m{}; };

class TQGLGLSLShader : public TQGLShader {
  public:
    static constexpr int kSamplerUnits = 5;

    explicit TQGLGLSLShader(uint8_t stageKind = kGLSLStage) : TQGLShader(stageKind) {}
    ~TQGLGLSLShader() override;

    // Compiles both files and links them. A file that cannot be read, does not compile or
    // whose program does not link raises with the file name and the compiler or linker log;
    // the stage then keeps program 0 and draws with the fixed-function pipeline. The vertex
    // file is compiled first: when it fails, the fragment file is not read.
    void LoadProgram(const std::string& vertexFile, const std::string& fragmentFile);
    GLhandleARB LoadShaderFile(const std::string& fileName, GLenum shaderType);
    // Raises with the compiler log when the source does not compile.
    GLhandleARB CompileShader(const std::string& source, GLenum shaderType);
    // The object's info log; empty when GL reports fewer than two characters.
    static std::string GetInfoLog(GLhandleARB object);

    // Stores a value under name in its type's group (a name seen before in that group keeps its
    // entry and takes the new value). Matrices are copied from 4, 9 or 16 floats.
    void SetValue1f(const std::string& name, GLfloat x);
    void SetValue2f(const std::string& name, GLfloat x, GLfloat y);
    void SetValue3f(const std::string& name, GLfloat x, GLfloat y, GLfloat z);
    void SetValue4f(const std::string& name, GLfloat x, GLfloat y, GLfloat z, GLfloat w);
    void SetValue1i(const std::string& name, GLint x);
    void SetValue2i(const std::string& name, GLint x, GLint y);
    void SetValue3i(const std::string& name, GLint x, GLint y, GLint z);
    void SetValue4i(const std::string& name, GLint x, GLint y, GLint z, GLint w);
    void SetValue1b(const std::string& name, bool x);
    void SetValue2b(const std::string& name, bool x, bool y);
    void SetValue3b(const std::string& name, bool x, bool y, bool z);
    void SetValue4b(const std::string& name, bool x, bool y, bool z, bool w);
    void SetValueMat2f(const std::string& name, const GLfloat* m);
    void SetValueMat3f(const std::string& name, const GLfloat* m);
    void SetValueMat4f(const std::string& name, const GLfloat* m);

    // Uses the program, binds the textures and sends the samplers and every stored value.
    void Apply(uint32_t ticks) override;
    // Texture units off, back to the fixed-function pipeline.
    void Unapply() override;

    GLhandleARB vertexShader = 0;
    GLhandleARB fragmentShader = 0;
    GLhandleARB program = 0; // 0 until a program linked

    TQGLShaderValues<GLfloat> values1f;
    TQGLShaderValues<TQGLShaderVector<GLfloat, 2>> values2f;
    TQGLShaderValues<TQGLShaderVector<GLfloat, 3>> values3f;
    TQGLShaderValues<TQGLShaderVector<GLfloat, 4>> values4f;
    TQGLShaderValues<GLint> values1i;
    TQGLShaderValues<TQGLShaderVector<GLint, 2>> values2i;
    TQGLShaderValues<TQGLShaderVector<GLint, 3>> values3i;
    TQGLShaderValues<TQGLShaderVector<GLint, 4>> values4i;
    TQGLShaderValues<bool> values1b;
    TQGLShaderValues<TQGLShaderVector<bool, 2>> values2b;
    TQGLShaderValues<TQGLShaderVector<bool, 3>> values3b;
    TQGLShaderValues<TQGLShaderVector<bool, 4>> values4b;
    TQGLShaderValues<TQGLShaderMatrix<2>> valuesMat2f;
    TQGLShaderValues<TQGLShaderMatrix<3>> valuesMat3f;
    TQGLShaderValues<TQGLShaderMatrix<4>> valuesMat4f;

  private:
    template <class T> void Store(TQGLShaderValues<T>& group, const std::string& name, T value);
    template <class F> void ForEachGroup(F&& visit);
    // Locations of every stored name and of the samplers, after a link.
    void LookUpLocations();
    void DeleteProgram();

    GLint samplerLocations_[kSamplerUnits] = {-1, -1, -1, -1, -1};
};

} // namespace quarn
