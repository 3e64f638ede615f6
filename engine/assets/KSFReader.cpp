#include "engine/assets/KSFReader.h"

#include "engine/materials/BmpReader.h"
#include "engine/materials/JpegReader.h"
#include "engine/materials/TGAImage.h"
#include "platform/MessageChannel.h"

namespace quarn {

void TKSFReader::Load(const std::string& ksfFile, const std::string& archiveFile,
                      TQGLFrustrum* frustum, TQGLMaterialList& materials,
                      TQGLStaticMeshObjects& statics, TQGLDynamicMeshObjects& dynamics) {
    (void)dynamics; // the file format carries static meshes only
    TFileSystem archive;
    archive.LoadFromFile(archiveFile);
    TNQStream stream;
    stream.LoadFromFile(ksfFile);
    const KsfScene scene = ReadKSF(stream);
    Build(scene, archive, frustum, materials, statics);
}

void TKSFReader::Build(const KsfScene& scene, const TFileSystem& archive, TQGLFrustrum* frustum,
                       TQGLMaterialList& materials, TQGLStaticMeshObjects& statics) {
    for (int i = 0; i < 3; ++i)
        header[i] = scene.header[i];
    materialBase = materials.Count();
    archiveName_ = archive.FileName();

    std::vector<std::unique_ptr<TQGLMaterial>> newMaterials;
    newMaterials.reserve(scene.materials.size());
    for (const KsfMaterial& record : scene.materials)
        newMaterials.push_back(BuildMaterial(record, archive, materials.states));
    std::vector<std::unique_ptr<TQGLStaticMeshObject>> newMeshes;
    newMeshes.reserve(scene.meshes.size());
    for (const KsfMesh& record : scene.meshes)
        newMeshes.push_back(BuildMesh(record, frustum, materials));

    // Everything is built: only appends remain, which do not fail short of memory.
    for (auto& m : newMaterials)
        materials.AddMaterial(std::move(m));
    for (auto& mesh : newMeshes)
        statics.AddNew(std::move(mesh));
}

std::unique_ptr<TQGLMaterial> TKSFReader::BuildMaterial(const KsfMaterial& record,
                                                        const TFileSystem& archive,
                                                        TQGLStates* states) {
    auto material = std::make_unique<TQGLMaterial>(record.name);
    material->ambient = record.ambient;
    material->diffuse = record.diffuse;
    material->emissive = record.emissive;
    material->specular = record.specular;
    material->gloss = record.gloss;
    material->blendFlag = record.blend != 0;
    material->blendSource = static_cast<GLenum>(record.blendSource);
    material->blendDest = static_cast<GLenum>(record.blendDest);
    material->states = states;
    for (const KsfStage& stageRecord : record.stages) {
        // Kinds without a stage class create nothing; their records were read past already.
        TQGLShader* stage = material->shaders.AddShader(static_cast<uint8_t>(stageRecord.kind));
        if (!stage) continue;
        stage->name = stageRecord.name;
        stage->states = states;
        for (const KsfTexture& texture : stageRecord.textures)
            AddTexture(*stage, texture, archive);
    }
    return material;
}

void TKSFReader::AddTexture(TQGLShader& stage, const KsfTexture& record,
                            const TFileSystem& archive) {
    std::vector<uint8_t> bytes;
    uint16_t type = 0;
    // A missing entry or an unknown type code gives the stage no texture; so does a damaged
    // entry (its data outside the file), reported, so the rest of the scene still loads.
    try {
        if (!archive.ExtractFile(record.name, bytes, type)) return;
    } catch (const EngineError& e) {
        ShowMessage("Error", e.what());
        return;
    }
    const auto target = static_cast<GLenum>(record.target);
    const auto mag = static_cast<GLenum>(record.magFilter);
    const auto min = static_cast<GLenum>(record.minFilter);
    TQGLTexture* texture = nullptr;
    const auto bad = [&](const char* kind, const std::string& why) {
        throw EngineError(Format("Texture %s in archive %s is not a valid %s image%s%s",
                                 record.name.c_str(), archiveName_.c_str(), kind,
                                 why.empty() ? "" : ": ", why.c_str()));
    };
    switch (type) {
    case kArchiveBmp: {
        Bitmap bitmap;
        if (DecodeBmp(bytes.data(), bytes.size(), bitmap) != BmpError::None) bad("BMP", "");
        texture = stage.textures.AddFromBitmap(record.name, bitmap, target, mag, min);
        break;
    }
    case kArchiveTga: {
        TTGAImage image;
        try {
            image.LoadFromBytes(bytes.data(), bytes.size());
        } catch (const ETGAException& e) {
            bad("TGA", e.what());
        }
        texture = stage.textures.AddFromGraphic(record.name, image, target, mag, min);
        break;
    }
    case kArchiveJpeg: {
        Bitmap bitmap;
        std::string reason;
        if (!DecodeJpeg(bytes.data(), bytes.size(), bitmap, kMaxImagePixels, &reason))
            bad("JPEG", reason);
        texture = stage.textures.AddFromGraphic(record.name, bitmap, target, mag, min);
        break;
    }
    default:
        return;
    }
    texture->target = target;
    texture->unit = static_cast<GLenum>(record.unit);
    texture->SetWrapS(static_cast<GLenum>(record.wrapS));
    texture->SetWrapT(static_cast<GLenum>(record.wrapT));
    texture->magFilter = mag;
    texture->minFilter = min;
    texture->auxFlag = record.auxFlag != 0;
    texture->auxValue1 = record.auxValue1;
    texture->auxValue2 = record.auxValue2;
    texture->envMode = static_cast<GLenum>(record.envMode);
}

std::unique_ptr<TQGLStaticMeshObject>
TKSFReader::BuildMesh(const KsfMesh& record, TQGLFrustrum* frustum, TQGLMaterialList& materials) {
    auto mesh = std::make_unique<TQGLStaticMeshObject>();
    mesh->Materials = &materials;
    mesh->Frustum = frustum;
    mesh->Vertices = record.vertices;
    mesh->Normals = record.normals;
    mesh->TexCoords = record.texCoords;
    mesh->GeometryChanged();
    for (const KsfFace& f : record.faces) {
        auto face = std::make_unique<TQGLFace>();
        const int32_t* p = record.indices.data() + f.first;
        face->VectorIndices.assign(p, p + f.vertexCount);
        p += f.vertexCount;
        face->NormalIndices.assign(p, p + f.normalCount);
        p += f.normalCount;
        face->TexCoordIndices.assign(p, p + f.texCoordCount);
        // Indices are not range-tested here (drawing checks them); the sum must not overflow.
        face->MaterialIndex = static_cast<int32_t>(static_cast<uint32_t>(f.material) +
                                                   static_cast<uint32_t>(materialBase));
        mesh->Faces.Add(std::move(face));
    }
    mesh->Visible = record.visible != 0;
    mesh->BuildOctree();
    return mesh;
}

} // namespace quarn
