// quarn-ksf: writes a KSF scene (and its texture archive) from OBJ and 3DS models, or a 3DS
// model from an OBJ model.
#include "tools/SceneBuilder.h"

#include <cstdio>
#include <filesystem>
#include <string>

using namespace quarn;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: quarn-ksf SCENE.ksf ARCHIVE MODEL...  one static mesh per model (.obj or\n"
                 "                                             .3ds); textures packed in ARCHIVE\n"
                 "       quarn-ksf --to-3ds OUT.3ds MODEL.obj   the OBJ model as a 3DS file\n");
    return 2;
}

bool Is3DS(const std::string& file) {
    std::string ext = std::filesystem::path(file).extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".3ds";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) return Usage();
    try {
        if (std::string(argv[1]) == "--to-3ds") {
            if (argc != 4) return Usage();
            ObjTo3DS(argv[3]).SaveToFile(argv[2]);
            return 0;
        }
        SceneBuilder builder;
        builder.archive.Header().SetName(std::filesystem::path(argv[2]).filename().string());
        for (int i = 3; i < argc; ++i) {
            if (Is3DS(argv[i]))
                builder.Add3DS(argv[i]);
            else
                builder.AddObj(argv[i]);
        }
        for (const std::string& w : builder.warnings)
            std::fprintf(stderr, "quarn-ksf: %s\n", w.c_str());
        // A scene with neither meshes nor materials is a file no loader accepts: refuse it.
        if (builder.scene.meshes.empty() && builder.scene.materials.empty()) {
            std::fprintf(stderr, "quarn-ksf: the models have no faces and no materials; nothing "
                                 "written\n");
            return 1;
        }
        WriteWholeFile(argv[1], WriteKSF(builder.scene));
        builder.archive.SaveToFile(argv[2]);
        std::printf("quarn-ksf: wrote %s (meshes: %zu, materials: %zu) and %s (textures: %u)\n",
                    argv[1], builder.scene.meshes.size(), builder.scene.materials.size(), argv[2],
                    unsigned(builder.archive.Header().entryCount));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quarn-ksf: %s\n", e.what());
        return 1;
    }
    return 0;
}
