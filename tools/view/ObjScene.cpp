#include "tools/view/ObjScene.h"

#include "tools/SceneBuilder.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int ViewWriteObjScene(const char* objFile, const char* ksfFile, const char* archiveFile,
                      void (*warn)(const char*), char* error, size_t errorSize) {
    try {
        quarn::SceneBuilder builder;
        builder.archive.Header().SetName(std::filesystem::path(archiveFile).filename().string());
        builder.AddObj(objFile);
        for (const std::string& w : builder.warnings)
            if (warn) warn(w.c_str());
        if (builder.scene.meshes.empty()) {
            std::snprintf(error, errorSize, "%s has no faces: nothing to show", objFile);
            return 0;
        }
        quarn::WriteWholeFile(ksfFile, quarn::WriteKSF(builder.scene));
        builder.archive.SaveToFile(archiveFile);
        return 1;
    } catch (const std::exception& e) { // the reader's and writers' errors name the file
        std::snprintf(error, errorSize, "%s", e.what());
        return 0;
    }
}
