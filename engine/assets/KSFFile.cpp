#include "engine/assets/KSFFile.h"

#include <cmath>

namespace quarn {

namespace {

// Smallest encodings, to refuse counts the remaining bytes cannot hold.
constexpr size_t kMinTextureBytes = 4 + 4 + 6 * 4 + 1 + 2 * 4 + 4;
constexpr size_t kMinStageBytes = 4 + 4 + 4;
constexpr size_t kMinMaterialBytes = 4 + 4 * 12 + 4 + 1 + 2 * 4 + 4;
constexpr size_t kMinFaceBytes = 4 * 4;
constexpr size_t kMinMeshBytes = 4 * 4 + 1;

KsfTexture ReadTexture(TNQStream& s) {
    KsfTexture t;
    t.name = s.ReadString();
    t.path = s.ReadString();
    t.target = s.ReadInteger();
    t.unit = s.ReadInteger();
    t.wrapS = s.ReadInteger();
    t.wrapT = s.ReadInteger();
    t.magFilter = s.ReadInteger();
    t.minFilter = s.ReadInteger();
    t.auxFlag = s.ReadByte();
    t.auxValue1 = s.ReadInteger();
    t.auxValue2 = s.ReadInteger();
    t.envMode = s.ReadInteger();
    return t;
}

KsfMaterial ReadMaterial(TNQStream& s) {
    KsfMaterial m;
    m.name = s.ReadString();
    m.ambient = s.ReadVector();
    m.diffuse = s.ReadVector();
    m.emissive = s.ReadVector();
    m.specular = s.ReadVector();
    m.gloss = s.ReadSingle();
    m.blend = s.ReadByte();
    m.blendSource = s.ReadInteger();
    m.blendDest = s.ReadInteger();
    const int32_t stages = s.ReadCount(kMinStageBytes, "stage count");
    m.stages.resize(size_t(stages));
    for (KsfStage& stage : m.stages) {
        stage.kind = s.ReadInteger();
        stage.name = s.ReadString();
        const int32_t textures = s.ReadCount(kMinTextureBytes, "texture count");
        stage.textures.reserve(size_t(textures));
        for (int32_t i = 0; i < textures; ++i)
            stage.textures.push_back(ReadTexture(s));
    }
    return m;
}

void ReadVectors(TNQStream& s, std::vector<Vec3>& out, const char* what) {
    const int32_t n = s.ReadCount(12, what);
    out.resize(size_t(n));
    for (Vec3& v : out)
        v = s.ReadVector();
}

// One index list of a face, appended to the pool; returns its length.
int32_t ReadIndexList(TNQStream& s, std::vector<int32_t>& pool) {
    const int32_t n = s.ReadCount(4, "face index count");
    for (int32_t i = 0; i < n; ++i)
        pool.push_back(s.ReadInteger());
    return n;
}

KsfMesh ReadMesh(TNQStream& s) {
    KsfMesh mesh;
    ReadVectors(s, mesh.vertices, "vertex count");
    // A non-finite vertex would poison the octree's bounds and the physics tree.
    for (const Vec3& v : mesh.vertices)
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z))
            s.Fail("a mesh has a non-finite vertex");
    ReadVectors(s, mesh.normals, "normal count");
    ReadVectors(s, mesh.texCoords, "texture-coordinate count");
    const int32_t faces = s.ReadCount(kMinFaceBytes, "face count");
    mesh.faces.resize(size_t(faces));
    mesh.indices.reserve(size_t(faces) * 9);
    for (KsfFace& face : mesh.faces) {
        face.first = static_cast<uint32_t>(mesh.indices.size());
        face.vertexCount = ReadIndexList(s, mesh.indices);
        face.normalCount = ReadIndexList(s, mesh.indices);
        face.texCoordCount = ReadIndexList(s, mesh.indices);
        face.material = s.ReadInteger();
    }
    mesh.visible = s.ReadByte();
    return mesh;
}

void WriteIndexList(std::vector<uint8_t>& out, const int32_t* first, int32_t n) {
    PutInteger(out, n);
    for (int32_t i = 0; i < n; ++i)
        PutInteger(out, first[i]);
}

} // namespace

void KsfMesh::AddFace(const std::vector<int32_t>& v, const std::vector<int32_t>& n,
                      const std::vector<int32_t>& t, int32_t material) {
    KsfFace face;
    face.first = static_cast<uint32_t>(indices.size());
    face.vertexCount = static_cast<int32_t>(v.size());
    face.normalCount = static_cast<int32_t>(n.size());
    face.texCoordCount = static_cast<int32_t>(t.size());
    face.material = material;
    indices.insert(indices.end(), v.begin(), v.end());
    indices.insert(indices.end(), n.begin(), n.end());
    indices.insert(indices.end(), t.begin(), t.end());
    faces.push_back(face);
}

KsfScene ReadKSF(TNQStream& s) {
    KsfScene scene;
    for (int32_t& h : scene.header)
        h = s.ReadInteger();
    const int32_t materials = s.ReadCount(kMinMaterialBytes, "material count");
    scene.materials.reserve(size_t(materials));
    for (int32_t i = 0; i < materials; ++i)
        scene.materials.push_back(ReadMaterial(s));
    const int32_t integers = s.ReadCount(4, "integer list count");
    scene.integerList.resize(size_t(integers));
    for (int32_t& v : scene.integerList)
        v = s.ReadInteger();
    const int32_t meshes = s.ReadCount(kMinMeshBytes, "mesh count");
    scene.meshes.reserve(size_t(meshes));
    for (int32_t i = 0; i < meshes; ++i)
        scene.meshes.push_back(ReadMesh(s));
    return scene;
}

std::vector<uint8_t> WriteKSF(const KsfScene& scene) {
    std::vector<uint8_t> out;
    for (int32_t h : scene.header)
        PutInteger(out, h);
    PutInteger(out, static_cast<int32_t>(scene.materials.size()));
    for (const KsfMaterial& m : scene.materials) {
        PutString(out, m.name);
        PutVector(out, m.ambient);
        PutVector(out, m.diffuse);
        PutVector(out, m.emissive);
        PutVector(out, m.specular);
        PutSingle(out, m.gloss);
        out.push_back(m.blend);
        PutInteger(out, m.blendSource);
        PutInteger(out, m.blendDest);
        PutInteger(out, static_cast<int32_t>(m.stages.size()));
        for (const KsfStage& stage : m.stages) {
            PutInteger(out, stage.kind);
            PutString(out, stage.name);
            PutInteger(out, static_cast<int32_t>(stage.textures.size()));
            for (const KsfTexture& t : stage.textures) {
                PutString(out, t.name);
                PutString(out, t.path);
                for (int32_t v : {t.target, t.unit, t.wrapS, t.wrapT, t.magFilter, t.minFilter})
                    PutInteger(out, v);
                out.push_back(t.auxFlag);
                PutInteger(out, t.auxValue1);
                PutInteger(out, t.auxValue2);
                PutInteger(out, t.envMode);
            }
        }
    }
    PutInteger(out, static_cast<int32_t>(scene.integerList.size()));
    for (int32_t v : scene.integerList)
        PutInteger(out, v);
    PutInteger(out, static_cast<int32_t>(scene.meshes.size()));
    for (const KsfMesh& mesh : scene.meshes) {
        for (const std::vector<Vec3>* list : {&mesh.vertices, &mesh.normals, &mesh.texCoords}) {
            PutInteger(out, static_cast<int32_t>(list->size()));
            for (const Vec3& v : *list)
                PutVector(out, v);
        }
        PutInteger(out, static_cast<int32_t>(mesh.faces.size()));
        for (const KsfFace& f : mesh.faces) {
            const int32_t* p = mesh.indices.data() + f.first;
            WriteIndexList(out, p, f.vertexCount);
            WriteIndexList(out, p + f.vertexCount, f.normalCount);
            WriteIndexList(out, p + f.vertexCount + f.normalCount, f.texCoordCount);
            PutInteger(out, f.material);
        }
        out.push_back(mesh.visible);
    }
    return out;
}

} // namespace quarn
