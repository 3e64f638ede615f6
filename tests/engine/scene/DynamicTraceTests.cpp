// GL-trace tests of dynamic objects: the prepare path, the predefined shapes' lists and the
// dynamic passes of the scene frame.
#include "engine/materials/MaterialList.h"
#include "engine/materials/States.h"
#include "engine/scene/Predefined.h"
#include "engine/scene/Scene.h"
#include "platform/gl/GLRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quarn;
using gl::GLRecorder;

namespace {

class DynamicTrace : public ::testing::Test {
  protected:
    void SetUp() override {
        GLRecorder::Install();
        for (const char* name : {"A", "B"})
            materials.AddMaterial(std::make_unique<TQGLMaterial>(name));
    }
    void TearDown() override { GLRecorder::Uninstall(); }

    TQGLStates states;
    TQGLMaterialList materials{&states};
};

// Logs its draws as "draw:<name>" so the frame order can be read from the trace.
class Probe : public TQGLDynamicMeshObject {
  public:
    explicit Probe(std::string n) : name("draw:" + std::move(n)) {
        CreateAt(Vec3{}, Vec3{});
        SetBoundingBox(-0.1f, 0.1f, -0.1f, 0.1f, -0.1f, 0.1f);
    }
    void RenderMesh(uint32_t) override { GLRecorder::Record(name.c_str(), {}); }
    std::string name;
};

// A scene whose projection and camera are the identity, so the frustum is the unit box.
class SceneFrame : public DynamicTrace {
  protected:
    void SetUp() override {
        DynamicTrace::SetUp();
        const Mat4 id = MatrixIdentity();
        GLRecorder::SetFloats(GL_PROJECTION_MATRIX, std::vector<float>(id.m, id.m + 16));
        GLRecorder::SetFloats(GL_MODELVIEW_MATRIX, std::vector<float>(id.m, id.m + 16));
        scene = std::make_unique<TQGLScene>(64, 64); // after the recorder is in place
        scene->mapFrameCounter = 1;
    }
    void TearDown() override {
        scene.reset();
        DynamicTrace::TearDown();
    }
    Probe* Add(const std::string& name, const Vec3& position, bool blended = false) {
        auto p = std::make_unique<Probe>(name);
        p->Position = position;
        p->HasBlendedMaterial = blended;
        p->Frustum = &scene->frustum;
        p->Materials = &scene->materials;
        return scene->dynamicObjects.AddNew(std::move(p));
    }
    std::vector<std::string> Draws() const {
        std::vector<std::string> out;
        for (const std::string& n : GLRecorder::Names())
            if (n.rfind("draw:", 0) == 0) out.push_back(n);
        return out;
    }
    std::unique_ptr<TQGLScene> scene;
};

} // namespace

TEST_F(DynamicTrace, PrepareTranslatesThenTurnsByYawPitchRoll) {
    TQGLDynamicMeshObject o;
    o.CreateAt(Vec3{1, 2, 3}, Vec3{20, 30, 10}); // pitch 20, yaw 30, roll 10
    GLRecorder::Clear();
    EXPECT_TRUE(o.Prepare(0)); // no frustum: nothing culls it
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glTranslatef(1, 2, 3)", "glRotatef(30, 0, 1, 0)",
                                        "glRotatef(20, 1, 0, 0)", "glRotatef(10, 0, 0, 1)"}));
    o.Billboard = true;
    GLRecorder::Clear();
    o.Prepare(0);
    EXPECT_EQ(GLRecorder::Names(), (std::vector<std::string>{"glMultMatrixf"}));
}

TEST_F(DynamicTrace, TheCubeListHoldsThirtySixCornersWithNormalAndCoordinates) {
    TQGLCube cube;
    cube.CreateAt(Vec3{}, Vec3{});
    cube.Materials = &materials;
    cube.MaterialIndex = 0; // a material without stages: no first stage to ask
    GLRecorder::Clear();
    cube.BuildGeometry();
    const std::vector<std::string> names = GLRecorder::Names();
    ASSERT_EQ(names.size(), 2u + 1 + 36 * 3 + 2);
    EXPECT_EQ(names[0], "glGenLists");
    EXPECT_EQ(GLRecorder::Calls()[1].ToString(),
              "glNewList(" + std::to_string(cube.ListId) + ", " + std::to_string(GL_COMPILE) + ")");
    EXPECT_EQ(GLRecorder::Calls()[2].ToString(), "glBegin(4)"); // triangles
    for (size_t i = 0; i < 36; ++i) {
        EXPECT_EQ(names[3 + i * 3], "glNormal3fv");
        EXPECT_EQ(names[4 + i * 3], "glTexCoord3fv"); // all three components
        EXPECT_EQ(names[5 + i * 3], "glVertex3fv");
    }
    EXPECT_EQ(names[names.size() - 2], "glEnd");
    EXPECT_EQ(names.back(), "glEndList");
}

TEST_F(DynamicTrace, ABumpMappedCubeGetsAnEmptyList) {
    if (!materials.Items(1)->shaders.AddShader(kBumpMapStage))
        GTEST_SKIP() << "no bump-map stage class in this build";
    TQGLCube cube;
    cube.CreateAt(Vec3{}, Vec3{});
    cube.Materials = &materials;
    cube.MaterialIndex = 1;
    GLRecorder::Clear();
    cube.BuildGeometry();
    EXPECT_EQ(GLRecorder::Names(),
              (std::vector<std::string>{"glGenLists", "glNewList", "glEndList"}));
}

TEST_F(DynamicTrace, ACubeDrawsNormalsFirstThenItsMaterialAndListAndFreesItsList) {
    uint32_t list = 0;
    {
        TQGLCube cube;
        cube.CreateAt(Vec3{}, Vec3{});
        cube.Materials = &materials;
        cube.MaterialIndex = 1;
        cube.BuildGeometry();
        list = cube.ListId;
        cube.DrawNormals = true;
        materials.ResetMaterial();
        GLRecorder::Clear();
        cube.RenderMesh(0);
        const std::vector<std::string> names = GLRecorder::Names();
        const auto overlay = std::find(names.begin(), names.end(), "glPushAttrib");
        const auto call = std::find(names.begin(), names.end(), "glCallList");
        ASSERT_NE(overlay, names.end());
        ASSERT_NE(call, names.end());
        EXPECT_LT(overlay, call);
        EXPECT_EQ(GLRecorder::Calls().back().ToString(),
                  "glCallList(" + std::to_string(list) + ")");
        EXPECT_EQ(materials.Current(), 1);

        cube.MaterialIndex = 9; // not in the list: drawn with whatever is current
        cube.DrawNormals = false;
        GLRecorder::Clear();
        cube.RenderMesh(0);
        EXPECT_EQ(GLRecorder::Names(), (std::vector<std::string>{"glCallList"}));
        GLRecorder::Clear();
    }
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glDeleteLists(" + std::to_string(list) + ", 1)"}));
}

TEST_F(DynamicTrace, AQuadIsCompiledAgainAfterItsMaterialChanges) {
    TQGLQuad quad;
    quad.CreateAt(Vec3{}, Vec3{});
    quad.Materials = &materials;
    quad.MaterialIndex = 0;
    quad.BuildGeometry();
    quad.RenderMesh(0);
    ASSERT_EQ(quad.SubMeshes().Count(), 1);
    const uint32_t oldList = quad.SubMeshes().Get(0)->ListId;
    EXPECT_EQ(materials.Current(), 0);

    GLRecorder::Clear();
    quad.SetQuadMaterial(1);
    EXPECT_EQ(GLRecorder::Lines(),
              (std::vector<std::string>{"glDeleteLists(" + std::to_string(oldList) + ", 1)"}));
    EXPECT_EQ(quad.Faces.Get(0)->MaterialIndex, 1);
    GLRecorder::Clear();
    quad.RenderMesh(0);
    EXPECT_EQ(GLRecorder::Count("glNewList"), 1);
    EXPECT_EQ(GLRecorder::Count("glVertex3fv"), 6);
    ASSERT_EQ(quad.SubMeshes().Count(), 1);
    EXPECT_EQ(quad.SubMeshes().Get(0)->MaterialIndex, 1);
    EXPECT_EQ(materials.Current(), 1);
}

TEST_F(DynamicTrace, AQuadWithoutMaterialDrawsWithTheCurrentOne) {
    TQGLQuad quad;
    quad.CreateAt(Vec3{}, Vec3{});
    quad.Materials = &materials;
    quad.BuildGeometry(); // material -1
    materials.SetMaterial(1, 0);
    GLRecorder::Clear();
    quad.RenderMesh(0);
    EXPECT_EQ(GLRecorder::Count("glVertex3fv"), 6); // compiled, not rejected as a bad face
    EXPECT_EQ(GLRecorder::Count("glCallList"), 1);
    EXPECT_EQ(materials.Current(), 1);
}

TEST_F(SceneFrame, BlendedObjectsDrawAfterTheOpaqueOnesFarthestFirst) {
    Add("near", Vec3{0, 0, 0.1f}, true);
    Add("opaque", Vec3{0, 0, 0.5f});
    Add("far", Vec3{0, 0.2f, 0}, true);
    Add("outside", Vec3{5, 0, 0}); // culled
    // Placed by its own matrix: farthest of all, though its Position is the camera's.
    Probe* placed = Add("placed", Vec3{}, true);
    placed->Matrix = MatrixTranslation({0, 0, -0.3f});
    placed->UseMatrix = true;
    GLRecorder::Clear();
    scene->Render();
    EXPECT_EQ(Draws(),
              (std::vector<std::string>{"draw:opaque", "draw:placed", "draw:far", "draw:near"}));
    EXPECT_NEAR(scene->dynamicObjects.Get(2)->CameraDistance, 0.2f, 1e-6);
    EXPECT_EQ(GLRecorder::Count("glPushMatrix"), GLRecorder::Count("glPopMatrix"));
}

TEST_F(SceneFrame, BillboardsGetTheFramesCameraAndOthersKeepTheirs) {
    Probe* board = Add("board", Vec3{});
    Probe* plain = Add("plain", Vec3{});
    board->Billboard = true;
    board->BillboardCamUp = plain->BillboardCamUp = Vec3{7, 7, 7};
    const Mat4 view = MatrixTranslation({-3, -4, -5}); // camera at (3, 4, 5)
    GLRecorder::SetFloats(GL_MODELVIEW_MATRIX, std::vector<float>(view.m, view.m + 16));
    scene->Render();
    EXPECT_EQ(board->BillboardCamPos.x, 3.0f);
    EXPECT_EQ(board->BillboardCamPos.z, 5.0f);
    EXPECT_EQ(board->BillboardCamUp.y, 1.0f);
    EXPECT_EQ(plain->BillboardCamPos.x, 0.0f);
    EXPECT_EQ(plain->BillboardCamUp.y, 7.0f);
}

TEST_F(SceneFrame, TheSceneOrObjectFlagDrawsTheBoundingBoxOfVisibleObjects) {
    Probe* flagged = Add("flagged", Vec3{});
    Add("plain", Vec3{});
    Add("outside", Vec3{5, 0, 0});
    flagged->ShowOcclusionNodes = true;
    GLRecorder::Clear();
    scene->Render();
    EXPECT_EQ(GLRecorder::Count("glColor3ub"), 1);
    scene->SetShowOcclusionNodes(true);
    EXPECT_TRUE(scene->dynamicObjects.Get(2)->ShowOcclusionNodes);
    scene->dynamicObjects.Get(1)->ShowOcclusionNodes = false; // the scene flag still draws it
    GLRecorder::Clear();
    scene->Render();
    EXPECT_EQ(GLRecorder::Count("glColor3ub"), 2);
    scene->SetDrawNormals(true);
    EXPECT_TRUE(scene->dynamicObjects.Get(0)->DrawNormals);
}

TEST_F(SceneFrame, DeletedObjectsAreDrawnOnceMoreThenFreedStaticsFirst) {
    Add("keep", Vec3{});
    Probe* gone = Add("gone", Vec3{});
    gone->Deleted = true;
    auto mesh = std::make_unique<TQGLStaticMeshObject>();
    mesh->Deleted = true;
    scene->staticObjects.AddNew(std::move(mesh));
    scene->afterRender = [] { GLRecorder::Record("host:after", {}); };
    GLRecorder::Clear();
    scene->Render();
    EXPECT_EQ(Draws(), (std::vector<std::string>{"draw:keep", "draw:gone"}));
    EXPECT_EQ(scene->staticObjects.Count(), 0);
    ASSERT_EQ(scene->dynamicObjects.Count(), 1);
    EXPECT_EQ(static_cast<Probe*>(scene->dynamicObjects.Get(0))->name, "draw:keep");
}

TEST_F(SceneFrame, FreeingASourceLeavesItsProxiesDrawingNothing) {
    auto source = std::make_unique<TQGLDynamicMeshObject>();
    source->CreateAt(Vec3{}, Vec3{});
    source->Materials = &scene->materials;
    scene->materials.AddMaterial(std::make_unique<TQGLMaterial>("M"));
    auto face = std::make_unique<TQGLFace>();
    for (const Vec3& p : {Vec3{0, 0, 0}, Vec3{0.1f, 0, 0}, Vec3{0, 0.1f, 0}}) {
        face->AddVectorIndex(source->AddVector(p));
        face->AddNormalIndex(source->AddUniqueNormal({0, 0, 1}));
    }
    source->Faces.Add(std::move(face));
    source->ComputeBoundingBox();
    source->Frustum = &scene->frustum;
    TQGLDynamicMeshObject* src = scene->dynamicObjects.AddNew(std::move(source));
    TQGLDynamicMeshObject* proxy =
        scene->dynamicObjects.AddNew(TQGLDynamicMeshObject::CreateProxy(*src, false));
    scene->AddMapTrackedObject(src, 1);
    src->Deleted = true;
    scene->Render();
    ASSERT_EQ(scene->dynamicObjects.Count(), 1);
    EXPECT_EQ(proxy->ProxySource, nullptr);
    EXPECT_TRUE(proxy->SubMeshes().Empty());
    EXPECT_TRUE(scene->mapTrackedObjects.empty());
    GLRecorder::Clear();
    scene->Render();
    EXPECT_EQ(GLRecorder::Count("glCallList"), 0);
}

TEST_F(SceneFrame, TheMapMarksTrackedObjectsAtTheirMatrixTranslation) {
    Probe* a = Add("a", Vec3{});
    Probe* b = Add("b", Vec3{});
    a->SetPositionAndRebuild(Vec3{1, 2, 3});
    b->SetPositionAndRebuild(Vec3{4, 5, 6});
    scene->AddMapTrackedObject(a, 0);
    scene->AddMapTrackedObject(b, 1);
    scene->AddMapTrackedObject(a, 1);
    scene->DeleteMapTrackedObject(a); // the first marker of a only
    scene->mapRender = true;
    scene->mapFrameCounter = 4;
    GLRecorder::Clear();
    scene->Render();
    std::vector<std::string> marks;
    for (const std::string& l : GLRecorder::Lines())
        if (l.rfind("glVertex4f(", 0) == 0 || l.rfind("glColor3f(", 0) == 0) marks.push_back(l);
    EXPECT_EQ(marks, (std::vector<std::string>{"glColor3f(1, 0, 0)", "glVertex4f(4, 5, 6, 1)",
                                               "glColor3f(1, 1, 1)", "glColor3f(1, 0, 0)",
                                               "glVertex4f(1, 2, 3, 1)", "glColor3f(1, 1, 1)"}));
}

TEST_F(SceneFrame, ABlendedObjectIsSortedFromItsFirstFrame) {
    scene->materials.AddMaterial(std::make_unique<TQGLMaterial>("glass"))->blendFlag = true;
    auto quad = std::make_unique<TQGLQuad>();
    quad->CreateAt(Vec3{}, Vec3{});
    quad->SizeX = quad->SizeY = 0.2f;
    quad->MaterialIndex = 0;
    quad->Materials = &scene->materials;
    quad->Frustum = &scene->frustum;
    quad->BuildGeometry();
    scene->dynamicObjects.AddNew(std::move(quad)); // listed before the opaque one
    Add("opaque", Vec3{});
    GLRecorder::Clear();
    scene->Render();
    const std::vector<std::string> names = GLRecorder::Names();
    const auto opaque = std::find(names.begin(), names.end(), "draw:opaque");
    const auto glass = std::find(names.begin(), names.end(), "glCallList");
    ASSERT_NE(glass, names.end());
    EXPECT_LT(opaque, glass);

    TQGLCube cube;
    cube.CreateAt(Vec3{}, Vec3{});
    cube.Materials = &scene->materials;
    cube.MaterialIndex = 0;
    cube.BuildGeometry();
    EXPECT_TRUE(cube.HasBlendedMaterial);
}
