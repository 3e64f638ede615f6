// quarn-pack: writes a packed texture archive from image files, lists one, or extracts one.
#include "engine/assets/FileSystem.h"
#include "tools/SceneBuilder.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

using namespace quarn;

namespace {

int Usage() {
    std::fprintf(
        stderr,
        "usage: quarn-pack create ARCHIVE [IMAGE...] pack BMP, JPEG and TGA images\n"
        "       quarn-pack list ARCHIVE              name, type code and size of each entry\n"
        "       quarn-pack extract ARCHIVE [FOLDER]  write every entry to FOLDER (default .)\n");
    return 2;
}

int Create(const std::string& archiveFile, int count, char** images) {
    TFileSystem archive;
    archive.Header().SetName(std::filesystem::path(archiveFile).filename().string());
    for (int i = 0; i < count; ++i) {
        const std::vector<uint8_t> bytes = ReadWholeFile(images[i]);
        uint16_t type = 0;
        if (!ArchiveTypeOfImage(bytes, images[i], type))
            throw EngineError(Format("%s is not a BMP, JPEG or TGA image", images[i]));
        const std::string name = std::filesystem::path(images[i]).filename().string();
        if (archive.FindEntry(name) >= 0)
            throw EngineError(Format("%s: an entry named %s is already packed (names ignore case)",
                                     images[i], name.c_str()));
        archive.AddEntry(name, type, bytes);
    }
    archive.SaveToFile(archiveFile);
    return 0;
}

int List(const std::string& archiveFile) {
    TFileSystem archive;
    archive.LoadFromFile(archiveFile);
    for (const TFileSystemDirectoryItem& item : archive.Directory())
        std::printf("%s\t%u\t%u\n", item.name.c_str(), item.typeCode, item.dataSize);
    return 0;
}

int Extract(const std::string& archiveFile, const std::string& folder) {
    TFileSystem archive;
    archive.LoadFromFile(archiveFile);
    for (size_t i = 0; i < archive.Directory().size(); ++i) {
        const TFileSystemDirectoryItem& item = archive.Directory()[i];
        // Entry names come from the file: only the last part is used, never a path.
        const std::string name = std::filesystem::path(item.name).filename().string();
        if (name.empty() || name == "." || name == "..") {
            std::fprintf(stderr, "quarn-pack: entry %zu has no usable name, skipped\n", i);
            continue;
        }
        std::vector<uint8_t> bytes;
        uint16_t type = 0;
        archive.ExtractFile(item.name, bytes, type);
        WriteWholeFile((std::filesystem::path(folder) / name).string(), bytes);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    try {
        if (command == "create") return Create(argv[2], argc - 3, argv + 3);
        if (command == "list" && argc == 3) return List(argv[2]);
        if (command == "extract" && argc <= 4) return Extract(argv[2], argc == 4 ? argv[3] : ".");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quarn-pack: %s\n", e.what());
        return 1;
    }
    return Usage();
}
