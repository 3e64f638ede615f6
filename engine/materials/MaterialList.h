// The scene's material list: owns every material, switches between them (skipping a switch to
// the material already applied) and keeps the texture cache, so one image file loaded by
// several stages becomes one GL texture.
#pragma once

#include "common/ObjectList.h"
#include "common/QuarnMath.h"
#include "engine/materials/Material.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quarn {

class TQGLStates;

class TQGLMaterialList {
  public:
    // states is the scene's texture-unit cache, handed to every material and stage.
    explicit TQGLMaterialList(TQGLStates* stateCache) : states(stateCache) {}
    ~TQGLMaterialList();
    TQGLMaterialList(const TQGLMaterialList&) = delete;
    TQGLMaterialList& operator=(const TQGLMaterialList&) = delete;

    int Count() const { return materials_.Count(); }
    // Raises "List index out of bounds (%d)" outside 0 ... Count() - 1.
    TQGLMaterial* Items(int index) const { return materials_.Get(index); }
    int IndexOf(const TQGLMaterial* material) const { return materials_.IndexOf(material); }

    // Appends and hands the material the cache. Its globalEmissive is left as it is.
    TQGLMaterial* AddMaterial(std::unique_ptr<TQGLMaterial> material);
    // First material with exactly this name (case-sensitive).
    bool FindMaterial(const std::string& materialName, int& index) const;
    // Cache index of exactly this file-name string (case-sensitive, as first passed), or -1.
    int FindTextureName(const std::string& fileName) const;

    // Adds a texture stage for fileName to material, through the cache: a file name seen before
    // shares the cached GL name and loads nothing. Returns the cache index; "None" or an empty
    // name adds no stage and returns 0. A failed load is cached as GL name 0 too.
    int AddTextureShader(TQGLMaterial* material, const std::string& fileName, GLenum magnification,
                         GLenum minification);
    // Adds a render-target stage with a size x size texture and returns that texture.
    TQGLTexture* AddRenderTargetShader(TQGLMaterial* material, int32_t size);

    // Unapplies the current material and applies material index, unless index is current.
    // An index outside the list raises before anything is unapplied.
    void SetMaterial(int index, uint32_t ticks);
    // Unapplies the current material (if any); nothing is current afterwards.
    void ResetMaterial();
    // Removes and frees stage index of material (nothing outside its stages). A material that
    // is applied now is unapplied first, so a deleted stage leaves no program or unit behind.
    void DeleteStage(TQGLMaterial* material, int index);
    int Current() const { return current_; }

    // Stores the colour and copies it into every material now in the list.
    void SetGlobalEmissive(const Vec3& colour);
    const Vec3& GlobalEmissive() const { return globalEmissive_; }

    // GL name cached for each entry of TextureNames(), same index.
    const std::vector<std::string>& TextureNames() const { return textureNames_; }
    const std::vector<GLuint>& TextureHandles() const { return textureHandles_; }

    TQGLStates* states;

  private:
    ObjectList<TQGLMaterial> materials_;
    std::vector<std::string> textureNames_;
    std::vector<GLuint> textureHandles_; // each holds a reference, so cached names stay valid
    int current_ = -1;
    Vec3 globalEmissive_{0.0f, 0.0f, 0.0f};
};

} // namespace quarn
