// KSF scenes: the file layout both ways, refusal of counts the data cannot hold, and the
// reader's effect on a scene's lists (material base, skipped stage kinds, nothing half-added).
#include "engine/assets/KSFReader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

using namespace quarn;

namespace {

// Two materials (the first with a texture stage, a stage kind that makes no stage and an
// empty texture stage) and two meshes of one triangle each.
KsfScene SmallScene() {
    KsfScene scene;
    scene.header[0] = 7;
    KsfMaterial wall;
    wall.name = "wall";
    wall.diffuse = Vec3{1, 0.5f, 0.25f};
    wall.gloss = 12;
    wall.blend = 1;
    wall.blendSource = 0x0306;
    KsfStage textured;
    textured.kind = 0x100; // only the low byte counts: a texture stage
    textured.name = "brick";
    KsfTexture brick;
    brick.name = "brick.jpg"; // not in the archive: the stage gets no texture
    brick.path = "c:\\levels\\brick.jpg";
    brick.wrapS = 0x812F;
    textured.textures.push_back(brick);
    KsfStage none;
    none.kind = 4;
    none.name = "skipped";
    none.textures.push_back(brick);
    KsfStage empty;
    empty.kind = 0;
    wall.stages = {textured, none, empty};
    KsfMaterial floor;
    floor.name = "floor";
    scene.materials = {wall, floor};
    scene.integerList = {1, 2, 3};
    for (int m = 0; m < 2; ++m) {
        KsfMesh mesh;
        mesh.vertices = {Vec3{0, 0, 0}, Vec3{1, 0, 0}, Vec3{0, 1, float(m)}};
        mesh.normals = {Vec3{0, 0, 1}};
        mesh.texCoords = {Vec3{0, 0, 9}, Vec3{1, 0, 9}, Vec3{0, 1, 9}};
        mesh.AddFace({0, 1, 2}, {0, 0, 0},
                     m == 0 ? std::vector<int32_t>{0, 1, 2} : std::vector<int32_t>{}, m);
        mesh.visible = uint8_t(m == 0 ? 1 : 0);
        scene.meshes.push_back(mesh);
    }
    return scene;
}

KsfScene ReadBack(const std::vector<uint8_t>& bytes) {
    TNQStream stream("scene.ksf", bytes);
    return ReadKSF(stream);
}

std::string TempPath(const char* stem) {
    return ::testing::TempDir() + stem + "_" + std::to_string(getpid());
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

TEST(KSF, WriterAndReaderAgreeOnEveryField) {
    const std::vector<uint8_t> bytes = WriteKSF(SmallScene());
    const KsfScene back = ReadBack(bytes);
    EXPECT_EQ(back.header[0], 7);
    ASSERT_EQ(back.materials.size(), 2u);
    const KsfMaterial& wall = back.materials[0];
    EXPECT_EQ(wall.name, "wall");
    EXPECT_EQ(wall.diffuse.y, 0.5f);
    EXPECT_EQ(wall.gloss, 12.0f);
    EXPECT_EQ(wall.blend, 1);
    EXPECT_EQ(wall.blendSource, 0x0306);
    ASSERT_EQ(wall.stages.size(), 3u);
    EXPECT_EQ(wall.stages[0].kind, 0x100);
    ASSERT_EQ(wall.stages[1].textures.size(), 1u);
    EXPECT_EQ(wall.stages[1].textures[0].path, "c:\\levels\\brick.jpg");
    EXPECT_EQ(wall.stages[1].textures[0].wrapS, 0x812F);
    EXPECT_EQ(back.integerList, (std::vector<int32_t>{1, 2, 3}));
    ASSERT_EQ(back.meshes.size(), 2u);
    EXPECT_EQ(back.meshes[1].vertices[2].z, 1.0f);
    EXPECT_EQ(back.meshes[0].faces[0].texCoordCount, 3);
    EXPECT_EQ(back.meshes[1].faces[0].texCoordCount, 0);
    EXPECT_EQ(back.meshes[1].faces[0].material, 1);
    EXPECT_EQ(back.meshes[1].visible, 0);
    EXPECT_EQ(WriteKSF(back), bytes);

    std::vector<uint8_t> trailing = bytes;
    trailing.insert(trailing.end(), {1, 2, 3}); // anything after the last mesh is ignored
    EXPECT_EQ(ReadBack(trailing).meshes.size(), 2u);
}

TEST(KSF, EveryTruncationAndHugeCountFails) {
    const std::vector<uint8_t> bytes = WriteKSF(SmallScene());
    for (size_t n = 0; n < bytes.size(); ++n) {
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(n));
        EXPECT_THROW(ReadBack(cut), EngineError) << n << " of " << bytes.size() << " bytes";
    }
    // Material count (offset 12), then the first name length: huge or negative.
    for (uint32_t value : {0x7FFFFFFFu, 0x80000000u, 100000u}) {
        for (size_t offset : {size_t(12), size_t(16)}) {
            std::vector<uint8_t> bad = bytes;
            for (int i = 0; i < 4; ++i)
                bad[offset + size_t(i)] = uint8_t(value >> (8 * i));
            try {
                ReadBack(bad);
                ADD_FAILURE() << "count " << value << " at " << offset << " accepted";
            } catch (const EngineError& e) {
                EXPECT_NE(std::string(e.what()).find("scene.ksf"), std::string::npos);
            }
        }
    }
}

TEST(KSFReader, OffsetsMaterialsSkipsStageKindsAndAddsNothingOnFailure) {
    TQGLMaterialList materials(nullptr);
    TQGLStaticMeshObjects statics;
    TQGLDynamicMeshObjects dynamics;
    for (int i = 0; i < 5; ++i)
        materials.AddMaterial(std::make_unique<TQGLMaterial>("host"));
    const std::string ksf = TempPath("scene.ksf"), archive = TempPath("scene.qpk");
    WriteFile(ksf, WriteKSF(SmallScene()));
    TFileSystem().SaveToFile(archive);

    for (int load = 0; load < 2; ++load) {
        TKSFReader reader;
        reader.Load(ksf, archive, nullptr, materials, statics, dynamics);
        const int base = 5 + 2 * load;
        EXPECT_EQ(reader.materialBase, base);
        ASSERT_EQ(materials.Count(), base + 2);
        const TQGLMaterial& wall = *materials.Items(base);
        EXPECT_EQ(wall.name, "wall");
        EXPECT_TRUE(wall.blendFlag);
        EXPECT_TRUE(wall.lightFlag); // not in the file: the default
        // Kind 4 makes no stage; the missing texture leaves the first stage without one.
        ASSERT_EQ(wall.shaders.Count(), 2);
        EXPECT_EQ(wall.shaders.Items(0)->name, "brick");
        EXPECT_EQ(wall.shaders.Items(0)->textures.Count(), 0);
        ASSERT_EQ(statics.Count(), 2 * (load + 1));
        const TQGLStaticMeshObject& first = *statics.Get(2 * load);
        const TQGLStaticMeshObject& second = *statics.Get(2 * load + 1);
        EXPECT_EQ(first.FaceAt(0)->MaterialIndex, base);
        EXPECT_EQ(second.FaceAt(0)->MaterialIndex, base + 1);
        EXPECT_TRUE(first.Visible);
        EXPECT_FALSE(second.Visible);
        EXPECT_EQ(first.TexCoords[0].z, 9.0f); // stored as read
        EXPECT_EQ(first.Octree->FaceCount, 1);
    }
    EXPECT_EQ(dynamics.Count(), 0);

    // A file cut inside its second mesh, and a missing archive: nothing is added.
    std::vector<uint8_t> cut = WriteKSF(SmallScene());
    cut.resize(cut.size() - 10);
    WriteFile(ksf, cut);
    TKSFReader reader;
    EXPECT_THROW(reader.Load(ksf, archive, nullptr, materials, statics, dynamics), EngineError);
    WriteFile(ksf, WriteKSF(SmallScene()));
    EXPECT_THROW(reader.Load(ksf, archive + ".missing", nullptr, materials, statics, dynamics),
                 EngineError);
    EXPECT_EQ(materials.Count(), 9);
    EXPECT_EQ(statics.Count(), 4);
    std::remove(ksf.c_str());
    std::remove(archive.c_str());
}
