// Arbitrary bytes as a 3DS model: reading must fail cleanly; what it reads must convert (the
// smoothing-group split and face groups) without touching memory outside the records, and
// keep every face.
#include "engine/assets/Convert3DS.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quarn::TFile3DS file;
    try {
        file.LoadFromBytes("fuzz.3ds", data, size);
    } catch (const quarn::E3DSError&) {
        return 0;
    }
    quarn::ConvertedMesh3DS out; // meshes appended one after another, as the import does
    std::vector<std::string> messages;
    for (const quarn::TMesh3DS& mesh : file.meshes) {
        const size_t groupsBefore = out.groups.size();
        const auto lookup = [&](const std::string& name) -> int32_t {
            for (size_t i = 0; i < file.materials.size(); ++i)
                if (file.materials[i].name == name) return static_cast<int32_t>(i);
            return -1;
        };
        if (!quarn::ConvertMesh3DS(mesh, file.meshRelease, lookup, 0, out, messages)) continue;
        if (out.normals.size() != out.positions.size() ||
            out.texCoords.size() != out.positions.size())
            std::abort();
        size_t corners = 0;
        for (size_t gi = groupsBefore; gi < out.groups.size(); ++gi) {
            const quarn::ConvertedFaceGroup3DS& g = out.groups[gi];
            for (int32_t i : g.indices)
                if (i < 0 || size_t(i) >= out.positions.size()) std::abort();
            corners += g.indices.size();
        }
        if (corners < mesh.faces.size() * 3) std::abort(); // a face was lost
    }
    return 0;
}
