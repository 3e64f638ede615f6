// Where the engine library itself lies, for files installed beside it.
#pragma once

#include <string>

namespace quarn {

// The folder of the module (shared library or DLL) this code is linked into, without a
// trailing separator; "." when it cannot be told.
std::string ModuleFolder();

} // namespace quarn
