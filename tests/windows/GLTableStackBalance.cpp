// 32-bit Windows: every entry of the recording GL table and of the table that does nothing is
// entered as opengl32.dll's functions are (stdcall: the callee removes its arguments). Called
// through CallMeasured, which reports the bytes a callee left on the stack; a table entry in
// the C convention would leave its arguments and unbalance every later call of the engine.
#include "platform/gl/GL.h"
#include "platform/gl/GLRecorder.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <vector>

extern "C" int __cdecl CallMeasured(FARPROC fn, const uint32_t* words, int count);

namespace {

using namespace quarn;

// Pointer arguments point at zeroed memory large enough for any query's answer; numbers are 0.
alignas(16) unsigned char g_scratch[1 << 16];

template <class T> void PushNeutral(std::vector<uint32_t>& words) {
    if constexpr (std::is_pointer<T>::value) {
        words.push_back(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(g_scratch)));
    } else {
        for (size_t i = 0; i < (sizeof(T) + 3) / 4; ++i)
            words.push_back(0);
    }
}

template <class R, class... A> int LeftOnStack(R(APIENTRY* fn)(A...)) {
    std::vector<uint32_t> words;
    (PushNeutral<A>(words), ...);
    std::memset(g_scratch, 0, sizeof g_scratch);
    return CallMeasured(reinterpret_cast<FARPROC>(reinterpret_cast<void*>(fn)), words.data(),
                        int(words.size()));
}

int CheckTable(const char* tableName, const gl::Dispatch& table) {
    int entries = 0, wrong = 0;
#define QGL_FUNC(ret, name, params, args)                                                          \
    ++entries;                                                                                     \
    if (const int left = LeftOnStack(table.name)) {                                                \
        std::fprintf(stderr, "%s table: %s left %d bytes on the stack\n", tableName, #name, left); \
        ++wrong;                                                                                   \
    }
#include "platform/gl/GLFunctions.inc"
#undef QGL_FUNC
    std::printf("%s table: %d entries, %d unbalanced\n", tableName, entries, wrong);
    return wrong;
}

// The measure itself must see a C-convention callee, or the check could not fail.
void __cdecl CdeclControl(GLenum, GLfloat) {}

} // namespace

int main() {
    int wrong = 0;
    const uint32_t two[2] = {0, 0};
    const int control =
        CallMeasured(reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&CdeclControl)), two, 2);
    if (control != 8) {
        std::fprintf(stderr, "a cdecl callee left %d bytes, 8 expected\n", control);
        ++wrong;
    }
    gl::GLRecorder::Install();
    wrong += CheckTable("recording", *gl::g_active);
    gl::GLRecorder::Uninstall();
    {
        gl::ScopedNullDispatch nothing;
        wrong += CheckTable("null", *gl::g_active);
    }
    return wrong ? 1 : 0;
}
