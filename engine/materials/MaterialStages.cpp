#include "engine/materials/MaterialStages.h"

#include "common/EngineError.h"
#include "engine/materials/BumpMapShader.h"
#include "engine/materials/GLSLShader.h"
#include "engine/materials/TextureLoader.h"

#include <cctype>
#include <unistd.h>
#include <vector>

namespace quarn {

namespace {

bool IsAbsolutePath(const std::string& fileName) {
    if (!fileName.empty() && fileName[0] == '/') return true;
#ifdef _WIN32 // a leading backslash or a drive letter ("C:...") names its own place there
    if (!fileName.empty() && fileName[0] == '\\') return true;
    if (fileName.size() >= 2 && fileName[1] == ':' &&
        std::isalpha(static_cast<unsigned char>(fileName[0])))
        return true;
#endif
    return false;
}

std::string FromCurrentDirectory(const std::string& fileName) {
    if (IsAbsolutePath(fileName)) return fileName;
    std::vector<char> buffer(4096);
    if (!getcwd(buffer.data(), buffer.size())) return fileName;
    return std::string(buffer.data()) + "/" + fileName;
}

TQGLShader& NewStage(TQGLMaterial& material, uint8_t kind) {
    TQGLShader* stage = material.shaders.AddShader(kind);
    if (!stage) throw EngineError(Format("No stage class for kind %d", kind));
    stage->states = material.states;
    return *stage;
}

} // namespace

bool FiltersOfMode(int32_t filterMode, GLenum& magnification, GLenum& minification) {
    magnification = GL_LINEAR;
    switch (filterMode) {
    case 0:
        minification = GL_LINEAR;
        return true;
    case 1:
        minification = GL_NEAREST_MIPMAP_NEAREST;
        return true;
    case 2:
        minification = GL_LINEAR_MIPMAP_LINEAR;
        return true;
    default:
        return false;
    }
}

TQGLShader* AddSphereMapStage(TQGLMaterial& material, const std::string& fileName,
                              int32_t filterMode, GLenum envMode) {
    TQGLShader& stage = NewStage(material, kSphereMapStage);
    GLenum mag = 0, min = 0;
    if (!FiltersOfMode(filterMode, mag, min)) return &stage;
    GLuint handle = 0;
    TQGLTexture* texture = stage.textures.AddFromFile(GL_TEXTURE_2D, fileName, mag, min, handle);
    texture->unit = GL_TEXTURE0 + static_cast<GLenum>(material.shaders.Count() - 1);
    texture->envMode = envMode;
    stage.name = texture->name;
    return &stage;
}

TQGLShader* AddCubeMapStage(TQGLMaterial& material, const std::string (&faces)[6],
                            int32_t filterMode) {
    GLenum mag = 0, min = 0;
    if (!FiltersOfMode(filterMode, mag, min)) mag = min = 0;
    TQGLShader& stage = NewStage(material, kCubeMapStage);
    TQGLTexture* texture = stage.textures.AddExisting(faces[3], 0);
    texture->unit = GL_TEXTURE0;
    texture->target = GL_TEXTURE_CUBE_MAP;
    texture->magFilter = mag;
    texture->minFilter = min;
    stage.name = texture->name;
    std::string path[6];
    for (int i = 0; i < 6; ++i)
        path[i] = FromCurrentDirectory(faces[i]);
    texture->path = path[3];
    // The loader takes +X, -X, -Y, +Y, -Z, +Z; the faces are passed -Y, +Y, -X, +X, -Z, +Z.
    GLuint handle = 0;
    if (LoadCubeTexture(path[3], path[2], path[0], path[1], path[4], path[5], handle, false, mag,
                        min, GL_TEXTURE_CUBE_MAP))
        texture->SetHandle(handle);
    return &stage;
}

TQGLShader* AddAnimatedTexture(TQGLMaterial& material, int32_t stageIndex,
                               const std::string& fileName, int32_t frameInterval, GLenum unit) {
    TQGLShader* stage = nullptr;
    if (stageIndex < material.shaders.Count()) {
        stage = material.shaders.Items(stageIndex); // a negative index raises the list error
    } else {
        stage = &NewStage(material, kTextureStage);
        stage->firstFrame = 0;
    }
    stage->states = material.states;
    stage->lastFrame = stage->textures.Count();
    stage->frameInterval = frameInterval;
    stage->animated = true;
    GLuint handle = 0;
    TQGLTexture* texture = stage->textures.AddFromFile(GL_TEXTURE_2D, fileName, GL_LINEAR,
                                                       GL_LINEAR_MIPMAP_LINEAR, handle);
    texture->unit = unit;
    if (stage->name.empty()) stage->name = texture->name;
    return stage;
}

TQGLGLSLShader* AddGLSLStage(TQGLMaterial& material, const std::string& vertexFile,
                             const std::string& fragmentFile) {
    auto& stage = static_cast<TQGLGLSLShader&>(NewStage(material, kGLSLStage));
    stage.LoadProgram(vertexFile, fragmentFile);
    return &stage;
}

void AddGLSLTexture(TQGLMaterial& material, const std::string& fileName, int32_t filterMode,
                    GLenum unit) {
    if (!material.shaders.HasShaders())
        throw EngineError(Format("Material %s has no stage to add the texture %s to",
                                 material.name.c_str(), fileName.c_str()));
    GLenum mag = 0, min = 0;
    if (!FiltersOfMode(filterMode, mag, min)) return;
    TQGLShader* stage = material.shaders.Items(0);
    TQGLTexture* texture = stage->textures.AddExisting(fileName, 0);
    GLuint handle = 0;
    texture->LoadFromFile(fileName, handle, GL_TEXTURE_2D, mag, min);
    texture->unit = unit;
}

TQGLGLSLShader& RequireGLSLStage(TQGLMaterial& material) {
    if (!material.shaders.HasShaders())
        throw EngineError(Format("Material %s has no stages: its first stage must be a GLSL stage",
                                 material.name.c_str()));
    auto* stage = dynamic_cast<TQGLGLSLShader*>(material.shaders.Items(0));
    if (!stage)
        throw EngineError(Format("The first stage of material %s is not a GLSL stage (kind %d)",
                                 material.name.c_str(), material.shaders.Items(0)->kind));
    return *stage;
}

TQGLBumpMapShader* AddBumpMapStage(TQGLMaterial& material, const std::string& colourFile,
                                   const std::string& normalMapFile, int32_t filterMode) {
    GLenum mag = 0, min = 0;
    if (!FiltersOfMode(filterMode, mag, min))
        throw EngineError(Format("Filter mode %d is not 0, 1 or 2", filterMode));
    auto& stage = static_cast<TQGLBumpMapShader&>(NewStage(material, kBumpMapStage));
    const std::string files[2] = {colourFile, normalMapFile};
    for (int i = 0; i < 2; ++i) {
        GLuint handle = 0;
        TQGLTexture* texture =
            stage.textures.AddFromFile(GL_TEXTURE_2D, files[i], mag, min, handle);
        texture->unit = GL_TEXTURE0 + static_cast<GLenum>(i);
    }
    stage.name = stage.textures.Items(0)->name;
    return &stage;
}

} // namespace quarn
