// The bump-map stage (kind 3): a vertex and a fragment program from the files
// "VertexShader.cg" and "FragmentShader.cg", run through the shader runtime of platform/cg, lit
// per pixel by a bump light. The files are looked up in the current directory, then beside the
// engine library, then in <library folder>/../share/quarn (or ../../share/quarn below a
// multiarch library folder such as lib/x86_64-linux-gnu).
#pragma once

#include "engine/materials/Shader.h"
#include "platform/cg/Cg.h"

#include <memory>
#include <string>

namespace quarn {

class TQGLBumpLight;

// One program of a Cg stage.
class TQGLCgProgram {
  public:
    std::string fileName;
    CGprogram program = nullptr; // null when the file was missing or did not compile
    CGprofile profile = CG_PROFILE_UNKNOWN;
    CGcontext context = nullptr;
};

// A stage owning a runtime context and a vertex and a fragment program.
class TQGLCgBaseShader : public TQGLShader {
  public:
    explicit TQGLCgBaseShader(uint8_t stageKind);
    ~TQGLCgBaseShader() override;

    // Compiles fileName for the latest profile of its kind. Failures go to the error handler;
    // the program then stays null.
    void LoadCgProgram(bool isFragment, const std::string& fileName);

    CGcontext context = nullptr;
    CGprofile fragmentProfile = CG_PROFILE_UNKNOWN;
    CGprofile vertexProfile = CG_PROFILE_UNKNOWN;
    std::unique_ptr<TQGLCgProgram> fragmentProgram;
    std::unique_ptr<TQGLCgProgram> vertexProgram;
};

class TQGLBumpMapShader : public TQGLCgBaseShader {
  public:
    explicit TQGLBumpMapShader(uint8_t stageKind = kBumpMapStage);

    // Runs both programs with the light's position and binds the stage's textures on their
    // units (texture0 the surface colour, texture1 the normal map by convention). Without both
    // programs only the textures are bound: the surface draws unlit by the programs.
    void Apply(uint32_t ticks) override;
    // Leaves the programs and switches GL_TEXTURE_2D off on units 0 to 3; unit 3 stays active.
    void Unapply() override;

    // The light this stage uses, or the scene's light when none was assigned.
    TQGLBumpLight* Light() const;
    bool HasPrograms() const;

    CGparameter modelViewProjMatrix = nullptr;
    CGparameter lightPosition = nullptr;
    CGparameter eyePosition = nullptr; // looked up, never set
    CGparameter lightDiffuseColor = nullptr;
    TQGLBumpLight* light = nullptr; // not owned; null: the scene's light
};

// Where a bump-map program file is read from: the first of the current directory, the engine
// library's folder and <that folder>/../share/quarn that holds it; the plain name otherwise.
std::string FindBumpProgramFile(const std::string& fileName);

} // namespace quarn
