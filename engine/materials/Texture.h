// Textures of a material stage and the stage's texture list. A texture holds one reference to
// its GL name (see TextureNames.h); destroying the texture drops it, and the last holder deletes
// the GL texture.
#pragma once

#include "common/ObjectList.h"
#include "engine/core/GLHandles.h"
#include "engine/materials/Bitmap.h"
#include "platform/gl/GL.h"

#include <cstdint>
#include <string>

namespace quarn {

// The file name after the last '/' or '\' (scene files carry Windows paths).
std::string FileNameWithoutDirectory(const std::string& fileName);

// Reads "major.minor" from the start of a GL_VERSION string; false when it is not a version.
bool ParseGLVersion(const char* text, int& major, int& minor);
// GL_CLAMP becomes GL_CLAMP_TO_EDGE when the implementation is 1.2 or later (or does not say:
// every implementation the engine runs on is); other modes pass through.
GLenum EffectiveWrapMode(GLenum mode);

class TQGLBaseTexture : public HeldAfterFreeAs<kTextureHandle> {
  public:
    TQGLBaseTexture() = default;
    virtual ~TQGLBaseTexture();
    TQGLBaseTexture(const TQGLBaseTexture&) = delete;
    TQGLBaseTexture& operator=(const TQGLBaseTexture&) = delete;

    // Loads the file through the image loaders (from files, not resources). The texture's
    // handle and the out parameter get the GL name, 0 when loading failed; the loaders report
    // their own errors.
    bool LoadFromFile(const std::string& fileName, GLuint& outHandle, GLenum textureTarget,
                      GLenum magnification, GLenum minification);
    // Store the mode and, when there is a texture, set it on the texture's target.
    void SetWrapS(GLenum mode);
    void SetWrapT(GLenum mode);
    // Holds newHandle instead of the current name (which is released). Assign names this way
    // so the shared-name counts stay right.
    void SetHandle(GLuint newHandle);

    std::string name; // file name without directory; "RenderTargetTexture" for render targets
    GLuint handle = 0;
    GLenum target = GL_TEXTURE_2D;
    GLenum unit = GL_TEXTURE0;
    GLenum wrapT = GL_REPEAT;
    GLenum wrapS = GL_REPEAT;
    GLenum magFilter = GL_LINEAR;
    GLenum minFilter = GL_LINEAR;
    bool auxFlag = false; // kept for scene files; nothing renders from the aux fields
    int32_t auxValue1 = 1;
    int32_t auxValue2 = 0;
    GLenum envMode = GL_MODULATE;
    std::string path; // fileName resolved against the current directory
    LiveHandle liveHandle{this, kTextureHandle};
};

class TQGLTexture : public TQGLBaseTexture {};

// The owned texture list of one stage.
class TQGLTextures {
  public:
    int Count() const { return items_.Count(); }
    // At least one texture, and a single texture must have a name.
    bool HasTexture() const;
    TQGLTexture* Items(int index) const { return items_.Get(index); }
    void Delete(int index) { items_.Delete(index); }

    // A new texture that shares handle (nothing is loaded).
    TQGLTexture* AddExisting(const std::string& fileName, GLuint handle);
    TQGLTexture* AddFromFile(GLenum target, const std::string& fileName, GLenum magnification,
                             GLenum minification, GLuint& handle);
    // An RGB size x size texture for rendering into, linear filters, no mipmaps.
    TQGLTexture* AddRenderTarget(int32_t size);
    // Textures from images in memory. 24-bit bitmaps upload as GL_RGB; other formats are read
    // as 32-bit words (blue, green, red, unused) and upload as GL_RGBA with alpha 255.
    TQGLTexture* AddFromBitmap(const std::string& textureName, const Bitmap& bitmap, GLenum target,
                               GLenum magnification, GLenum minification);
    // Any decoded image: drawn onto a 32-bit bitmap first, so it always uploads as GL_RGBA.
    TQGLTexture* AddFromGraphic(const std::string& textureName, const Bitmap& graphic,
                                GLenum target, GLenum magnification, GLenum minification);
    // The 32-bit conversion without looking at the format (the bitmap must be 32-bit).
    TQGLTexture* AddFromBitmap32(const std::string& textureName, const Bitmap& bitmap,
                                 GLenum target, GLenum magnification, GLenum minification);

  private:
    TQGLTexture* Upload(const std::string& textureName, const Bitmap& bitmap, bool rgba,
                        GLenum target, GLenum magnification, GLenum minification);

    ObjectList<TQGLTexture> items_;
};

} // namespace quarn
