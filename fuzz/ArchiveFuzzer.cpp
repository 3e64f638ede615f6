// Arbitrary bytes as a texture archive: the load must fail cleanly; then each directory entry
// either extracts from within the file or is refused cleanly on its own (a damaged entry
// leaves the others usable).
#include "engine/assets/FileSystem.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quarn::TFileSystem archive;
    try {
        archive.LoadFromBytes("fuzz.qpk", std::vector<uint8_t>(data, data + size));
    } catch (const quarn::EngineError&) {
        return 0;
    }
    size_t total = 0;
    for (const quarn::TFileSystemDirectoryItem& item : archive.Directory()) {
        std::vector<uint8_t> bytes;
        uint16_t type = 0;
        try {
            if (!archive.ExtractFile(item.name, bytes, type)) std::abort();
        } catch (const quarn::EngineError&) {
            continue;
        }
        total += bytes.size();
    }
    if (total > archive.Directory().size() * size) std::abort();
    return 0;
}
