#include "engine/assets/ModelPath.h"

#include "engine/assets/FileSystem.h"

#include <filesystem>
#include <system_error>

namespace quarn {

namespace fs = std::filesystem;

std::string ResolveModelFile(const std::string& modelFile, const std::string& name) {
    std::string relative = name;
    for (char& c : relative)
        if (c == '\\') c = '/';
    fs::path folder = fs::path(modelFile).parent_path();
    if (fs::path(relative).is_absolute()) return relative;
    std::error_code ec;
    fs::path current = folder;
    for (const fs::path& part : fs::path(relative)) {
        fs::path exact = current / part;
        if (fs::exists(exact, ec)) {
            current = exact;
            continue;
        }
        bool found = false;
        for (fs::directory_iterator it(current.empty() ? fs::path(".") : current, ec), end;
             !ec && it != end; it.increment(ec)) {
            const std::string entry = it->path().filename().string();
            if (SameTextIgnoringCase(entry, part.string())) {
                current = current / entry;
                found = true;
                break;
            }
        }
        if (!found) return (folder / relative).string();
    }
    return current.string();
}

} // namespace quarn
