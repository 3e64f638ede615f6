/* The viewer's way to an OBJ model: the tools' reader writes it as a KSF scene and a texture
 * archive, which the engine then loads like any scene (textures included). */
#ifndef QUARN_VIEW_OBJ_SCENE_H
#define QUARN_VIEW_OBJ_SCENE_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Writes ObjFile as KsfFile and ArchiveFile. Each warning of the reader (a missing material
 * library or texture ...) goes to Warn. 1 on success; 0 with the reason in Error otherwise
 * (nothing usable written). */
int ViewWriteObjScene(const char* ObjFile, const char* KsfFile, const char* ArchiveFile,
                      void (*Warn)(const char* Text), char* Error, size_t ErrorSize);

#ifdef __cplusplus
}
#endif

#endif
