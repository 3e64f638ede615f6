// File names inside model files (texture maps of 3DS and MTL files) were written on systems
// that ignore letter case and separate folders with '\\'. They are found next to the model.
#pragma once

#include <string>

namespace quarn {

// name found in the model's folder: '\\' and '/' both separate folders, and each part matches a
// directory entry ignoring letter case when no exact entry exists. Names that match nothing
// come back joined to the model's folder unchanged; absolute names come back as they are.
std::string ResolveModelFile(const std::string& modelFile, const std::string& name);

} // namespace quarn
