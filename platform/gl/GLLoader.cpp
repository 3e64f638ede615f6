#include "platform/gl/GL.h"

#include "common/EngineError.h"

#include <cstring>
#include <type_traits>
#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace quarn {
namespace gl {

namespace {

[[noreturn]] void MissingEntry(const char* name) {
    throw EngineError(Format("OpenGL entry point %s is not available", name));
}

// One stub per entry point, so a call that cannot be served fails loudly instead of jumping
// through a null pointer.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
struct MissingStubs {
#define QGL_FUNC(ret, name, params, args)                                                          \
    static ret APIENTRY name params {                                                              \
        MissingEntry(#name);                                                                       \
    }
#include "platform/gl/GLFunctions.inc"
#undef QGL_FUNC
};
template <class R> R NeutralValue() {
    if constexpr (std::is_void<R>::value)
        return;
    else
        return R{};
}

struct NullStubs {
#define QGL_FUNC(ret, name, params, args)                                                          \
    static ret APIENTRY name params {                                                              \
        return NeutralValue<ret>();                                                                \
    }
#include "platform/gl/GLFunctions.inc"
#undef QGL_FUNC
};
#pragma GCC diagnostic pop

Dispatch MakeNullTable() {
    Dispatch d;
#define QGL_FUNC(ret, name, params, args) d.name = &NullStubs::name;
#include "platform/gl/GLFunctions.inc"
#undef QGL_FUNC
    return d;
}

Dispatch MakeMissingTable() {
    Dispatch d;
#define QGL_FUNC(ret, name, params, args) d.name = &MissingStubs::name;
#include "platform/gl/GLFunctions.inc"
#undef QGL_FUNC
    return d;
}

Dispatch g_missing = MakeMissingTable();
Dispatch g_real = MakeMissingTable();
Dispatch g_null = MakeNullTable();
bool g_loaded = false;
void* g_glLibrary = nullptr;
void* g_gluLibrary = nullptr;

struct EntryState {
    const char* name;
    bool resolved;
};
EntryState g_entries[] = {
#define QGL_FUNC(ret, name, params, args) {#name, false},
#include "platform/gl/GLFunctions.inc"
#undef QGL_FUNC
};

#ifdef _WIN32
void* LibrarySymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}
bool OpenLibraries(std::string& error) {
    if (!g_glLibrary) g_glLibrary = ::LoadLibraryA("OpenGL32.dll");
    if (!g_gluLibrary) g_gluLibrary = ::LoadLibraryA("GLU32.dll");
    if (g_glLibrary && g_gluLibrary) return true;
    error = Format("Unable to load the OpenGL libraries (error %lu)",
                   static_cast<unsigned long>(::GetLastError()));
    return false;
}
#else
void* LibrarySymbol(void* library, const char* name) {
    return dlsym(library, name);
}
bool OpenLibraries(std::string& error) {
    if (!g_glLibrary) g_glLibrary = dlopen("libGL.so.1", RTLD_NOW | RTLD_GLOBAL);
    if (!g_glLibrary) g_glLibrary = dlopen("libOpenGL.so.0", RTLD_NOW | RTLD_GLOBAL);
    if (!g_gluLibrary) g_gluLibrary = dlopen("libGLU.so.1", RTLD_NOW | RTLD_GLOBAL);
    if (g_glLibrary && g_gluLibrary) return true;
    error = Format("Unable to load the OpenGL libraries (%s)", dlerror());
    return false;
}
#endif

} // namespace

Dispatch* g_active = &g_missing;

const Dispatch& MissingTable() {
    return g_missing;
}

bool LoadEntryPoints(ProcResolver getProc, std::string& error) {
    if (!OpenLibraries(error)) return false;
    g_real = MakeMissingTable();
    size_t index = 0;
    const auto resolve = [&](const char* name, bool fromGlu) -> void* {
        // GL 1.1 entries are the library's own; extensions come through the context.
        void* p = fromGlu ? LibrarySymbol(g_gluLibrary, name) : (getProc ? getProc(name) : nullptr);
        if (!p && !fromGlu) p = LibrarySymbol(g_glLibrary, name);
        g_entries[index++].resolved = p != nullptr;
        return p;
    };
#define QGL_FUNC(ret, name, params, args)                                                          \
    if (void* p = resolve(#name, false)) g_real.name = reinterpret_cast<ret(APIENTRY*) params>(p);
#define QGL_GLU(ret, name, params, args)                                                           \
    if (void* p = resolve(#name, true)) g_real.name = reinterpret_cast<ret(APIENTRY*) params>(p);
#include "platform/gl/GLFunctions.inc"
#undef QGL_FUNC
    g_active = &g_real;
    // The implementation properties; a context that answers nothing is no usable context.
    if (!HasEntryPoint("glGetString") || !g_real.glGetString(GL_VERSION)) {
        g_active = &g_missing;
        error = "Unable to read the OpenGL implementation properties";
        return false;
    }
    g_loaded = true;
    return true;
}

void UnloadEntryPoints() {
    g_active = &g_missing;
    g_loaded = false;
}

bool EntryPointsLoaded() {
    return g_loaded;
}

ScopedNullDispatch::ScopedNullDispatch() : previous_(g_active) {
    g_active = &g_null;
}
ScopedNullDispatch::~ScopedNullDispatch() {
    g_active = previous_;
}

ScopedDropWithoutContext::ScopedDropWithoutContext() : previous_(g_active) {
    if (g_active == &g_missing) g_active = &g_null;
}
ScopedDropWithoutContext::~ScopedDropWithoutContext() {
    g_active = previous_;
}

void* OpenGLLibraryHandle() {
    return g_glLibrary;
}

bool HasEntryPoint(const char* name) {
    for (const EntryState& e : g_entries)
        if (std::strcmp(e.name, name) == 0) return e.resolved;
    return false;
}

} // namespace gl
} // namespace quarn
