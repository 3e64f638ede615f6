// 3DS files: chunk bounds, the smoothing-group vertex split and the conversion into one engine
// object (materials, face groups, the turn from Z-up to Y-up).
#include "engine/assets/Convert3DS.h"
#include "engine/assets/Load3DS.h"
#include "engine/assets/ModelPath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace quarn;

namespace {

// A unit cube around (cx, cy, cz): 8 corners, two triangles a side wound outwards, side s in
// smoothing group groupOfSide(s).
template <class G> TMesh3DS Cube(const std::string& name, G groupOfSide, Vec3 c = Vec3{}) {
    TMesh3DS mesh;
    mesh.name = name;
    for (int i = 0; i < 8; ++i)
        mesh.vertices.push_back(Vec3{c.x + ((i & 1) ? 0.5f : -0.5f), c.y + ((i & 2) ? 0.5f : -0.5f),
                                     c.z + ((i & 4) ? 0.5f : -0.5f)});
    const uint16_t sides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                  {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (int s = 0; s < 6; ++s) {
        const uint16_t* q = sides[s];
        mesh.faces.push_back({q[0], q[1], q[2]});
        mesh.faces.push_back({q[0], q[2], q[3]});
        mesh.smoothing.push_back(groupOfSide(s));
        mesh.smoothing.push_back(groupOfSide(s));
    }
    return mesh;
}

ConvertedMesh3DS Convert(const TMesh3DS& mesh) {
    ConvertedMesh3DS out;
    std::vector<std::string> messages;
    EXPECT_TRUE(ConvertMesh3DS(
        mesh, 2, [](const std::string&) { return 0; }, 0, out, messages));
    return out;
}

TFile3DS Reload(const TFile3DS& file) {
    const std::vector<uint8_t> bytes = file.SaveToBytes();
    TFile3DS back;
    back.LoadFromBytes("model.3ds", bytes.data(), bytes.size());
    return back;
}

std::string LoadError(const std::vector<uint8_t>& bytes) {
    TFile3DS file;
    try {
        file.LoadFromBytes("model.3ds", bytes.data(), bytes.size());
    } catch (const E3DSError& e) {
        return e.what();
    }
    return "";
}

void PatchCardinal(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

// Offset of the first chunk with this id (searching the raw bytes of a file we wrote).
size_t FindChunk(const std::vector<uint8_t>& b, uint16_t id) {
    for (size_t i = 0; i + 1 < b.size(); ++i)
        if (b[i] == (id & 0xFF) && b[i + 1] == (id >> 8)) return i;
    return std::string::npos;
}

} // namespace

TEST(File3DS, ChunksAreBoundedByParentFileEndAndHeaderSize) {
    TFile3DS file;
    TMaterial3DS red;
    red.name = "red";
    red.diffuse = Vec3{1, 0, 0};
    red.transparency = 50;
    red.textureMap = "RED.TGA";
    file.materials.push_back(red);
    TMesh3DS cube = Cube("box", [](int) { return 1u; });
    cube.texCoords.assign(8, {0.5f, 0.25f});
    cube.groups.push_back({"red", {0, 1, 2}});
    file.meshes.push_back(cube);
    const TFile3DS back = Reload(file);
    ASSERT_EQ(back.meshes.size(), 1u);
    EXPECT_EQ(back.meshRelease, 2);
    EXPECT_EQ(back.meshes[0].faces.size(), 12u);
    EXPECT_EQ(back.meshes[0].groups[0].faces.size(), 3u);
    EXPECT_EQ(back.meshes[0].smoothing.size(), 12u);
    EXPECT_EQ(back.meshes[0].texCoords[7][1], 0.25f);
    EXPECT_EQ(back.materials[0].textureMap, "RED.TGA");
    EXPECT_EQ(back.materials[0].transparency, 50.0f);

    const std::vector<uint8_t> good = file.SaveToBytes();
    // Unknown chunks are skipped: one appended inside the editor chunk changes nothing.
    std::vector<uint8_t> extra = good;
    const size_t editor = FindChunk(extra, kChunkEditor);
    extra.insert(extra.begin() + std::ptrdiff_t(editor + 6), {0x34, 0x12, 8, 0, 0, 0, 0xAA, 0xBB});
    PatchCardinal(extra, 2, uint32_t(extra.size()));
    uint32_t editorLength = 0;
    std::memcpy(&editorLength, &good[editor + 2], 4);
    PatchCardinal(extra, editor + 2, editorLength + 8);
    EXPECT_EQ(LoadError(extra), "");

    std::vector<uint8_t> bad = good;
    PatchCardinal(bad, FindChunk(bad, kChunkPoints) + 2, 0x7FFFFFFF); // past its parent
    EXPECT_NE(LoadError(bad).find("0x4110"), std::string::npos);
    bad = good;
    PatchCardinal(bad, FindChunk(bad, kChunkFaces) + 2, 3); // below the 6-byte header
    EXPECT_NE(LoadError(bad).find("below"), std::string::npos);
    bad = good;
    bad[FindChunk(bad, kChunkFaces) + 8] = 200; // a corner naming vertex 200 of 8
    EXPECT_NE(LoadError(bad).find("vertex 200"), std::string::npos);
    bad = good;
    const size_t name = FindChunk(bad, kChunkMatName);
    bad[name + 6 + 3] = 'x'; // "red" loses its terminator
    EXPECT_NE(LoadError(bad).find("terminator"), std::string::npos);
    bad = good;
    bad[0] = 0x34, bad[1] = 0x12; // a root chunk of another format
    EXPECT_NE(LoadError(bad).find("not a 3DS file"), std::string::npos);
    for (size_t n = 0; n < good.size(); n += 7) { // truncations fail cleanly
        const std::vector<uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(n));
        EXPECT_NE(LoadError(cut), "") << n;
    }
}

TEST(Convert3DS, SmoothingGroupsSplitVerticesAndAverageNormals) {
    const ConvertedMesh3DS six = Convert(Cube("six", [](int s) { return 1u << s; }));
    EXPECT_EQ(six.positions.size(), 24u);
    const ConvertedMesh3DS one = Convert(Cube("one", [](int) { return 1u; }));
    ASSERT_EQ(one.positions.size(), 8u);
    // Corner 7 is (+,+,+): its smoothed normal points along the diagonal, outwards.
    const float d = 1.0f / std::sqrt(3.0f);
    EXPECT_NEAR(one.normals[7].x, d, 1e-5f);
    EXPECT_NEAR(one.normals[7].y, d, 1e-5f);
    EXPECT_NEAR(one.normals[7].z, d, 1e-5f);
    // Without groups every face is flat: 36 corners, 36 vertices, each with its face normal.
    const ConvertedMesh3DS flat = Convert(Cube("flat", [](int) { return 0u; }));
    EXPECT_EQ(flat.positions.size(), 36u);
    for (const Vec3& n : flat.normals)
        EXPECT_NEAR(VectorLength(n), 1.0f, 1e-5f);
    // A face in two groups is reported; the split goes by its lowest group.
    TMesh3DS mixed = Cube("mixed", [](int s) { return s == 0 ? 3u : 1u; });
    ConvertedMesh3DS out;
    std::vector<std::string> messages;
    ConvertMesh3DS(
        mixed, 2, [](const std::string&) { return -1; }, 4, out, messages);
    EXPECT_TRUE(out.mixedSmoothingGroups);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Wrong smoothing group assignments!\nMesh \"mixed\" contains vertices "
                           "assigned to more than one smoothing group.");
    // No material group: every face lands in the ungrouped group with its material.
    ASSERT_EQ(out.groups.size(), 1u);
    EXPECT_EQ(out.groups[0].material, 4);
    EXPECT_EQ(out.groups[0].indices.size(), 36u);
}

TEST(Import3DS, BuildsOneTurnedObjectWithMaterialsAndEveryFace) {
    TFile3DS file;
    file.fileName = "model.3ds";
    TMaterial3DS glass, stone;
    glass.name = "glass";
    glass.transparency = 10;
    glass.selfIllumination = 50;
    glass.shininess = 40;
    stone.name = "stone";
    stone.transparency = 0;
    file.materials = {glass, stone};
    // A tall box along +Z (Z-up in the file) with half its faces grouped, and a second cube
    // with coordinates.
    TMesh3DS tall = Cube("tall", [](int) { return 1u; });
    for (Vec3& v : tall.vertices)
        v.z *= 10;
    tall.groups.push_back({"glass", {0, 1, 2, 3}});
    tall.groups.push_back({"marble", {4, 5}}); // not in the file: material 0
    TMesh3DS second = Cube(
        "second", [](int) { return 1u; }, Vec3{5, 0, 0});
    second.texCoords.assign(8, {0.5f, 0.75f});
    second.groups.push_back({"stone", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}});
    file.meshes = {tall, second};

    TQGLMaterialList materials(nullptr);
    materials.AddMaterial(std::make_unique<TQGLMaterial>("host"));
    TQGLStaticMeshObjects statics;
    TQGLDynamicMeshObjects dynamics;
    const Import3DSResult result =
        Load3DSIntoScene(file, Import3DSKind::Dynamic, materials, &statics, &dynamics, nullptr);
    ASSERT_EQ(dynamics.Count(), 1);
    EXPECT_EQ(statics.Count(), 0);
    const TQGLBaseMeshObject& object = *result.object;
    // glass, stone and the material of the ungrouped faces, after the host's.
    ASSERT_EQ(result.newMaterials.size(), 3u);
    ASSERT_EQ(materials.Count(), 4);
    const TQGLMaterial& g = *materials.Items(1);
    EXPECT_TRUE(g.blendFlag);
    EXPECT_EQ(g.blendSource, GLenum(GL_DST_COLOR));
    EXPECT_EQ(g.blendDest, GLenum(GL_SRC_COLOR));
    EXPECT_FLOAT_EQ(g.emissive.x, 0.5f);
    EXPECT_FLOAT_EQ(g.gloss, 40.0f);
    EXPECT_FALSE(materials.Items(2)->blendFlag);
    EXPECT_EQ(materials.Items(3)->name, "Default");

    ASSERT_EQ(object.Faces.Count(), 24); // no face of the file is lost
    int perMaterial[4] = {0, 0, 0, 0};
    for (int f = 0; f < object.Faces.Count(); ++f)
        ++perMaterial[object.FaceAt(f)->MaterialIndex];
    EXPECT_EQ(perMaterial[1], 4);  // glass
    EXPECT_EQ(perMaterial[0], 2);  // "marble" falls back to material 0
    EXPECT_EQ(perMaterial[2], 12); // stone
    EXPECT_EQ(perMaterial[3], 6);  // ungrouped faces of the tall box
    // The second mesh's faces index past the first mesh's 8 vertices.
    EXPECT_GE(object.FaceAt(18)->VectorIndices[0], 8);
    EXPECT_EQ(object.TexCoords[0].x, 0.0f); // first mesh has no coordinates
    EXPECT_EQ(object.TexCoords[8].x, 0.5f);
    EXPECT_EQ(object.TexCoords[8].y, 0.75f);

    // Turned 90 degrees about X around the centre: the file's Z extent is now along Y.
    float loY = 1e9f, hiY = -1e9f, loZ = 1e9f, hiZ = -1e9f;
    for (int v = 0; v < 8; ++v) {
        loY = std::fmin(loY, object.Vertices[size_t(v)].y);
        hiY = std::fmax(hiY, object.Vertices[size_t(v)].y);
        loZ = std::fmin(loZ, object.Vertices[size_t(v)].z);
        hiZ = std::fmax(hiZ, object.Vertices[size_t(v)].z);
    }
    EXPECT_NEAR(hiY - loY, 10.0f, 1e-4f);
    EXPECT_NEAR(hiZ - loZ, 1.0f, 1e-4f);
    // Normals turn too: the second cube's (+,+,+) corner normal goes to (+,+,-).
    const float d = 1.0f / std::sqrt(3.0f);
    EXPECT_NEAR(object.Normals[15].x, d, 1e-5f);
    EXPECT_NEAR(object.Normals[15].y, d, 1e-5f);
    EXPECT_NEAR(object.Normals[15].z, -d, 1e-5f);
}

TEST(Import3DS, TextureNamesResolveInTheModelFolderIgnoringCase) {
    const std::string dir = ::testing::TempDir() + "model_" + std::to_string(::getpid());
    std::filesystem::create_directories(dir + "/Maps");
    std::ofstream(dir + "/Maps/gl-14_c2.tga") << "x";
    // Compared as paths: Windows joins with its own separator.
    const auto same = [](const std::string& a, const std::string& b) {
        return std::filesystem::path(a).generic_string() ==
               std::filesystem::path(b).generic_string();
    };
    const std::string found = ResolveModelFile(dir + "/ship.3ds", "maps\\GL-14_C2.TGA");
    EXPECT_TRUE(std::filesystem::equivalent(found, dir + "/Maps/gl-14_c2.tga")) << found;
#ifndef _WIN32
    // A case-sensitive file system: the name takes the folder's own spelling.
    EXPECT_TRUE(same(found, dir + "/Maps/gl-14_c2.tga")) << found;
#endif
    const std::string missing = ResolveModelFile(dir + "/ship.3ds", "missing.tga");
    EXPECT_TRUE(same(missing, dir + "/missing.tga")) << missing;
    std::filesystem::remove_all(dir);
}
