// The engine's view of OpenGL and GLU: system headers for types and constants, and one
// dispatch table of entry points resolved at run time. Every entry is APIENTRY (stdcall on
// 32-bit Windows, as opengl32.dll's are), and so is every function put into a table. Inside
// namespace quarn the usual names (glBegin, gluPerspective ...) call through the active table, so
// engine code reads like plain GL while the library never links libGL. The table is the real one
// once a context is current, or the recording backend in GL-trace tests.
#pragma once

#if defined(_WIN32) && !defined(APIENTRY)
// MinGW's GL headers pull in <windows.h> unless these are set; its macros (CreateWindow,
// PeekMessage, WM_*) would collide with the window seam's names.
#define APIENTRY __stdcall
#endif
#if defined(_WIN32) && !defined(WINGDIAPI)
#define WINGDIAPI __declspec(dllimport)
#endif
#if defined(_WIN32) && !defined(CALLBACK)
#define CALLBACK __stdcall
#endif

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <string>

namespace quarn {
namespace gl {

struct Dispatch {
#define QGL_FUNC(ret, name, params, args) ret(APIENTRY* name) params = nullptr;
#include "platform/gl/GLFunctions.inc"
#undef QGL_FUNC
};

// The table the engine calls through. Until a loader fills it, every entry raises
// "OpenGL entry point <name> is not available".
extern Dispatch* g_active;

// A table whose every entry raises the missing-entry error.
const Dispatch& MissingTable();

using ProcResolver = void* (*)(const char* name);

// Resolves every entry point: GL ones through getProc (the context must be current), GLU ones
// from the GLU library. Entries that cannot be found keep the missing-entry stub. Reads the
// implementation strings. Returns false with a message when the GL or GLU library cannot be
// opened at all.
bool LoadEntryPoints(ProcResolver getProc, std::string& error);

// Back to the missing-entry table (context gone).
void UnloadEntryPoints();

// True once LoadEntryPoints has read the entry points and implementation properties.
bool EntryPointsLoaded();

// Handle of the OpenGL library opened at window creation (the dlopen handle, or the module
// handle of OpenGL32.dll on Windows); null before.
void* OpenGLLibraryHandle();

// Whether the named entry point was resolved (false for unknown names).
bool HasEntryPoint(const char* name);

// While alive, every GL call does nothing and answers 0: objects whose context is already gone
// are freed under it, so their destructors need not know whether a context exists.
class ScopedNullDispatch {
  public:
    ScopedNullDispatch();
    ~ScopedNullDispatch();
    ScopedNullDispatch(const ScopedNullDispatch&) = delete;
    ScopedNullDispatch& operator=(const ScopedNullDispatch&) = delete;

  private:
    Dispatch* previous_;
};

// While alive, GL calls do nothing when no context is there (the missing-entry table is
// active) and go to the active table otherwise: code that frees GL objects runs under it, so
// objects whose context is gone are dropped silently instead of raising (from a destructor
// that would end the process).
class ScopedDropWithoutContext {
  public:
    ScopedDropWithoutContext();
    ~ScopedDropWithoutContext();
    ScopedDropWithoutContext(const ScopedDropWithoutContext&) = delete;
    ScopedDropWithoutContext& operator=(const ScopedDropWithoutContext&) = delete;

  private:
    Dispatch* previous_;
};

} // namespace gl

#define QGL_FUNC(ret, name, params, args)                                                          \
    inline ret name params {                                                                       \
        return gl::g_active->name args;                                                            \
    }
#include "platform/gl/GLFunctions.inc"
#undef QGL_FUNC

} // namespace quarn
