// Stacking stages on a material: the sphere-map, cube-map, animated-texture, GLSL and bump-map
// stages as the material exports and scene files make them. Each stage is created through the
// stage list's AddShader and takes the material's texture-unit cache.
#pragma once

#include "engine/materials/Material.h"

#include <string>

namespace quarn {

class TQGLGLSLShader;
class TQGLBumpMapShader;

// Texture filters of a filter mode: 0 linear, 1 nearest mipmap, 2 trilinear (magnification is
// always linear). False for any other mode.
bool FiltersOfMode(int32_t filterMode, GLenum& magnification, GLenum& minification);

// A sphere-map stage whose texture sits on the unit of the stage's position in the stack, with
// envMode as its texture environment. Any filter mode outside 0..2 loads no texture.
TQGLShader* AddSphereMapStage(TQGLMaterial& material, const std::string& fileName,
                              int32_t filterMode, GLenum envMode);
// A cube-map stage from six face files (relative names are taken from the current directory):
// f1 -Y, f2 +Y, f3 -X, f4 +X, f5 -Z, f6 +Z; the loader follows f4's ending. Any filter mode
// outside 0..2 passes no filters, so the texture keeps GL's defaults.
TQGLShader* AddCubeMapStage(TQGLMaterial& material, const std::string (&faces)[6],
                            int32_t filterMode);
// Appends one frame (loaded with mipmaps, not through the texture cache) to the stage at
// stageIndex, or to a new texture stage when stageIndex is not below the stage count. A
// negative index raises "List index out of bounds (n)".
TQGLShader* AddAnimatedTexture(TQGLMaterial& material, int32_t stageIndex,
                               const std::string& fileName, int32_t frameInterval, GLenum unit);
// Adds a GLSL stage and builds its program. A program that fails raises its error after the
// stage was added: the stage stays, with no program.
TQGLGLSLShader* AddGLSLStage(TQGLMaterial& material, const std::string& vertexFile,
                             const std::string& fragmentFile);
// Loads a texture into the material's first stage on unit. Raises when the material has no
// stage; any filter mode outside 0..2 adds nothing.
void AddGLSLTexture(TQGLMaterial& material, const std::string& fileName, int32_t filterMode,
                    GLenum unit);
// The material's first stage as its GLSL stage; raises when it has none or another kind.
TQGLGLSLShader& RequireGLSLStage(TQGLMaterial& material);
// A bump-map stage with the surface colour on GL_TEXTURE0 and the normal map on GL_TEXTURE1.
TQGLBumpMapShader* AddBumpMapStage(TQGLMaterial& material, const std::string& colourFile,
                                   const std::string& normalMapFile, int32_t filterMode);

} // namespace quarn
