#include "platform/cg/Cg.h"

#include "platform/gl/ShaderObjects.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quarn {

struct CgParameterRecord {
    CgProgramRecord* program = nullptr;
    std::string name;
    int size = 0; // floats stored: 0 (never set), 3 or 16
    GLfloat value[16] = {};
};

struct CgProgramRecord {
    CgContextRecord* context = nullptr;
    CGprofile profile = CG_PROFILE_UNKNOWN;
    GLhandleARB shader = 0;
    bool loaded = false;
    std::vector<std::unique_ptr<CgParameterRecord>> parameters;
};

struct CgContextRecord {
    std::vector<std::unique_ptr<CgProgramRecord>> programs;
    std::string listing;
    // Linked GL program per (vertex, fragment) pair; 0 records a pair that failed to link.
    std::map<std::pair<CgProgramRecord*, CgProgramRecord*>, GLhandleARB> linked;
};

namespace {

struct Runtime {
    std::set<CgContextRecord*> contexts;
    std::set<CgProgramRecord*> programs;
    std::set<CgParameterRecord*> parameters;
    CGerrorCallbackFunc callback = nullptr;
    CGerror error = CG_NO_ERROR;
    bool vertexEnabled = false, fragmentEnabled = false;
    CgProgramRecord* boundVertex = nullptr;
    CgProgramRecord* boundFragment = nullptr;
    GLhandleARB inUse = 0;
    CgProgramRecord* inUseVertex = nullptr;
    CgProgramRecord* inUseFragment = nullptr;
};

Runtime& Rt() {
    static Runtime runtime;
    return runtime;
}

void Raise(CGerror error) {
    Rt().error = error;
    if (Rt().callback) Rt().callback();
}

bool ValidProgram(CgProgramRecord* program) {
    if (program && Rt().programs.count(program)) return true;
    Raise(CG_INVALID_PROGRAM_HANDLE_ERROR);
    return false;
}

bool ValidParameter(CgParameterRecord* parameter) {
    if (parameter && Rt().parameters.count(parameter)) return true;
    Raise(CG_INVALID_PARAM_HANDLE_ERROR);
    return false;
}

void Send(GLhandleARB program, const CgParameterRecord& p) {
    if (p.size == 0) return;
    const GLint location = glGetUniformLocationARB(program, p.name.c_str());
    if (location < 0) return;
    if (p.size == 3)
        glUniform3fARB(location, p.value[0], p.value[1], p.value[2]);
    else
        glUniformMatrix4fvARB(location, 1, GL_FALSE, p.value);
}

bool InUse(const CgParameterRecord& p) {
    const Runtime& rt = Rt();
    return rt.inUse != 0 && (p.program == rt.inUseVertex || p.program == rt.inUseFragment);
}

// Links the pair once; after linking the samplers textureN are pointed at unit N.
GLhandleARB LinkedProgram(CgProgramRecord* vertex, CgProgramRecord* fragment) {
    CgContextRecord* owner = vertex->context;
    const auto key = std::make_pair(vertex, fragment);
    auto found = owner->linked.find(key);
    if (found != owner->linked.end()) return found->second;
    GLhandleARB program = glCreateProgramObjectARB();
    glAttachObjectARB(program, vertex->shader);
    glAttachObjectARB(program, fragment->shader);
    glLinkProgramARB(program);
    GLint status = 0;
    glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &status);
    if (status != GL_TRUE) {
        owner->listing = gl::ObjectInfoLog(program);
        glDeleteObjectARB(program);
        owner->linked[key] = 0; // reported once, not on every bind
        Raise(CG_PROGRAM_LINK_ERROR);
        return 0;
    }
    glUseProgramObjectARB(program);
    char sampler[] = "texture0";
    for (int unit = 0; unit < 4; ++unit) {
        sampler[7] = static_cast<char>('0' + unit);
        const GLint location = glGetUniformLocationARB(program, sampler);
        if (location >= 0) glUniform1iARB(location, unit);
    }
    glUseProgramObjectARB(0);
    owner->linked[key] = program;
    return program;
}

void UseBoundPrograms() {
    Runtime& rt = Rt();
    if (!rt.vertexEnabled || !rt.fragmentEnabled) return;
    CgProgramRecord* vertex = rt.boundVertex;
    CgProgramRecord* fragment = rt.boundFragment;
    if (!vertex || !fragment || !vertex->loaded || !fragment->loaded) return;
    if (vertex == rt.inUseVertex && fragment == rt.inUseFragment && rt.inUse) return;
    const GLhandleARB program = LinkedProgram(vertex, fragment);
    if (!program) return;
    glUseProgramObjectARB(program);
    rt.inUse = program;
    rt.inUseVertex = vertex;
    rt.inUseFragment = fragment;
    for (CgProgramRecord* part : {vertex, fragment})
        for (const auto& p : part->parameters)
            Send(program, *p);
}

void StopUsing() {
    Runtime& rt = Rt();
    const bool wasInUse = rt.inUse != 0;
    rt.inUse = 0;
    rt.inUseVertex = rt.inUseFragment = nullptr;
    if (wasInUse) glUseProgramObjectARB(0);
}

// Returns whether the program was in use (the caller then leaves the programmable pipeline).
bool ForgetProgram(CgProgramRecord* program) {
    Runtime& rt = Rt();
    if (rt.boundVertex == program) rt.boundVertex = nullptr;
    if (rt.boundFragment == program) rt.boundFragment = nullptr;
    for (const auto& p : program->parameters)
        rt.parameters.erase(p.get());
    rt.programs.erase(program);
    return rt.inUseVertex == program || rt.inUseFragment == program;
}

} // namespace

CGcontext cgCreateContext() {
    auto* context = new CgContextRecord();
    Rt().contexts.insert(context);
    return context;
}

void cgDestroyContext(CGcontext context) {
    Runtime& rt = Rt();
    if (!context || !rt.contexts.count(context)) {
        Raise(CG_INVALID_CONTEXT_HANDLE_ERROR);
        return;
    }
    bool wasInUse = false;
    for (const auto& program : context->programs)
        wasInUse = ForgetProgram(program.get()) || wasInUse;
    rt.contexts.erase(context);
    try {
        if (wasInUse) StopUsing();
        for (const auto& entry : context->linked)
            if (entry.second) glDeleteObjectARB(entry.second);
        for (const auto& program : context->programs)
            if (program->shader) glDeleteObjectARB(program->shader);
    } catch (...) {
        // No GL any more: the objects went with the context.
    }
    delete context;
}

CGprogram cgCreateProgramFromFile(CGcontext context, CGenum programType, const char* fileName,
                                  CGprofile profile, const char* entry, const char** /*args*/) {
    if (!context || !Rt().contexts.count(context)) {
        Raise(CG_INVALID_CONTEXT_HANDLE_ERROR);
        return nullptr;
    }
    if (programType != CG_SOURCE) {
        Raise(CG_INVALID_ENUMERANT_ERROR);
        return nullptr;
    }
    if (profile != CG_PROFILE_GLSLV && profile != CG_PROFILE_GLSLF) {
        Raise(CG_INVALID_PROFILE_ERROR);
        return nullptr;
    }
    const std::string name = fileName ? fileName : "";
    std::ifstream in(name, std::ios::binary);
    if (name.empty() || !in) {
        context->listing = "Cannot open file \"" + name + "\"";
        Raise(CG_FILE_READ_ERROR);
        return nullptr;
    }
    const std::string source((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    if (!entry || std::strcmp(entry, "main") != 0) {
        context->listing = name + ": the entry point must be main";
        Raise(CG_COMPILER_ERROR);
        return nullptr;
    }
    bool compiled = false;
    const GLhandleARB shader = gl::CompileShaderObject(
        source, profile == CG_PROFILE_GLSLV ? GL_VERTEX_SHADER_ARB : GL_FRAGMENT_SHADER_ARB,
        compiled);
    if (!compiled || source.empty()) {
        const std::string log =
            source.empty() ? std::string("the file is empty") : gl::ObjectInfoLog(shader);
        context->listing = name + "\n" + log;
        glDeleteObjectARB(shader);
        Raise(CG_COMPILER_ERROR);
        return nullptr;
    }
    auto program = std::make_unique<CgProgramRecord>();
    program->context = context;
    program->profile = profile;
    program->shader = shader;
    CgProgramRecord* result = program.get();
    context->programs.push_back(std::move(program));
    Rt().programs.insert(result);
    return result;
}

CGparameter cgGetNamedParameter(CGprogram program, const char* name) {
    if (!ValidProgram(program) || !name) return nullptr;
    for (const auto& p : program->parameters)
        if (p->name == name) return p.get();
    auto parameter = std::make_unique<CgParameterRecord>();
    parameter->program = program;
    parameter->name = name;
    CgParameterRecord* result = parameter.get();
    program->parameters.push_back(std::move(parameter));
    Rt().parameters.insert(result);
    return result;
}

void cgSetErrorCallback(CGerrorCallbackFunc callback) {
    Rt().callback = callback;
}

CGerror cgGetError() {
    const CGerror error = Rt().error;
    Rt().error = CG_NO_ERROR;
    return error;
}

const char* cgGetErrorString(CGerror error) {
    switch (error) {
    case CG_NO_ERROR:
        return "No error has occurred.";
    case CG_COMPILER_ERROR:
        return "The compile returned an error.";
    case CG_INVALID_ENUMERANT_ERROR:
        return "Invalid enumerant parameter.";
    case CG_FILE_READ_ERROR:
        return "The file could not be read.";
    case CG_INVALID_CONTEXT_HANDLE_ERROR:
        return "Invalid context handle.";
    case CG_INVALID_PROGRAM_HANDLE_ERROR:
        return "Invalid program handle.";
    case CG_INVALID_PARAM_HANDLE_ERROR:
        return "Invalid parameter handle.";
    case CG_INVALID_PROFILE_ERROR:
        return "The profile is not supported.";
    case CG_PROGRAM_LINK_ERROR:
        return "The programs could not be linked.";
    }
    return "Unknown error.";
}

const char* cgGetLastListing(CGcontext context) {
    if (!context || !Rt().contexts.count(context)) return "";
    return context->listing.c_str();
}

CGprofile cgGLGetLatestProfile(CGGLenum profileClass) {
    if (profileClass == CG_GL_VERTEX) return CG_PROFILE_GLSLV;
    if (profileClass == CG_GL_FRAGMENT) return CG_PROFILE_GLSLF;
    Raise(CG_INVALID_ENUMERANT_ERROR);
    return CG_PROFILE_UNKNOWN;
}

void cgGLSetOptimalOptions(CGprofile) {}

void cgGLLoadProgram(CGprogram program) {
    if (ValidProgram(program)) program->loaded = true;
}

void cgGLEnableProfile(CGprofile profile) {
    Runtime& rt = Rt();
    if (profile == CG_PROFILE_GLSLV)
        rt.vertexEnabled = true;
    else if (profile == CG_PROFILE_GLSLF)
        rt.fragmentEnabled = true;
    else
        return Raise(CG_INVALID_PROFILE_ERROR);
    UseBoundPrograms();
}

void cgGLDisableProfile(CGprofile profile) {
    Runtime& rt = Rt();
    if (profile == CG_PROFILE_GLSLV)
        rt.vertexEnabled = false;
    else if (profile == CG_PROFILE_GLSLF)
        rt.fragmentEnabled = false;
    else
        return Raise(CG_INVALID_PROFILE_ERROR);
    StopUsing();
}

void cgGLBindProgram(CGprogram program) {
    if (!ValidProgram(program)) return;
    if (program->profile == CG_PROFILE_GLSLV)
        Rt().boundVertex = program;
    else
        Rt().boundFragment = program;
    UseBoundPrograms();
}

void cgGLSetStateMatrixParameter(CGparameter parameter, CGGLenum matrix, CGGLenum transform) {
    if (!ValidParameter(parameter)) return;
    if (matrix != CG_GL_MODELVIEW_PROJECTION_MATRIX || transform != CG_GL_MATRIX_IDENTITY)
        return Raise(CG_INVALID_ENUMERANT_ERROR);
    GLfloat modelView[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // Column-major storage: element (row r, column c) sits at [c * 4 + r]; MVP = P * MV.
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            GLfloat sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += projection[k * 4 + r] * modelView[c * 4 + k];
            parameter->value[c * 4 + r] = sum;
        }
    parameter->size = 16;
    if (InUse(*parameter)) Send(Rt().inUse, *parameter);
}

void cgGLSetParameter3f(CGparameter parameter, float x, float y, float z) {
    if (!ValidParameter(parameter)) return;
    parameter->value[0] = x;
    parameter->value[1] = y;
    parameter->value[2] = z;
    parameter->size = 3;
    if (InUse(*parameter)) Send(Rt().inUse, *parameter);
}

} // namespace quarn
