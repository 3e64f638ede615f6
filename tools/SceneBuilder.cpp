#include "tools/SceneBuilder.h"

#include "engine/assets/Convert3DS.h"
#include "engine/assets/ModelPath.h"

#include <tiny_obj_loader.h>

#include <cmath>
#include <filesystem>

namespace quarn {

namespace {

constexpr int32_t kGLDstColor = 0x0306;
constexpr int32_t kGLSrcColor = 0x0300;
constexpr int32_t kGLSrcAlpha = 0x0302;
constexpr int32_t kGLOneMinusSrcAlpha = 0x0303;

std::string BaseName(const std::string& file) {
    return std::filesystem::path(file).filename().string();
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

tinyobj::ObjReader ReadObj(const std::string& objFile) {
    tinyobj::ObjReaderConfig config;
    config.triangulate = true;
    config.mtl_search_path = std::filesystem::path(objFile).parent_path().string();
    tinyobj::ObjReader reader;
    if (!reader.ParseFromFile(objFile, config))
        throw EngineError(Format("%s: %s", objFile.c_str(), reader.Error().c_str()));
    return reader;
}

// The reader's warnings in our words: a material library that is not there is named with
// what happens instead; the reader's own lines about it are dropped, the others kept.
std::vector<std::string> ObjWarnings(const std::string& objFile, const tinyobj::ObjReader& reader) {
    std::vector<std::string> out;
    const std::string& raw = reader.Warning();
    size_t start = 0;
    while (start < raw.size()) {
        size_t end = raw.find('\n', start);
        if (end == std::string::npos) end = raw.size();
        const std::string line = raw.substr(start, end - start);
        start = end + 1;
        if (line.find("Material file [") != std::string::npos &&
            line.find("not found") != std::string::npos) {
            const size_t open = line.find('[') + 1, close = line.find(']');
            std::string name = close > open ? line.substr(open, close - open) : std::string();
            while (!name.empty() && name.front() == ' ')
                name.erase(name.begin());
            while (!name.empty() && name.back() == ' ')
                name.pop_back();
            out.push_back(objFile + ": its material library " + BaseName(name) +
                          " is missing (looked beside the model): its faces get the "
                          "default material");
        } else if (line.find("Failed to load material file") != std::string::npos) {
            continue; // said above
        } else if (!line.empty()) {
            out.push_back(objFile + ": " + line);
        }
    }
    return out;
}

bool InRange(int32_t index, size_t count) {
    return index >= 0 && size_t(index) < count;
}

Vec3 ToVec3(const tinyobj::real_t* v) {
    return Vec3{float(v[0]), float(v[1]), float(v[2])};
}

} // namespace

bool ArchiveTypeOfImage(const std::vector<uint8_t>& bytes, const std::string& fileName,
                        uint16_t& typeCode) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        typeCode = kArchiveBmp;
        return true;
    }
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
        typeCode = kArchiveJpeg;
        return true;
    }
    const std::string name = Lower(fileName);
    if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".tga") == 0) {
        typeCode = kArchiveTga;
        return true;
    }
    return false;
}

std::string SceneBuilder::Pack(const std::string& imageFile) {
    std::string name = BaseName(imageFile);
    if (archive.FindEntry(name) >= 0) return name;
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadWholeFile(imageFile);
    } catch (const EngineError& e) {
        warnings.push_back(std::string(e.what()) + ": the material gets no texture");
        return "";
    }
    uint16_t type = 0;
    if (!ArchiveTypeOfImage(bytes, imageFile, type)) {
        warnings.push_back(imageFile + " is not a BMP, JPEG or TGA image: the material gets no "
                                       "texture");
        return "";
    }
    archive.AddEntry(name, type, bytes);
    return name;
}

int32_t SceneBuilder::AddMaterial(KsfMaterial material, const std::string& textureFile) {
    if (!textureFile.empty()) {
        const std::string entry = Pack(textureFile);
        if (!entry.empty()) {
            KsfStage stage;
            stage.kind = 0;
            stage.name = entry;
            KsfTexture texture;
            texture.name = entry;
            texture.path = entry;
            texture.minFilter = 0x2703; // GL_LINEAR_MIPMAP_LINEAR: the textures have mipmaps
            stage.textures.push_back(texture);
            material.stages.push_back(stage);
        }
    }
    scene.materials.push_back(std::move(material));
    return static_cast<int32_t>(scene.materials.size()) - 1;
}

void SceneBuilder::AddObj(const std::string& objFile) {
    const tinyobj::ObjReader reader = ReadObj(objFile);
    for (std::string& w : ObjWarnings(objFile, reader))
        warnings.push_back(std::move(w));
    const tinyobj::attrib_t& attrib = reader.GetAttrib();
    std::vector<int32_t> materialOf;
    for (const tinyobj::material_t& m : reader.GetMaterials()) {
        KsfMaterial material;
        material.name = m.name;
        material.ambient = ToVec3(m.ambient);
        material.diffuse = ToVec3(m.diffuse);
        material.specular = ToVec3(m.specular);
        material.emissive = ToVec3(m.emission);
        material.gloss = std::fmin(float(m.shininess), 128.0f);
        if (m.dissolve < 1.0f) {
            material.blend = 1;
            material.blendSource = kGLSrcAlpha;
            material.blendDest = kGLOneMinusSrcAlpha;
        }
        const std::string texture =
            m.diffuse_texname.empty() ? "" : ResolveModelFile(objFile, m.diffuse_texname);
        materialOf.push_back(AddMaterial(material, texture));
    }
    int32_t fallback = -1; // faces without a material

    KsfMesh mesh;
    for (size_t i = 0; i + 2 < attrib.vertices.size(); i += 3)
        mesh.vertices.push_back(ToVec3(&attrib.vertices[i]));
    for (size_t i = 0; i + 2 < attrib.normals.size(); i += 3)
        mesh.normals.push_back(ToVec3(&attrib.normals[i]));
    for (size_t i = 0; i + 1 < attrib.texcoords.size(); i += 2)
        mesh.texCoords.push_back(
            Vec3{float(attrib.texcoords[i]), float(attrib.texcoords[i + 1]), 0});
    std::vector<int32_t> v(3), n(3), t(3);
    for (const tinyobj::shape_t& shape : reader.GetShapes()) {
        size_t corner = 0;
        for (size_t f = 0; f < shape.mesh.num_face_vertices.size(); ++f) {
            const size_t count = shape.mesh.num_face_vertices[f];
            if (count != 3) { // triangulated on reading; lines and points carry no faces
                corner += count;
                continue;
            }
            bool hasNormals = true, hasTexCoords = true, valid = true;
            for (size_t k = 0; k < 3; ++k) {
                const tinyobj::index_t& idx = shape.mesh.indices[corner + k];
                v[k] = idx.vertex_index;
                n[k] = idx.normal_index;
                t[k] = idx.texcoord_index;
                hasNormals = hasNormals && idx.normal_index >= 0;
                hasTexCoords = hasTexCoords && idx.texcoord_index >= 0;
                valid = valid && InRange(v[k], mesh.vertices.size()) &&
                        (n[k] < 0 || InRange(n[k], mesh.normals.size())) &&
                        (t[k] < 0 || InRange(t[k], mesh.texCoords.size()));
            }
            corner += 3;
            if (!valid) {
                warnings.push_back(Format("%s: face %zu of %s refers to a missing vertex, normal "
                                          "or coordinate and is left out",
                                          objFile.c_str(), f, shape.name.c_str()));
                continue;
            }
            if (!hasNormals) { // the face's own normal, counter-clockwise front
                const Vec3& a = mesh.vertices[size_t(v[0])];
                const Vec3 normal =
                    VectorNormalize(VectorCross(VectorSubtract(mesh.vertices[size_t(v[1])], a),
                                                VectorSubtract(mesh.vertices[size_t(v[2])], a)));
                mesh.normals.push_back(normal);
                n.assign(3, static_cast<int32_t>(mesh.normals.size()) - 1);
            }
            const int id = f < shape.mesh.material_ids.size() ? shape.mesh.material_ids[f] : -1;
            int32_t material;
            if (id >= 0 && size_t(id) < materialOf.size()) {
                material = materialOf[size_t(id)];
            } else {
                if (fallback < 0) {
                    KsfMaterial plain;
                    plain.name = "Default";
                    fallback = AddMaterial(plain, "");
                }
                material = fallback;
            }
            mesh.AddFace(v, n, hasTexCoords ? t : std::vector<int32_t>{}, material);
        }
    }
    if (mesh.faces.empty()) {
        warnings.push_back(objFile + " has no faces: no mesh written for it");
        return;
    }
    scene.meshes.push_back(std::move(mesh));
}

void SceneBuilder::Add3DS(const std::string& file3ds) {
    TFile3DS file;
    file.LoadFromFile(file3ds);
    const int32_t base = static_cast<int32_t>(scene.materials.size());
    for (const TMaterial3DS& m : file.materials) {
        KsfMaterial material;
        material.name = m.name;
        material.ambient = m.ambient;
        material.diffuse = m.diffuse;
        material.specular = m.specular;
        const float s = m.selfIllumination * 0.01f;
        material.emissive = Vec3{s, s, s};
        material.gloss = m.shininess;
        if (m.transparency > 0) {
            material.blend = 1;
            material.blendSource = kGLDstColor;
            material.blendDest = kGLSrcColor;
        }
        AddMaterial(material, m.textureMap.empty() ? "" : ResolveModelFile(file3ds, m.textureMap));
    }
    const MaterialLookup3DS lookup = [&](const std::string& name) -> int32_t {
        for (size_t i = 0; i < file.materials.size(); ++i)
            if (file.materials[i].name == name) return base + static_cast<int32_t>(i);
        return -1;
    };
    bool ungrouped = false;
    for (const TMesh3DS& m : file.meshes)
        ungrouped = ungrouped || HasUngroupedFaces(m);
    int32_t fallback = base;
    if (ungrouped || file.materials.empty()) {
        KsfMaterial plain;
        plain.name = "Default";
        fallback = AddMaterial(plain, "");
    }

    ConvertedMesh3DS converted; // every mesh of the file, one after another
    std::vector<std::string> messages;
    for (const TMesh3DS& m : file.meshes)
        ConvertMesh3DS(m, file.meshRelease, lookup, fallback, converted, messages);
    for (std::string& text : messages)
        warnings.push_back(file3ds + ": " + std::move(text));
    KsfMesh mesh;
    mesh.vertices = std::move(converted.positions);
    mesh.normals = std::move(converted.normals);
    mesh.texCoords = std::move(converted.texCoords);
    for (const ConvertedFaceGroup3DS& g : converted.groups) {
        for (size_t i = 0; i + 2 < g.indices.size(); i += 3) {
            const std::vector<int32_t> corners = {g.indices[i], g.indices[i + 1], g.indices[i + 2]};
            mesh.AddFace(corners, corners, corners, g.material);
        }
    }
    // Z-up to Y-up about the centre, as the engine's import turns them: (y, z) -> (z, -y).
    Vec3 centre{};
    for (const Vec3& p : mesh.vertices)
        centre = VectorAdd(centre, p);
    if (!mesh.vertices.empty()) centre = VectorScale(centre, 1.0f / float(mesh.vertices.size()));
    for (Vec3& p : mesh.vertices) {
        const float y = p.y - centre.y, z = p.z - centre.z;
        p.y = centre.y + z;
        p.z = centre.z - y;
    }
    for (Vec3& q : mesh.normals) {
        const float y = q.y;
        q.y = q.z;
        q.z = -y;
    }
    scene.meshes.push_back(std::move(mesh));
}

TFile3DS ObjTo3DS(const std::string& objFile) {
    const tinyobj::ObjReader reader = ReadObj(objFile);
    const tinyobj::attrib_t& attrib = reader.GetAttrib();
    TFile3DS file;
    for (const tinyobj::material_t& m : reader.GetMaterials()) {
        TMaterial3DS material;
        material.name = m.name;
        material.ambient = ToVec3(m.ambient);
        material.diffuse = ToVec3(m.diffuse);
        material.specular = ToVec3(m.specular);
        material.shininess = std::fmin(float(m.shininess), 100.0f);
        material.transparency = (1.0f - float(m.dissolve)) * 100.0f;
        material.textureMap = m.diffuse_texname;
        file.materials.push_back(material);
    }
    // One 3DS mesh per OBJ shape; corners are unwelded (3DS has one coordinate per vertex),
    // and the Y-up model is turned Z-up so the importer's turn brings it back.
    for (const tinyobj::shape_t& shape : reader.GetShapes()) {
        TMesh3DS mesh;
        mesh.name = shape.name.empty() ? "mesh" : shape.name.substr(0, 10);
        std::vector<std::vector<uint16_t>> byMaterial(file.materials.size());
        size_t corner = 0;
        for (size_t f = 0; f < shape.mesh.num_face_vertices.size(); ++f) {
            const size_t count = shape.mesh.num_face_vertices[f];
            bool valid = count == 3 && mesh.vertices.size() + 3 <= 0xFFFF;
            for (size_t k = 0; valid && k < 3; ++k) {
                const tinyobj::index_t& idx = shape.mesh.indices[corner + k];
                valid = InRange(idx.vertex_index, attrib.vertices.size() / 3) &&
                        (idx.texcoord_index < 0 ||
                         InRange(idx.texcoord_index, attrib.texcoords.size() / 2));
            }
            if (!valid) {
                corner += count;
                continue;
            }
            std::array<uint16_t, 3> face{};
            for (size_t k = 0; k < 3; ++k) {
                const tinyobj::index_t& idx = shape.mesh.indices[corner + k];
                const Vec3 p = ToVec3(&attrib.vertices[3 * size_t(idx.vertex_index)]);
                mesh.vertices.push_back(Vec3{p.x, -p.z, p.y});
                const bool uv = idx.texcoord_index >= 0;
                mesh.texCoords.push_back(
                    {uv ? float(attrib.texcoords[2 * size_t(idx.texcoord_index)]) : 0.0f,
                     uv ? float(attrib.texcoords[2 * size_t(idx.texcoord_index) + 1]) : 0.0f});
                face[k] = static_cast<uint16_t>(mesh.vertices.size() - 1);
            }
            corner += 3;
            const int id = f < shape.mesh.material_ids.size() ? shape.mesh.material_ids[f] : -1;
            if (id >= 0 && size_t(id) < byMaterial.size())
                byMaterial[size_t(id)].push_back(static_cast<uint16_t>(mesh.faces.size()));
            mesh.faces.push_back(face);
            mesh.smoothing.push_back(1);
        }
        for (size_t m = 0; m < byMaterial.size(); ++m)
            if (!byMaterial[m].empty())
                mesh.groups.push_back({file.materials[m].name, byMaterial[m]});
        file.meshes.push_back(std::move(mesh));
    }
    return file;
}

} // namespace quarn
