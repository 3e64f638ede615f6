#include "engine/effects/Environment.h"

#include "engine/core/Camera.h"
#include "engine/materials/FogSwitch.h"
#include "engine/materials/MaterialList.h"

#include <cmath>

namespace quarn {

// ---- Fog ----------------------------------------------------------------------------------

TQGLGlobalFog::TQGLGlobalFog() {
    glHint(GL_FOG_HINT, GL_NICEST);
    SetGlobalFogShown(false); // a new scene starts without fog, whatever the last one showed
}

void TQGLGlobalFog::SetColor(float r, float g, float b, float a) {
    color = {r, g, b, a};
    glFogfv(GL_FOG_COLOR, color.data());
}

void TQGLGlobalFog::SetMode(GLenum m) {
    mode = m;
    glFogi(GL_FOG_MODE, static_cast<GLint>(m));
}

void TQGLGlobalFog::SetDensity(float d) {
    density = d;
    glFogf(GL_FOG_DENSITY, d);
}

void TQGLGlobalFog::SetClearColor(float r, float g, float b, float a) {
    clearColor = {r, g, b, a};
    glClearColor(r, g, b, a);
}

void TQGLGlobalFog::SetShown(bool flag) {
    shown = flag;
    SetGlobalFogShown(flag);
    if (flag)
        glEnable(GL_FOG);
    else
        glDisable(GL_FOG);
}

// ---- Sky box ------------------------------------------------------------------------------

namespace {

// Which file (0-based) textures each face, in draw order.
constexpr std::array<int, 6> kSkyFaceFile{1, 0, 5, 4, 2, 3};

struct SkyCorner {
    int x, y, z; // 0: the low side, 1: the high side
    float s, t;
};

// Corners of each face in draw order: z0, z1, bottom, top, x0, x1.
constexpr SkyCorner kSkyFaces[6][4] = {
    {{0, 1, 0, 0, 1}, {0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {1, 1, 0, 1, 1}},
    {{0, 0, 1, 1, 0}, {0, 1, 1, 1, 1}, {1, 1, 1, 0, 1}, {1, 0, 1, 0, 0}},
    {{0, 0, 0, 0, 0}, {0, 0, 1, 0, 1}, {1, 0, 1, 1, 1}, {1, 0, 0, 1, 0}},
    {{0, 1, 1, 0, 1}, {0, 1, 0, 0, 0}, {1, 1, 0, 1, 0}, {1, 1, 1, 1, 1}},
    {{0, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {0, 1, 0, 1, 1}, {0, 1, 1, 0, 1}},
    {{1, 0, 0, 0, 0}, {1, 0, 1, 1, 0}, {1, 1, 1, 1, 1}, {1, 1, 0, 0, 1}},
};

} // namespace

TQGLSkyBox::~TQGLSkyBox() {
    for (GLuint list : lists)
        if (list != 0) glDeleteLists(list, 1);
}

void TQGLSkyBox::Init(const std::array<std::string, 6>& fileNames) {
    if (!materials) throw EngineError("The sky box has no material list");
    std::array<int, 6> byFile{};
    for (size_t i = 0; i < fileNames.size(); ++i) {
        TQGLMaterial* m = materials->AddMaterial(std::make_unique<TQGLMaterial>());
        m->lightFlag = false;
        materials->AddTextureShader(m, fileNames[i], GL_LINEAR, GL_LINEAR);
        if (m->shaders.HasShaders()) {
            TQGLShader* stage = m->shaders.Items(m->shaders.Count() - 1);
            if (stage->textures.Count() > 0) {
                stage->textures.Items(0)->SetWrapS(GL_CLAMP_TO_EDGE);
                stage->textures.Items(0)->SetWrapT(GL_CLAMP_TO_EDGE);
            }
        }
        byFile[i] = materials->Count() - 1;
    }
    for (size_t k = 0; k < 6; ++k)
        materialIndices[k] = byFile[size_t(kSkyFaceFile[k])];
    BuildLists();
}

void TQGLSkyBox::BuildLists() {
    for (GLuint& list : lists)
        if (list != 0) glDeleteLists(list, 1);
    const bool fogged = fog && fog->shown; // fixed now, whatever the fog does later
    const float halfW = float(boxWidth) / 2, halfH = float(boxHeight) / 2;
    const float xs[2] = {-halfW, halfW}, ys[2] = {-halfH, halfH}, zs[2] = {-halfW, halfW};
    const GLuint first = glGenLists(6);
    for (size_t k = 0; k < 6; ++k) {
        lists[k] = first == 0 ? 0 : first + GLuint(k);
        glNewList(lists[k], GL_COMPILE);
        if (k == 0) {
            glDisable(GL_DEPTH_TEST);
            glDisable(GL_LIGHTING);
            if (fogged) glDisable(GL_FOG);
        }
        glBegin(GL_QUADS);
        for (const SkyCorner& c : kSkyFaces[k]) {
            glTexCoord2f(c.s, c.t);
            glVertex3f(xs[c.x], ys[c.y], zs[c.z]);
        }
        glEnd();
        if (k == 5) {
            glEnable(GL_DEPTH_TEST);
            if (fogged) glEnable(GL_FOG);
        }
        glEndList();
    }
}

void TQGLSkyBox::PrepareSky() {
    if (camera) Position = camera->position;
    glTranslatef(Position.x, Position.y, Position.z);
}

void TQGLSkyBox::Render(uint32_t) {
    if (lists[0] == 0 || !materials) return; // never initialised: nothing to draw
    for (size_t k = 0; k < 6; ++k) {
        materials->SetMaterial(materialIndices[k], 0);
        glCallList(lists[k]);
    }
}

// ---- Lens flare ---------------------------------------------------------------------------

namespace {

struct FlareElement {
    int texture; // 0-based
    float along; // position: centre + along * (light - centre); 1 is the light itself
    float size;  // half-size in element sizes
};

constexpr FlareElement kFlareElements[10] = {
    {0, 1.0f, 1.0f},   {1, 1.0f, 1.1f},    {2, -1.0f, 0.8f},  {3, -0.9f, 0.4f}, {8, 1.5f, 0.3f},
    {7, -0.65f, 0.2f}, {6, -0.35f, 0.15f}, {4, -0.1f, 0.05f}, {5, -0.3f, 0.3f}, {7, 0.5f, 0.2f},
};

void Quad(float s) {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-s, -s, 0);
    glTexCoord2f(1, 0);
    glVertex3f(s, -s, 0);
    glTexCoord2f(1, 1);
    glVertex3f(s, s, 0);
    glTexCoord2f(0, 1);
    glVertex3f(-s, s, 0);
    glEnd();
}

} // namespace

TQGLLensFlare::TQGLLensFlare() : elementSize(float(800) / 4) {}

void TQGLLensFlare::Init(const std::array<std::string, 9>& fileNames, int32_t width,
                         int32_t height) {
    if (!materials) throw EngineError("The lens flare has no material list");
    for (size_t i = 0; i < fileNames.size(); ++i) {
        TQGLMaterial* m = materials->AddMaterial(std::make_unique<TQGLMaterial>());
        m->blendFlag = true;
        m->blendSource = GL_ONE;
        m->blendDest = GL_ONE;
        m->lightFlag = false;
        materials->AddTextureShader(m, fileNames[i], GL_LINEAR, GL_LINEAR);
        textures[i] = materials->Count() - 1;
    }
    windowWidth = width;
    windowHeight = height;
    SetVisible(true, camera);
}

void TQGLLensFlare::SetVisible(bool visible, TQGLCamera* sceneCamera) {
    Visible = visible;
    camera = sceneCamera;
}

void TQGLLensFlare::SetLightPosition(const Vec3& p) {
    lightPosition = p;
    basePosition = p;
}

void TQGLLensFlare::UpdatePosition() {
    lightPosition = camera ? VectorAdd(basePosition, camera->position) : basePosition;
}

bool TQGLLensFlare::LightVisible(float wx, float wy, float wz, float depthValue, int viewportWidth,
                                 int viewportHeight) const {
    if (!(wx >= 0 && wx < float(viewportWidth))) return false;
    if (!(wy >= 20 && wy < float(viewportHeight) + float(windowWidth) / 18)) return false;
    return !(depthValue < wz);
}

void TQGLLensFlare::StepBrightness(bool visible) {
    if (visible && brightness < maxBrightness) brightness += 0.1f;
    if (!visible && brightness > 0) brightness -= 0.1f;
}

void TQGLLensFlare::Render(uint32_t) {
    GLfloat modelF[16], projF[16];
    GLint viewport[4] = {0, 0, 0, 0};
    glGetFloatv(GL_MODELVIEW_MATRIX, modelF);
    glGetFloatv(GL_PROJECTION_MATRIX, projF);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble model[16], proj[16];
    for (int i = 0; i < 16; ++i) {
        model[i] = modelF[i];
        proj[i] = projF[i];
    }
    GLdouble wx = 0, wy = 0, wz = 0;
    const bool projected = gluProject(lightPosition.x, lightPosition.y, lightPosition.z, model,
                                      proj, viewport, &wx, &wy, &wz) == GL_TRUE;
    bool visible = false;
    if (projected &&
        LightVisible(float(wx), float(wy), float(wz), 1.0f, viewport[2], viewport[3])) {
        GLfloat depth = 1.0f;
        glReadPixels(GLint(std::lround(wx)), GLint(std::lround(wy)), 1, 1, GL_DEPTH_COMPONENT,
                     GL_FLOAT, &depth);
        visible = LightVisible(float(wx), float(wy), float(wz), depth, viewport[2], viewport[3]);
    }
    StepBrightness(visible);
    // Before qglInitEnvironmentLensFlare there is nothing to draw, and no state to change.
    if (brightness > 0 && materials && textures[0] >= 0)
        DrawElements(float(wx), float(wy), projF, viewport);
    glColor3f(1, 1, 1);
}

void TQGLLensFlare::DrawElements(float wx, float wy, const GLfloat* projection,
                                 const GLint* viewport) {
    const float b = brightness;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glColor3f(b, b, b);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, windowWidth, windowHeight);
    glOrtho(0, windowWidth, 0, windowHeight, 1, 2000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float cx = float(windowWidth) / 2, cy = float(windowHeight) / 2;
    const float dx = wx - cx, dy = wy - cy;
    for (int e = 0; e < 10; ++e) {
        const FlareElement& el = kFlareElements[e];
        const int texture = textures[size_t(el.texture)];
        if (texture < 0) continue; // never initialised
        glPushMatrix();
        glTranslatef(cx + el.along * dx, cy + el.along * dy, -5);
        if (e == 0) glRotatef(wx / cx * 90.0f, 0, 0, 1);
        materials->SetMaterial(texture, 0);
        Quad(el.size * elementSize);
        glPopMatrix();
        if (e == 1) glColor3f(b - 0.1f, b - 0.1f, b - 0.1f);
    }
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// ---- Environment --------------------------------------------------------------------------

TQGLEnvironment::TQGLEnvironment()
    : fog(std::make_unique<TQGLGlobalFog>()), skyBox(std::make_unique<TQGLSkyBox>()),
      clouds(std::make_unique<TQGLClouds>()) {
    lensFlare = std::make_unique<TQGLLensFlare>();
    skyBox->fog = fog.get();
}

void TQGLEnvironment::Render(uint32_t ticks) {
    if (skyBox->Visible) skyBox->Render(ticks);
    if (clouds->Visible) clouds->Render(ticks);
}

} // namespace quarn
