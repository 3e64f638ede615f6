// Arbitrary bytes as a KSF scene: reading must fail cleanly, or what was read must write back
// to a file that reads the same.
#include "engine/assets/KSFFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quarn::KsfScene scene;
    try {
        quarn::TNQStream stream("fuzz.ksf", std::vector<uint8_t>(data, data + size));
        scene = quarn::ReadKSF(stream);
    } catch (const quarn::EngineError&) {
        return 0;
    }
    const std::vector<uint8_t> written = quarn::WriteKSF(scene);
    if (written.size() > size) std::abort(); // the reader ignores only trailing bytes
    quarn::TNQStream again("fuzz.ksf", written);
    if (quarn::WriteKSF(quarn::ReadKSF(again)) != written) std::abort();
    return 0;
}
