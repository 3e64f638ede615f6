// The shader runtime of the bump-map stage: the calls the stage makes of a Cg-style runtime
// (contexts, programs compiled from files for a profile, named parameters, the state matrix,
// the error callback and its listing), realised over GLSL. A program file holds GLSL with entry
// point "main". Once a vertex and a fragment program are bound and both profiles are enabled,
// the pair is linked into one GL program (once per pair, kept by the vertex program's context)
// and used until either profile is disabled. Sampler uniforms named texture0 ... texture3 read
// texture units 0 ... 3.
#pragma once

#include "platform/gl/GL.h"

namespace quarn {

struct CgContextRecord;
struct CgProgramRecord;
struct CgParameterRecord;

using CGcontext = CgContextRecord*;
using CGprogram = CgProgramRecord*;
using CGparameter = CgParameterRecord*;

enum CGprofile : int {
    CG_PROFILE_UNKNOWN = 6145,
    CG_PROFILE_GLSLV = 7007, // vertex programs
    CG_PROFILE_GLSLF = 7008, // fragment programs
};

enum CGGLenum : int {
    CG_GL_MATRIX_IDENTITY = 0,
    CG_GL_MODELVIEW_PROJECTION_MATRIX = 7,
    CG_GL_VERTEX = 8,
    CG_GL_FRAGMENT = 9,
};

enum CGenum : int {
    CG_SOURCE = 0x1010,
};

enum CGerror : int {
    CG_NO_ERROR = 0,
    CG_COMPILER_ERROR = 1,
    CG_INVALID_ENUMERANT_ERROR = 2,
    CG_FILE_READ_ERROR = 3,
    CG_INVALID_CONTEXT_HANDLE_ERROR = 4,
    CG_INVALID_PROGRAM_HANDLE_ERROR = 5,
    CG_INVALID_PARAM_HANDLE_ERROR = 6,
    CG_INVALID_PROFILE_ERROR = 7,
    CG_PROGRAM_LINK_ERROR = 8,
};

using CGerrorCallbackFunc = void (*)();

CGcontext cgCreateContext();
// Frees the context's programs, their parameters and linked GL programs. A null or unknown
// context is an invalid-handle error.
void cgDestroyContext(CGcontext context);
// Reads fileName and compiles it for profile. A file that cannot be read or does not compile
// raises an error (the listing holds the reason) and returns null.
CGprogram cgCreateProgramFromFile(CGcontext context, CGenum programType, const char* fileName,
                                  CGprofile profile, const char* entry, const char** args);
// The parameter of that name (created on first request; GL ignores names the linked program
// does not use). Null with an invalid-handle error for a null program.
CGparameter cgGetNamedParameter(CGprogram program, const char* name);
void cgSetErrorCallback(CGerrorCallbackFunc callback);
// The last error, which is cleared by the call.
CGerror cgGetError();
const char* cgGetErrorString(CGerror error);
// Compiler or linker output of the context's last failure; empty when there was none.
const char* cgGetLastListing(CGcontext context);

CGprofile cgGLGetLatestProfile(CGGLenum profileClass);
// Nothing to tune: the GLSL compiler chooses its own options.
void cgGLSetOptimalOptions(CGprofile profile);
void cgGLLoadProgram(CGprogram program);
void cgGLEnableProfile(CGprofile profile);
// Leaves the programmable pipeline as soon as either profile is disabled.
void cgGLDisableProfile(CGprofile profile);
void cgGLBindProgram(CGprogram program);
// Stores the current GL matrix (only the model-view-projection product, untransformed) in the
// parameter; values reach the linked program now when it is in use, else when it next is.
void cgGLSetStateMatrixParameter(CGparameter parameter, CGGLenum matrix, CGGLenum transform);
void cgGLSetParameter3f(CGparameter parameter, float x, float y, float z);

} // namespace quarn
