#include "engine/materials/MaterialList.h"

#include "engine/materials/RenderTargetShader.h"

#include "common/EngineError.h"
#include "engine/materials/TextureNames.h"

namespace quarn {

TQGLMaterialList::~TQGLMaterialList() {
    try {
        for (GLuint handle : textureHandles_)
            TQGLTextureNames::Release(handle);
    } catch (...) {
        // No GL to delete names with: nothing to free.
    }
}

TQGLMaterial* TQGLMaterialList::AddMaterial(std::unique_ptr<TQGLMaterial> material) {
    if (!material) throw EngineError("AddMaterial needs a material");
    TQGLMaterial* added = materials_.AddNew(std::move(material));
    added->states = states;
    return added;
}

bool TQGLMaterialList::FindMaterial(const std::string& materialName, int& index) const {
    for (int i = 0; i < materials_.Count(); ++i) {
        if (materials_.Get(i)->name == materialName) {
            index = i;
            return true;
        }
    }
    return false;
}

int TQGLMaterialList::FindTextureName(const std::string& fileName) const {
    for (size_t i = 0; i < textureNames_.size(); ++i)
        if (textureNames_[i] == fileName) return static_cast<int>(i);
    return -1;
}

int TQGLMaterialList::AddTextureShader(TQGLMaterial* material, const std::string& fileName,
                                       GLenum magnification, GLenum minification) {
    if (fileName.empty() || fileName == "None") return 0;
    if (!material) throw EngineError("AddTextureShader needs a material");
    TQGLShader* stage = material->shaders.AddShader(kTextureStage);
    stage->name = FileNameWithoutDirectory(fileName);
    int index = FindTextureName(fileName);
    stage->states = states;
    if (index >= 0) {
        stage->textures.AddExisting(fileName, textureHandles_[static_cast<size_t>(index)]);
        return index;
    }
    GLuint handle = 0;
    stage->textures.AddFromFile(GL_TEXTURE_2D, fileName, magnification, minification, handle);
    textureNames_.push_back(fileName);
    textureHandles_.push_back(handle);
    TQGLTextureNames::Acquire(handle);
    index = static_cast<int>(textureNames_.size()) - 1;
    return index;
}

TQGLTexture* TQGLMaterialList::AddRenderTargetShader(TQGLMaterial* material, int32_t size) {
    if (!material) throw EngineError("AddRenderTargetShader needs a material");
    auto* stage =
        static_cast<TQGLRenderTargetShader*>(material->shaders.AddShader(kRenderTargetStage));
    stage->size = size;
    stage->states = states;
    return stage->textures.AddRenderTarget(size);
}

void TQGLMaterialList::SetMaterial(int index, uint32_t ticks) {
    if (index == current_) return;
    TQGLMaterial* next = materials_.Get(index); // raises before anything is unapplied
    if (current_ != -1) materials_.Get(current_)->Unapply();
    current_ = -1;
    next->Apply(ticks);
    current_ = index;
}

void TQGLMaterialList::ResetMaterial() {
    const int previous = current_;
    current_ = -1;
    if (previous != -1) materials_.Get(previous)->Unapply();
}

void TQGLMaterialList::DeleteStage(TQGLMaterial* material, int index) {
    if (!material || index < 0 || index >= material->shaders.Count()) return;
    if (current_ != -1 && materials_.Get(current_) == material) ResetMaterial();
    material->shaders.Delete(index);
}

void TQGLMaterialList::SetGlobalEmissive(const Vec3& colour) {
    globalEmissive_ = colour;
    for (int i = 0; i < materials_.Count(); ++i)
        materials_.Get(i)->globalEmissive = colour;
}

} // namespace quarn
