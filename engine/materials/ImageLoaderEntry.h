// The two image-loading entry points the texture list uses. Declared weak until the image
// loaders are linked into the engine: a missing loader then loads nothing (handle stays 0)
// instead of failing the link.
#pragma once

#include "platform/gl/GL.h"

#include <string>

namespace quarn {

bool LoadTexture(const std::string& fileName, GLuint& handle, bool fromResource, GLenum magFilter,
                 GLenum minFilter, GLenum target) __attribute__((weak));
GLuint CreateTexture(int width, int height, GLenum format, const void* pixels, GLenum magFilter,
                     GLenum minFilter, GLenum target) __attribute__((weak));

} // namespace quarn
