#include "engine/materials/Texture.h"

#include "common/EngineError.h"
#include "engine/materials/TextureLoader.h"
#include "engine/materials/TextureNames.h"

#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace quarn {

std::string FileNameWithoutDirectory(const std::string& fileName) {
    const size_t cut = fileName.find_last_of("/\\");
    return cut == std::string::npos ? fileName : fileName.substr(cut + 1);
}

bool ParseGLVersion(const char* text, int& major, int& minor) {
    if (!text || *text < '0' || *text > '9') return false;
    char* end = nullptr;
    const long ma = std::strtol(text, &end, 10);
    if (*end != '.' || end[1] < '0' || end[1] > '9') return false;
    const long mi = std::strtol(end + 1, nullptr, 10);
    major = static_cast<int>(ma);
    minor = static_cast<int>(mi);
    return true;
}

GLenum EffectiveWrapMode(GLenum mode) {
    if (mode != GL_CLAMP) return mode;
    int major = 0, minor = 0;
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (ParseGLVersion(version, major, minor) && (major < 1 || (major == 1 && minor < 2)))
        return GL_CLAMP;
    return GL_CLAMP_TO_EDGE;
}

namespace {

std::string ResolveAgainstCurrentDirectory(const std::string& fileName) {
    if (fileName.find_first_of("/\\") != std::string::npos) return fileName;
    std::vector<char> buffer(4096);
    if (!getcwd(buffer.data(), buffer.size())) return fileName;
    return std::string(buffer.data()) + "/" + fileName;
}

} // namespace

TQGLBaseTexture::~TQGLBaseTexture() {
    try {
        TQGLTextureNames::Release(handle);
    } catch (...) {
        // No GL to delete the name with (context gone and no null table): nothing to free.
    }
}

void TQGLBaseTexture::SetHandle(GLuint newHandle) {
    if (newHandle == handle) return;
    TQGLTextureNames::Acquire(newHandle);
    const GLuint old = handle;
    handle = newHandle;
    TQGLTextureNames::Release(old);
}

bool TQGLBaseTexture::LoadFromFile(const std::string& fileName, GLuint& outHandle,
                                   GLenum textureTarget, GLenum magnification,
                                   GLenum minification) {
    name = FileNameWithoutDirectory(fileName);
    path = ResolveAgainstCurrentDirectory(fileName);
    target = textureTarget;
    magFilter = magnification;
    minFilter = minification;
    GLuint loaded = 0;
    const bool ok =
        LoadTexture(fileName, loaded, false, magnification, minification, textureTarget);
    if (!ok) loaded = 0;
    SetHandle(loaded);
    outHandle = loaded;
    return ok;
}

void TQGLBaseTexture::SetWrapS(GLenum mode) {
    wrapS = mode;
    if (handle == 0) return;
    glBindTexture(target, handle);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, static_cast<GLint>(EffectiveWrapMode(mode)));
}

void TQGLBaseTexture::SetWrapT(GLenum mode) {
    wrapT = mode;
    if (handle == 0) return;
    glBindTexture(target, handle);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, static_cast<GLint>(EffectiveWrapMode(mode)));
}

bool TQGLTextures::HasTexture() const {
    if (items_.Count() == 0) return false;
    return items_.Count() > 1 || !items_.Get(0)->name.empty();
}

TQGLTexture* TQGLTextures::AddExisting(const std::string& fileName, GLuint handle) {
    auto texture = std::make_unique<TQGLTexture>();
    texture->name = FileNameWithoutDirectory(fileName);
    texture->SetHandle(handle);
    return items_.AddNew(std::move(texture));
}

TQGLTexture* TQGLTextures::AddFromFile(GLenum target, const std::string& fileName,
                                       GLenum magnification, GLenum minification, GLuint& handle) {
    TQGLTexture* texture = AddExisting(fileName, 0);
    texture->target = target;
    texture->LoadFromFile(fileName, handle, target, magnification, minification);
    return texture;
}

TQGLTexture* TQGLTextures::AddRenderTarget(int32_t size) {
    auto texture = std::make_unique<TQGLTexture>();
    GLuint glName = 0;
    glGenTextures(1, &glName);
    glBindTexture(GL_TEXTURE_2D, glName);
    texture->SetHandle(glName);
    texture->name = "RenderTargetTexture";
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // No pixels: GL allocates the storage, and the first rendered frame fills it.
    glTexImage2D(GL_TEXTURE_2D, 0, 3, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    return items_.AddNew(std::move(texture));
}

TQGLTexture* TQGLTextures::Upload(const std::string& textureName, const Bitmap& bitmap, bool rgba,
                                  GLenum target, GLenum magnification, GLenum minification) {
    if (!bitmap.Consistent())
        throw EngineError(Format("Bitmap %s (%dx%d) has fewer pixel bytes than its size needs",
                                 textureName.c_str(), bitmap.width, bitmap.height));
    const int in = bitmap.BytesPerPixel();
    const int out = rgba ? 4 : 3;
    const int red = bitmap.RedFirst() ? 0 : 2;
    std::vector<uint8_t> buffer(static_cast<size_t>(bitmap.width) * bitmap.height * out);
    uint8_t* dst = buffer.data();
    // GL wants the bottom line first, red first; the fourth byte of a 32-bit bitmap is ignored.
    for (int y = 0; y < bitmap.height; ++y) {
        const uint8_t* src = bitmap.ScanLine(bitmap.height - 1 - y);
        for (int x = 0; x < bitmap.width; ++x, src += in, dst += out) {
            dst[0] = src[red];
            dst[1] = src[1];
            dst[2] = src[2 - red];
            if (rgba) dst[3] = 255;
        }
    }
    const GLuint glName = CreateTexture(bitmap.width, bitmap.height, rgba ? GL_RGBA : GL_RGB,
                                        buffer.data(), magnification, minification, target);
    return AddExisting(textureName, glName);
}

TQGLTexture* TQGLTextures::AddFromBitmap(const std::string& textureName, const Bitmap& bitmap,
                                         GLenum target, GLenum magnification, GLenum minification) {
    const bool rgba = bitmap.BytesPerPixel() == 4;
    return Upload(textureName, bitmap, rgba, target, magnification, minification);
}

TQGLTexture* TQGLTextures::AddFromGraphic(const std::string& textureName, const Bitmap& graphic,
                                          GLenum target, GLenum magnification,
                                          GLenum minification) {
    return Upload(textureName, graphic, true, target, magnification, minification);
}

TQGLTexture* TQGLTextures::AddFromBitmap32(const std::string& textureName, const Bitmap& bitmap,
                                           GLenum target, GLenum magnification,
                                           GLenum minification) {
    return Upload(textureName, bitmap, true, target, magnification, minification);
}

} // namespace quarn
