#include "engine/materials/TextureLoader.h"

#include "engine/materials/ImageSource.h"
#include "engine/materials/Bitmap.h"
#include "platform/MessageChannel.h"

namespace quarn {
namespace {

bool IsPlainTarget(GLenum target) {
    return target == GL_TEXTURE_1D || target == GL_TEXTURE_2D || target == GL_TEXTURE_3D;
}

// The file readers hand GL's own layout (bottom line first, red first), uploaded as it is.
GLenum FormatOf(const Bitmap& image) {
    return image.format == BitmapFormat::Rgba32 ? GL_RGBA : GL_RGB;
}

// Builds the mipmap chain of one image on target. Our buffers have no row padding, so rows
// are unpacked byte-aligned and the caller's alignment is restored afterwards.
GLint BuildMipmaps(GLenum target, int width, int height, GLenum format, const void* pixels) {
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const bool rgba = format == GL_RGBA;
    const GLint result = gluBuild2DMipmaps(target, rgba ? GL_RGBA8 : GL_RGB8, width, height,
                                           rgba ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return result;
}

bool Report(const LoadFailure& failure) {
    if (!failure.text.empty()) ShowMessage(failure.caption.c_str(), failure.text.c_str());
    return false;
}

bool Upload(const std::string& fileName, const Bitmap& image, GLuint& handle, GLenum magFilter,
            GLenum minFilter, GLenum target) {
    const GLuint name = CreateTexture(image.width, image.height, FormatOf(image),
                                      image.pixels.data(), magFilter, minFilter, target);
    if (name == 0) return Report({"Texture Error", "Unable to create texture - " + fileName});
    handle = name;
    return true;
}

bool LoadWith(ImageKind kind, const std::string& fileName, GLuint& handle, bool fromResource,
              GLenum magFilter, GLenum minFilter, GLenum target) {
    Bitmap image;
    LoadFailure failure;
    if (!ReadImage(kind, fileName, fromResource, image, failure)) return Report(failure);
    return Upload(fileName, image, handle, magFilter, minFilter, target);
}

} // namespace

GLuint CreateTexture(int width, int height, GLenum format, const void* pixels, GLenum magFilter,
                     GLenum minFilter, GLenum target) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(target, name);
    const GLenum filtered = IsPlainTarget(target) ? target : GL_TEXTURE_CUBE_MAP;
    glTexParameteri(filtered, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter));
    glTexParameteri(filtered, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    if (BuildMipmaps(target, width, height, format, pixels) != 0) {
        glDeleteTextures(1, &name);
        return 0;
    }
    return name;
}

bool LoadTexture(const std::string& fileName, GLuint& handle, bool fromResource, GLenum magFilter,
                 GLenum minFilter, GLenum target) {
    const ImageKind kind = ImageKindFromFileName(fileName);
    if (kind == ImageKind::Unknown) return false;
    return LoadWith(kind, fileName, handle, fromResource, magFilter, minFilter, target);
}

bool LoadBmpTexture(const std::string& fileName, GLuint& handle, bool fromResource,
                    GLenum magFilter, GLenum minFilter, GLenum target) {
    return LoadWith(ImageKind::Bmp, fileName, handle, fromResource, magFilter, minFilter, target);
}

bool LoadJpegTexture(const std::string& fileName, GLuint& handle, bool fromResource,
                     GLenum magFilter, GLenum minFilter, GLenum target) {
    return LoadWith(ImageKind::Jpeg, fileName, handle, fromResource, magFilter, minFilter, target);
}

bool LoadTgaTexture(const std::string& fileName, GLuint& handle, bool fromResource,
                    GLenum magFilter, GLenum minFilter, GLenum target) {
    return LoadWith(ImageKind::Tga, fileName, handle, fromResource, magFilter, minFilter, target);
}

bool LoadCubeTexture(const std::string& face1, const std::string& face2, const std::string& face3,
                     const std::string& face4, const std::string& face5, const std::string& face6,
                     GLuint& handle, bool fromResource, GLenum magFilter, GLenum minFilter,
                     GLenum /*target*/) {
    const ImageKind kind = ImageKindFromFileName(face1);
    if (kind != ImageKind::Bmp && kind != ImageKind::Jpeg) return false;
    const std::string* files[6] = {&face1, &face2, &face3, &face4, &face5, &face6};
    static const GLenum kFaces[6] = {
        GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_X,
        GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
        GL_TEXTURE_CUBE_MAP_NEGATIVE_Z, GL_TEXTURE_CUBE_MAP_POSITIVE_Z};
    Bitmap images[6];
    for (int i = 0; i < 6; ++i) {
        LoadFailure failure;
        if (!ReadImage(kind, *files[i], fromResource, images[i], failure)) return Report(failure);
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    for (int i = 0; i < 6; ++i) {
        // Each face with its own size and format: faces of different sizes make an incomplete
        // cube map rather than a read past a smaller face's pixels.
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(magFilter));
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
        if (BuildMipmaps(kFaces[i], images[i].width, images[i].height, FormatOf(images[i]),
                         images[i].pixels.data()) != 0) {
            glDeleteTextures(1, &name);
            return Report({"Texture Error", "Unable to create texture - " + *files[i]});
        }
    }
    handle = name;
    return true;
}

} // namespace quarn
