#include "engine/assets/Load3DS.h"

#include "engine/assets/Convert3DS.h"
#include "engine/assets/ModelPath.h"
#include "engine/scene/MeshTransforms.h"
#include "platform/MessageChannel.h"

#include <memory>

namespace quarn {

namespace {

constexpr const char* kImportCaption = "3DS import";

// Engine defaults, named so a host can tell it apart.
constexpr const char* kUngroupedMaterialName = "Default";

std::unique_ptr<TQGLMaterial> ConvertMaterial(const TMaterial3DS& record, const TFile3DS& file,
                                              TQGLMaterialList& materials) {
    auto material = std::make_unique<TQGLMaterial>(record.name);
    material->states = materials.states;
    material->ambient = record.ambient;
    material->diffuse = record.diffuse;
    material->specular = record.specular;
    const float s = record.selfIllumination * 0.01f;
    material->emissive = Vec3{s, s, s};
    material->gloss = record.shininess;
    if (record.transparency > 0) {
        material->blendFlag = true;
        material->blendSource = GL_DST_COLOR;
        material->blendDest = GL_SRC_COLOR;
    }
    for (const std::string* map : {&record.textureMap, &record.secondMap}) {
        if (map->empty()) continue;
        const std::string path = ResolveModelFile(file.fileName, *map);
        materials.AddTextureShader(material.get(), path, GL_LINEAR, GL_LINEAR);
        TQGLShaders& stages = material->shaders;
        if (stages.Count() > 0) stages.Items(stages.Count() - 1)->name = *map;
    }
    return material;
}

} // namespace

Import3DSResult Load3DSIntoScene(const TFile3DS& file, Import3DSKind kind,
                                 TQGLMaterialList& materials, TQGLStaticMeshObjects* statics,
                                 TQGLDynamicMeshObjects* dynamics, TQGLFrustrum* frustum) {
    if (kind == Import3DSKind::Static && !statics)
        throw EngineError("3DS import needs a static object list");
    if (kind == Import3DSKind::Dynamic && !dynamics)
        throw EngineError("3DS import needs a dynamic object list");

    const int base = materials.Count();
    std::vector<std::unique_ptr<TQGLMaterial>> newMaterials;
    for (const TMaterial3DS& record : file.materials)
        newMaterials.push_back(ConvertMaterial(record, file, materials));
    // The first material of that name in the list as it will be once these are appended.
    const MaterialLookup3DS lookup = [&](const std::string& name) -> int32_t {
        int index = -1;
        if (materials.FindMaterial(name, index)) return index;
        for (size_t i = 0; i < newMaterials.size(); ++i)
            if (newMaterials[i]->name == name) return base + static_cast<int32_t>(i);
        return -1;
    };
    // Faces outside every material group keep their place with a material of their own.
    int32_t ungroupedMaterial = 0;
    bool anyUngrouped = false;
    for (const TMesh3DS& mesh : file.meshes)
        anyUngrouped = anyUngrouped || (mesh.vertices.size() >= 3 && HasUngroupedFaces(mesh));
    if (anyUngrouped) {
        auto fallback = std::make_unique<TQGLMaterial>(kUngroupedMaterialName);
        fallback->states = materials.states;
        newMaterials.push_back(std::move(fallback));
        ungroupedMaterial = base + static_cast<int32_t>(newMaterials.size()) - 1;
    }

    std::unique_ptr<TQGLStaticMeshObject> staticObject;
    std::unique_ptr<TQGLDynamicMeshObject> dynamicObject;
    TQGLBaseMeshObject* object = nullptr;
    if (kind == Import3DSKind::Static) {
        staticObject = std::make_unique<TQGLStaticMeshObject>();
        object = staticObject.get();
    } else {
        dynamicObject = std::make_unique<TQGLDynamicMeshObject>();
        dynamicObject->CreateAt(Vec3{}, Vec3{});
        object = dynamicObject.get();
    }

    std::vector<std::string> messages;
    ConvertedMesh3DS converted; // every mesh, one after another
    size_t sourceVertices = 0;
    for (const TMesh3DS& mesh : file.meshes)
        sourceVertices += mesh.vertices.size();
    converted.positions.reserve(sourceVertices); // splits may add more; most files add few
    converted.normals.reserve(sourceVertices);
    converted.texCoords.reserve(sourceVertices);
    for (const TMesh3DS& mesh : file.meshes)
        ConvertMesh3DS(mesh, file.meshRelease, lookup, ungroupedMaterial, converted, messages);
    object->Vertices = std::move(converted.positions);
    object->Normals = std::move(converted.normals);
    object->TexCoords = std::move(converted.texCoords);
    for (const ConvertedFaceGroup3DS& group : converted.groups) {
        for (size_t i = 0; i + 2 < group.indices.size(); i += 3) {
            auto face = std::make_unique<TQGLFace>();
            const int32_t* corner = &group.indices[i];
            face->VectorIndices.assign(corner, corner + 3); // held inside the face
            face->NormalIndices.assign(corner, corner + 3);
            face->TexCoordIndices.assign(corner, corner + 3);
            face->MaterialIndex = group.material;
            object->Faces.Add(std::move(face));
        }
    }
    object->GeometryChanged();
    RotateMeshX(*object, 90.0f);
    object->Materials = &materials;
    object->Frustum = frustum;
    if (staticObject) {
        staticObject->SetAutoNodeSize(true);
        staticObject->BuildOctree();
        staticObject->SetUseDisplayLists(true);
    } else {
        dynamicObject->ComputeBoundingBox();
    }

    // Built: append the materials, then the object.
    Import3DSResult result;
    for (auto& m : newMaterials)
        result.newMaterials.push_back(materials.AddMaterial(std::move(m)));
    if (staticObject)
        result.object = statics->AddNew(std::move(staticObject));
    else
        result.object = dynamics->AddNew(std::move(dynamicObject));
    for (const std::string& text : messages)
        ShowMessage(kImportCaption, text.c_str());
    return result;
}

} // namespace quarn
