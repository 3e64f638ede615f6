#include "platform/ModuleFolder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace quarn {

std::string ModuleFolder() {
    std::string path;
#ifdef _WIN32
    HMODULE self = nullptr;
    char name[MAX_PATH] = {};
    if (::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                 GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCSTR>(&ModuleFolder), &self)) {
        const DWORD n = ::GetModuleFileNameA(self, name, MAX_PATH);
        if (n > 0 && n < MAX_PATH) path.assign(name, n);
    }
#else
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) && info.dli_fname)
        path = info.dli_fname;
#endif
    const size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

} // namespace quarn
