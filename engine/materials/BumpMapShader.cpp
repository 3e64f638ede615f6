#include "engine/materials/BumpMapShader.h"

#include "engine/materials/BumpLight.h"
#include "platform/ModuleFolder.h"
#include "platform/MessageChannel.h"

#include <fstream>

namespace quarn {

namespace {

// The context of the Cg stage created last; the error handler reports its listing.
CGcontext g_currentContext = nullptr;

void ReportCgError() {
    static const char* const kCaption = "CG Initialization Error!";
    ShowMessage(kCaption, cgGetErrorString(cgGetError()));
    ShowMessage(kCaption, cgGetLastListing(g_currentContext));
}

bool Readable(const std::string& path) {
    return std::ifstream(path, std::ios::binary).good();
}

} // namespace

std::string FindBumpProgramFile(const std::string& fileName) {
    if (Readable(fileName)) return fileName;
    // Beside the library, or lib/ or a multiarch lib/<triplet>/ below the prefix.
    const std::string folder = ModuleFolder();
    for (const char* below : {"/", "/../share/quarn/", "/../../share/quarn/"}) {
        std::string candidate = folder;
        candidate.append(below).append(fileName);
        if (Readable(candidate)) return candidate;
    }
    return fileName;
}

TQGLCgBaseShader::TQGLCgBaseShader(uint8_t stageKind) : TQGLShader(stageKind) {
    context = cgCreateContext();
    g_currentContext = context;
}

TQGLCgBaseShader::~TQGLCgBaseShader() {
    fragmentProgram.reset();
    vertexProgram.reset();
    if (g_currentContext == context) g_currentContext = nullptr;
    cgDestroyContext(context);
}

void TQGLCgBaseShader::LoadCgProgram(bool isFragment, const std::string& fileName) {
    const CGprofile profile = cgGLGetLatestProfile(isFragment ? CG_GL_FRAGMENT : CG_GL_VERTEX);
    (isFragment ? fragmentProfile : vertexProfile) = profile;
    cgGLSetOptimalOptions(profile);
    auto program = std::make_unique<TQGLCgProgram>();
    program->fileName = fileName;
    program->profile = profile;
    program->context = context;
    program->program =
        cgCreateProgramFromFile(context, CG_SOURCE, fileName.c_str(), profile, "main", nullptr);
    // A failed compile has already been reported; loading nothing would report it again.
    if (program->program) cgGLLoadProgram(program->program);
    (isFragment ? fragmentProgram : vertexProgram) = std::move(program);
}

TQGLBumpMapShader::TQGLBumpMapShader(uint8_t stageKind) : TQGLCgBaseShader(stageKind) {
    cgSetErrorCallback(&ReportCgError);
    LoadCgProgram(true, FindBumpProgramFile("FragmentShader.cg"));
    LoadCgProgram(false, FindBumpProgramFile("VertexShader.cg"));
    if (vertexProgram->program) {
        modelViewProjMatrix = cgGetNamedParameter(vertexProgram->program, "modelViewProjMatrix");
        lightPosition = cgGetNamedParameter(vertexProgram->program, "vLightPosition");
        eyePosition = cgGetNamedParameter(vertexProgram->program, "vEyePosition");
    }
    if (fragmentProgram->program)
        lightDiffuseColor = cgGetNamedParameter(fragmentProgram->program, "fLightDiffuseColor");
}

TQGLBumpLight* TQGLBumpMapShader::Light() const {
    return light ? light : TQGLBumpLight::SceneLight();
}

bool TQGLBumpMapShader::HasPrograms() const {
    return vertexProgram && vertexProgram->program && fragmentProgram && fragmentProgram->program;
}

void TQGLBumpMapShader::Apply(uint32_t) {
    // A stage whose programs failed was reported once when it was made; binding null programs
    // every frame would only repeat the report.
    const bool programs = HasPrograms();
    if (programs) {
        cgGLEnableProfile(vertexProfile);
        cgGLEnableProfile(fragmentProfile);
        cgGLBindProgram(vertexProgram->program);
        cgGLBindProgram(fragmentProgram->program);
    }
    // Straight to GL: the texture-unit cache is not told, and Unapply switches these units off.
    for (int i = 0; i < textures.Count(); ++i) {
        const TQGLTexture& texture = *textures.Items(i);
        glActiveTextureARB(texture.unit);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture.handle);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, static_cast<GLint>(texture.envMode));
    }
    glActiveTextureARB(GL_TEXTURE2);
    glEnable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE3);
    glEnable(GL_TEXTURE_2D);
    if (!programs) return;
    cgGLSetStateMatrixParameter(modelViewProjMatrix, CG_GL_MODELVIEW_PROJECTION_MATRIX,
                                CG_GL_MATRIX_IDENTITY);
    const TQGLBumpLight* source = Light();
    const Vec3 position = source ? source->Position : Vec3{0.0f, 0.0f, 0.0f};
    cgGLSetParameter3f(lightPosition, position.x, position.y, position.z);
    cgGLSetParameter3f(lightDiffuseColor, 1.0f, 1.0f, 1.0f);
}

void TQGLBumpMapShader::Unapply() {
    if (HasPrograms()) {
        cgGLDisableProfile(vertexProfile);
        cgGLDisableProfile(fragmentProfile);
    }
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1, GL_TEXTURE2, GL_TEXTURE3}) {
        glActiveTextureARB(unit);
        glDisable(GL_TEXTURE_2D);
    }
}

} // namespace quarn
