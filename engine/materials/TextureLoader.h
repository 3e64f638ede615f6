// BMP, JPEG and TGA images to mipmapped GL textures, and six-image cube maps. Each loader reads
// its image (ImageSource), shows any failure as a message box and returns false with handle
// unchanged; on success it uploads through CreateTexture and sets handle.
#pragma once

#include "platform/gl/GL.h"

#include <string>

namespace quarn {

// A new texture name bound to target, filtered with magFilter/minFilter and filled with
// mipmaps built from pixels (width x height, rows bottom-up, GL_RGBA or else GL_RGB bytes with
// no row padding). For a cube-face target the filters go to GL_TEXTURE_CUBE_MAP. Returns 0
// (and frees the name) when the mipmaps cannot be built.
GLuint CreateTexture(int width, int height, GLenum format, const void* pixels, GLenum magFilter,
                     GLenum minFilter, GLenum target);

// Chooses the loader by the file name's last four characters (".BMP", ".JPG", ".TGA", any
// case); any other name loads nothing and returns false with no message.
bool LoadTexture(const std::string& fileName, GLuint& handle, bool fromResource, GLenum magFilter,
                 GLenum minFilter, GLenum target);

bool LoadBmpTexture(const std::string& fileName, GLuint& handle, bool fromResource,
                    GLenum magFilter, GLenum minFilter, GLenum target);
bool LoadJpegTexture(const std::string& fileName, GLuint& handle, bool fromResource,
                     GLenum magFilter, GLenum minFilter, GLenum target);
bool LoadTgaTexture(const std::string& fileName, GLuint& handle, bool fromResource,
                    GLenum magFilter, GLenum minFilter, GLenum target);

// Six images to one cube map, face1..face6 to +X, -X, -Y, +Y, -Z, +Z. The loader is chosen by
// face1's ending: BMP or JPEG (TGA cube maps are not supported; other endings return false).
// Every face is read first; one failing face shows its message and nothing is created.
bool LoadCubeTexture(const std::string& face1, const std::string& face2, const std::string& face3,
                     const std::string& face4, const std::string& face5, const std::string& face6,
                     GLuint& handle, bool fromResource, GLenum magFilter, GLenum minFilter,
                     GLenum target);

} // namespace quarn
