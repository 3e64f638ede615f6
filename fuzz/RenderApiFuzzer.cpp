// The rendering exports in any order: the input is a program of calls made from inside a scene
// window's callbacks (the test window backend: no display, GL through the recording table), on
// a small pool of handles (the objects made so far, deleted ones among them, plus nil, foreign
// pointers, pointers into objects and handles of another kind) with edge-case numbers. A frame
// op lets the loop render and goes on in the next frame's before- or after-render callback; key,
// mouse and message callbacks run recipes of their own. Every call must return; one given a nil
// or bad handle or a non-finite number must fail with a last error, as must a creation that
// returns NULL. After the program one more frame must draw a fresh box in view, then the scene
// is freed so the next program starts clean.
#include "engine/core/EngineState.h"
#include "engine/frame/RenderScreen.h"
#include "fuzz/ApiProgram.h"
#include "platform/gl/GLRecorder.h"
#include "platform/window/Messages.h"
#include "platform/window/TestWindowBackend.h"
#include "quarn/QuarnGL.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

using quarn::fuzz::ApiProgram;
using quarn::fuzz::PickHandle;

namespace {

enum Op : uint8_t {
    kFrame, // render a frame, go on in its before- or after-render callback
    kCreateSceneWindow,
    kTitle,
    kKeyCallbacks,
    kRegisterKey,
    kKeyState,
    kMouseCallbacks,
    kMessageCallback,
    kPostMessage,
    kCursor,
    kWindowGetters,
    kScreenshot,
    kStaticTerrain,
    kStaticAdd,
    kStaticGet,
    kStaticBuildOctree,
    kStaticDelete,
    kStaticMeshValue,
    kStaticFace,
    kStaticFaceIndex,
    kStaticMeshArrays,
    kStaticReadFaces,
    kStaticFlags,
    kDynamicPredefined,
    kDynamicAdd,
    kDynamicGet,
    kDynamicProxy,
    kDynamicDelete,
    kDynamicMeshValue,
    kDynamicFace,
    kDynamicFaceIndex,
    kDynamicMeshArrays,
    kDynamicReadFaces,
    kDynamicPlace,
    kDynamicAngles,
    kDynamicMatrix,
    kDynamicBillboard,
    kDynamicFlags,
    kMaterialAdd,
    kMaterialIndex,
    kMaterialColour,
    kMaterialGlobalEmissive,
    kMaterialGloss,
    kMaterialBlend,
    kMaterialFlags,
    kMaterialTexStage,
    kMaterialRenderTarget,
    kMaterialStageCount,
    kMaterialDeleteStage,
    kMaterialSphereStage,
    kMaterialCubeStage,
    kMaterialAnimStage,
    kMaterialGLSLStage,
    kMaterialGLSLTexture,
    kMaterialGLSLValue,
    kMaterialBumpStage,
    kBumpLight,
    kCameraSet,
    kCameraGet,
    kCameraMove,
    kCameraMouseLook,
    kCameraProjection,
    kFog,
    kSkyBox,
    kLensFlare,
    kSmokeAdd,
    kSmokePosition,
    kSmokeEnabled,
    kHudAdd,
    kHudWidth,
    kHudVisible,
    kText,
    kSceneFlags,
    kCubeMapToFiles,
    kLoaderScreen,
    kSelectionAdd,
    kSelectionClear,
    kSelectionMove,
    kSelectionRotate,
    kSelectionScale,
    kSelectionDelete,
    kMapFlagAndSize,
    kMapMaterial,
    kMapEye,
    kMapTracked,
    kLoadKSF,
    kImport3DS,
    kImportedMaterials,
    kStatistics,
    kOpCount
};

enum Kind { kStatic, kDynamic, kMaterial, kTexture, kHud, kSmoke, kKindCount };

// Bounds per program keep the deletes far inside the stale-handle guarantee and a program fast.
constexpr size_t kMaxObjects = 24;
constexpr int kMaxFrames = 12;
constexpr int kMaxCallbackDepth = 2;
constexpr int kMaxFileLoads = 8; // imports, scenes and the capture cost most

alignas(16) unsigned char g_foreign[64];

// Scratch files the program may name: a texture, a height map, two shaders; every file the
// scene writes goes into this folder too.
struct Files {
    std::string dir, texture, heightMap, vertexShader, fragmentShader, missing, cubeDir, shot;
    std::string model, scene, archive; // seed files of the asset fuzzers
};
Files g_files;

void WriteBmp(const std::string& path, int w, int h) {
    const int row = (w * 3 + 3) & ~3;
    std::vector<unsigned char> b(54 + size_t(row) * size_t(h), 0);
    const auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = (unsigned char)(v >> (8 * i));
    };
    b[0] = 'B', b[1] = 'M';
    put32(2, uint32_t(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    b[26] = 1;
    b[28] = 24;
    for (size_t i = 54; i < b.size(); ++i)
        b[i] = (unsigned char)(i * 37);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<char*>(b.data()), std::streamsize(b.size()));
}

void MakeFiles() {
    char pattern[] = "/tmp/quarn-render-fuzz-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) std::abort();
    Files& f = g_files;
    f.dir = dir;
    f.texture = f.dir + "/texture.bmp";
    f.heightMap = f.dir + "/height.bmp";
    f.vertexShader = f.dir + "/shader.vert";
    f.fragmentShader = f.dir + "/shader.frag";
    f.missing = f.dir + "/missing.bmp";
    f.cubeDir = f.dir + "/cube/";
    f.shot = f.dir + "/shot.bmp";
    WriteBmp(f.texture, 8, 8);
    WriteBmp(f.heightMap, 9, 7);
    std::ofstream(f.vertexShader) << "void main() { gl_Position = ftransform(); }\n";
    std::ofstream(f.fragmentShader) << "uniform float k; void main() { gl_FragColor = vec4(k); }\n";
    const std::string corpus = QUARN_FUZZ_CORPUS_DIR;
    f.model = corpus + "/file3ds/quarn_crate.3ds";
    f.scene = corpus + "/ksf/quarn_crate.ksf";
    f.archive = corpus + "/archive/quarn_crate.qpk";
}

[[noreturn]] void Fail(const char* what, int op) {
    std::fprintf(stderr, "render API fuzzer: %s (op %d; last error: %s)\n", what, op,
                 qglGetLastError() ? qglGetLastError() : "none");
    std::abort();
}

struct State {
    std::array<std::vector<void*>, kKindCount> made; // every handle made, live or not
    int frames = 0;
    int fileLoads = 0;
    int depth = 0;
    bool bad = false; // a nil or bad handle went into this call
    bool sliceInAfter = false;
    bool programDone = false;
    bool finalFrameAsked = false;
    TQGLHandle probe = nullptr; // the box the final frame must draw
    ApiProgram* program = nullptr;
    quarn::TestWindowScript* script = nullptr;
};
State* g_state = nullptr;

// What a host callback does each time it runs: every `period`-th call it replays a short
// program of its own (deleting, selecting, rendering off-frame work or any other call).
struct Recipe {
    uint8_t period = 0; // 0: nothing
    uint8_t calls = 0;
    std::array<uint8_t, 24> program{};
};
enum Callback { kKeyHeld, kKeyUp, kMouseMove, kMouseDown, kMouseUp, kWheel, kMessage, kCbCount };
std::array<Recipe, kCbCount> g_recipes;

class Runner {
  public:
    explicit Runner(ApiProgram& in) : in_(in) {}

    void* Handle(Kind kind) {
        return PickHandle(in_, g_state->made, kind, g_foreign, g_state->bad);
    }
    // Either object kind, as the selection takes: a handle "of another kind" that is the other
    // object kind is a good handle here.
    void* AnyObject() {
        State& s = *g_state;
        const bool wasBad = s.bad;
        void* const h = Handle(in_.Bool() ? kStatic : kDynamic);
        for (Kind kind : {kStatic, kDynamic})
            for (void* made : s.made[kind])
                if (h && made == h) s.bad = wasBad;
        return h;
    }

    void Remember(Kind kind, void* handle, int op) {
        if (!handle) {
            if (!qglGetLastError()) Fail("a creation returned NULL without an error", op);
            return;
        }
        std::vector<void*>& list = g_state->made[kind];
        for (void* h : list)
            if (h == handle) return; // the same object fetched again
        if (list.size() < kMaxObjects * 2) list.push_back(handle);
    }
    bool Full(Kind kind) const { return g_state->made[kind].size() >= kMaxObjects; }

    // A file name: mostly the scratch texture, else a missing file, "None", "", NULL or a few
    // input bytes inside the scratch folder.
    const char* File() {
        const uint8_t b = in_.Byte();
        switch (b % 8) {
        case 0:
        case 1:
        case 2:
            return g_files.texture.c_str();
        case 3:
            return g_files.missing.c_str();
        case 4:
            return "None";
        case 5:
            return "";
        case 6:
            return b & 8 ? nullptr : g_files.heightMap.c_str();
        default:
            text_ = g_files.dir + "/" + Text(8);
            return text_.c_str();
        }
    }
    // Up to `most` printable or odd bytes (never a '/': names stay in the scratch folder).
    std::string Text(int most) {
        std::string t;
        const int n = in_.Below(most + 1);
        for (int i = 0; i < n; ++i) {
            char c = char(in_.Byte());
            t += c == '/' || c == 0 ? 'x' : c;
        }
        return t;
    }
    const char* Name() {
        name_ = Text(12);
        return in_.Byte() == 255 ? nullptr : name_.c_str();
    }

    void SetRecipe(Callback which) {
        Recipe& r = g_recipes[which];
        r.period = in_.Byte() % 6;
        for (uint8_t& b : r.program)
            b = in_.Byte();
    }

    void Post(uint32_t message, quarn::WParam w, quarn::LParam l) {
        if (w == 27) w = 26; // any message with 27 ends the loop: the program ends it itself
        g_state->script->messages.push_back(quarn::WindowMessage{message, w, l});
    }

    // Mesh arrays whose counts match the buffers passed; only the indices and materials vary.
    int32_t MeshArrays(bool dynamic, TQGLHandle object) {
        const int32_t vertexCount = in_.Below(9), faceCount = in_.Below(7);
        std::array<TQUARNVector, 8> v{}, n{}, t{};
        for (int32_t i = 0; i < vertexCount; ++i) {
            v[i] = TQUARNVector{in_.Float(), in_.Float(), in_.Float()};
            n[i] = TQUARNVector{0, 1, 0};
            t[i] = TQUARNVector{in_.Float(), in_.Float(), 0};
        }
        std::array<int32_t, 18> faces{}, materials{};
        for (int32_t i = 0; i < 3 * faceCount; ++i) {
            const uint8_t pick = in_.Byte();
            faces[i] = pick < 240 ? pick % 9 : in_.Int();
        }
        for (int32_t i = 0; i < faceCount; ++i)
            materials[i] = in_.Byte() < 200 ? in_.Below(6) : in_.Int();
        const uint8_t arrays = in_.Byte();
        // A count of -1 is checked by the export itself; any other count matches its buffer.
        const int32_t vc = arrays & 64 ? -1 : vertexCount, fc = arrays & 128 ? -1 : faceCount;
        const TQUARNVector* vertices = arrays & 1 && vertexCount > 0 ? nullptr : v.data();
        const TQUARNVector* normals = arrays & 2 ? nullptr : n.data();
        const TQUARNVector* coords = arrays & 4 ? nullptr : t.data();
        const int32_t* faceArray = arrays & 8 && faceCount > 0 ? nullptr : faces.data();
        const int32_t* materialArray = arrays & 16 ? nullptr : materials.data();
        in_.TakeNonFinite(); // refused, but so is much else here
        return dynamic ? qglAddDynamicMeshArrays(object, vc, vertices, normals, coords, fc,
                                                 faceArray, materialArray)
                       : qglAddStaticMeshArrays(object, vc, vertices, normals, coords, fc,
                                                faceArray, materialArray);
    }

    // The data the face getters hand out must be readable as far as their counts go.
    static void ReadFaceData(const TQUARNFaceData* data) {
        if (!data) return;
        volatile float sum = 0;
        for (int32_t i = 0; i < data->VertexCount; ++i)
            sum = sum + data->Vertices[i].x + data->Vertices[i].y + data->Vertices[i].z;
        for (int32_t i = 0; i < data->FaceCount; ++i)
            sum = sum + float(data->Faces[i].a + data->Faces[i].b + data->Faces[i].c);
    }
    static void ReadFaces(int32_t count, const int32_t* a, const int32_t* b, const int32_t* c) {
        volatile int32_t sum = 0;
        for (int32_t i = 0; i < 3 * count; ++i)
            sum = sum + (a ? a[i] : 0) + (b ? b[i] : 0) + (c ? c[i] : 0);
    }

    // One call. A call that had to fail (bad input of the kinds above) must leave a last error.
    void Step();

  private:
    ApiProgram& in_;
    std::string text_, name_;
};

void RunRecipe(Callback which) {
    Recipe& r = g_recipes[which];
    if (!g_state || r.period == 0 || g_state->depth >= kMaxCallbackDepth) return;
    if (++r.calls % r.period != 0) return;
    ++g_state->depth;
    ApiProgram program(r.program.data(), r.program.size());
    Runner runner(program);
    for (int i = 0; i < 3 && !program.AtEnd(); ++i)
        runner.Step();
    --g_state->depth;
}

void QUARN_CALL OnKeyHeld(int32_t* key) {
    volatile int32_t k = *key;
    (void)k;
    RunRecipe(kKeyHeld);
}
void QUARN_CALL OnKeyUp(int32_t* key) {
    *key = *key; // a pointer into the registered keys: readable and writable
    RunRecipe(kKeyUp);
}
void QUARN_CALL OnMouseMove(float, float, float, float) {
    RunRecipe(kMouseMove);
}
void QUARN_CALL OnMouseDown(int32_t, float, float, float, float) {
    RunRecipe(kMouseDown);
}
void QUARN_CALL OnMouseUp(int32_t) {
    RunRecipe(kMouseUp);
}
void QUARN_CALL OnWheel(float) {
    RunRecipe(kWheel);
}
void QUARN_CALL OnMessage(const char* caption, const char* text) {
    volatile size_t n = std::strlen(caption) + std::strlen(text);
    (void)n;
    RunRecipe(kMessage);
}

void Runner::Step() {
    State& s = *g_state;
    const int op = in_.Byte() % kOpCount;
    s.bad = false;
    in_.TakeNonFinite();
    qglClearLastError();
    bool mustFail = true; // cleared below for calls whose contract lets them ignore bad input
    float f3[3] = {-7, -7, -7};
    float m16[16];
    switch (op) {
    case kFrame:
        if (s.depth == 0) throw int(in_.Bool()); // the slice ends: see RunSlice
        return;
    case kCreateSceneWindow: // refused while the loop runs
        if (qglCreateSceneWindow(64, 64, 32, 0, nullptr, nullptr, nullptr) != -1 ||
            !qglGetLastError())
            Fail("a nested scene window was accepted", op);
        return;
    case kTitle: {
        const char* t = Name();
        if (in_.Bool()) qglSetSceneTitle(t);
        const char* got = qglGetSceneTitle();
        if (got) (void)std::strlen(got);
        return;
    }
    case kKeyCallbacks:
        SetRecipe(kKeyHeld);
        SetRecipe(kKeyUp);
        qglSetSceneKeyCallbacks(in_.Bool() ? OnKeyHeld : nullptr, in_.Bool() ? OnKeyUp : nullptr);
        return;
    case kRegisterKey: {
        const int32_t key = in_.Byte() < 200 ? in_.Below(64) + 32 : in_.Int();
        if (in_.Bool())
            qglRegisterSceneKey(key);
        else
            qglUnRegisterSceneKey(key);
        return;
    }
    case kKeyState: {
        const uint8_t key = in_.Byte();
        if (in_.Bool()) qglSetSceneKeyState(key, in_.Byte());
        qglGetSceneKeyState(key);
        return;
    }
    case kMouseCallbacks:
        SetRecipe(kMouseMove);
        SetRecipe(kMouseDown);
        SetRecipe(kMouseUp);
        SetRecipe(kWheel);
        qglSetSceneMouseCallbacks(in_.Bool() ? OnMouseMove : nullptr,
                                  in_.Bool() ? OnMouseDown : nullptr,
                                  in_.Bool() ? OnMouseUp : nullptr);
        qglSetSceneMouseWheelCallback(in_.Bool() ? OnWheel : nullptr);
        return;
    case kMessageCallback:
        SetRecipe(kMessage);
        qglSetMessageCallBack(in_.Bool() ? OnMessage : nullptr);
        return;
    case kPostMessage: {
        using namespace quarn;
        const uint8_t kind = in_.Byte();
        const uint8_t w = in_.Byte();
        const LParam at = MakeLParam(in_.Byte() * 4, in_.Byte() * 4);
        static const uint32_t kMouse[] = {WM_MOUSEMOVE,   WM_LBUTTONDOWN, WM_LBUTTONUP,
                                          WM_RBUTTONDOWN, WM_RBUTTONUP,   WM_MBUTTONDOWN,
                                          WM_MBUTTONUP};
        switch (kind % 5) {
        case 0:
            Post(kMouse[w % 7], 0, at);
            break;
        case 1:
            Post(in_.Bool() ? WM_KEYDOWN : WM_KEYUP, in_.Byte() < 240 ? w : 256 + w, 0);
            break;
        case 2:
            Post(WM_MOUSEWHEEL, WParam(uint16_t(int16_t(int8_t(w)) * 40)) << 16, at);
            break;
        case 3: // a window the user resized: 1 to 1024 pixels a side
            Post(WM_SIZE, 0, MakeLParam(1 + in_.Byte() * 4, 1 + in_.Byte() * 4));
            break;
        default:
            Post(WM_TIMER, w & 1 ? kFrameRateTimerId : w, 0);
            break;
        }
        return;
    }
    case kCursor: {
        const uint8_t which = in_.Byte();
        int32_t x = -7, y = -7;
        if (which % 4 == 0) qglSetSceneCursorVisibility(in_.Byte());
        if (which % 4 == 1) qglSetSceneMousePosition(in_.Int(), in_.Int());
        if (which % 4 == 2) qglSetSceneMousePositionToCenter();
        qglGetSceneMousePosition(which & 4 ? nullptr : &x, which & 8 ? nullptr : &y);
        return;
    }
    case kWindowGetters: {
        volatile uint32_t sum = uint32_t(qglGetSceneActualWidth() + qglGetSceneActualHeight() +
                                         qglGetScenePixelDepth() + qglGetSceneFullScreen()) +
                                qglGetSceneStartTicks() + qglGetSceneElapsedTicks() +
                                qglGetSceneFrameTicks() + qglGetSceneFrameTime();
        (void)sum;
        if (const char* fps = qglGetSceneFPSString()) (void)std::strlen(fps);
        if (!qglGetSceneDeviceContext() || !qglGetSceneRenderingContext() ||
            !qglGetSceneWindowHandle())
            Fail("a native handle of the running window is NULL", op);
        (void)qglGetOpenGLLibHandle();
        return;
    }
    case kScreenshot:
        if (in_.Bool()) {
            qglCopySceneScreenToBitmapFile(in_.Byte() == 255 ? nullptr : g_files.shot.c_str());
        } else {
            const int32_t x = in_.Int(), y = in_.Int(), w = in_.Int(), h = in_.Int();
            qglCopySceneScreenPartToBitmapFile(g_files.shot.c_str(), x, y, w, h);
        }
        return;
    case kStaticTerrain: {
        if (Full(kStatic)) return;
        const char* file = in_.Bool() ? g_files.heightMap.c_str() : File();
        const int32_t cell = in_.Int(), scale = in_.Int();
        const double unused = in_.Float(); // the ignored doubles are not checked
        in_.TakeNonFinite();
        TQGLHandle t =
            qglAddStaticObjectTerrain(file, nullptr, "x", cell, scale, unused, unused, -unused, 0);
        Remember(kStatic, t, op);
        return;
    }
    case kStaticAdd: {
        if (Full(kStatic)) return;
        const int32_t index = qglAddStaticObject();
        if (index < 0) Fail("adding a static object failed", op);
        Remember(kStatic, qglGetStaticObject(index), op);
        return;
    }
    case kStaticGet: {
        const int32_t count = qglGetStaticObjectCount();
        const int32_t index = in_.Byte() < 200 ? in_.Below(count + 1) : in_.Int();
        TQGLHandle h = qglGetStaticObject(index);
        if ((h == nullptr) != (index < 0 || index >= count))
            Fail("a static object outside the list or none inside it", op);
        if (h) Remember(kStatic, h, op);
        return;
    }
    case kStaticBuildOctree:
        qglBuildStaticOctree(Handle(kStatic));
        mustFail = s.bad;
        break;
    case kStaticDelete:
        qglDeleteStaticObject(Handle(kStatic));
        break;
    case kStaticMeshValue:
    case kDynamicMeshValue: {
        const bool dynamic = op == kDynamicMeshValue;
        TQGLHandle h = Handle(dynamic ? kDynamic : kStatic);
        const uint8_t which = in_.Byte() % 6;
        const float x = in_.Float(), y = in_.Float(), z = in_.Float();
        using Add = int32_t(QUARN_CALL*)(TQGLHandle, float, float, float);
        static const Add kStaticAdds[] = {
            qglAddStaticMeshVector,       qglAddStaticMeshNormal,
            qglAddStaticMeshTexCoord,     qglAddStaticUniqueMeshVector,
            qglAddStaticUniqueMeshNormal, qglAddStaticUniqueMeshTexCoord};
        static const Add kDynamicAdds[] = {
            qglAddDynamicMeshVector,       qglAddDynamicMeshNormal,
            qglAddDynamicMeshTexCoord,     qglAddDynamicUniqueMeshVector,
            qglAddDynamicUniqueMeshNormal, qglAddDynamicUniqueMeshTexCoord};
        const int32_t index = (dynamic ? kDynamicAdds : kStaticAdds)[which](h, x, y, z);
        if ((index < 0) != (qglGetLastError() != nullptr))
            Fail("a mesh value's index and its error disagree", op);
        break;
    }
    case kStaticFace:
        qglAddStaticFace(Handle(kStatic));
        break;
    case kDynamicFace:
        qglAddDynamicFace(Handle(kDynamic));
        break;
    case kStaticFaceIndex:
    case kDynamicFaceIndex: {
        const bool dynamic = op == kDynamicFaceIndex;
        TQGLHandle h = Handle(dynamic ? kDynamic : kStatic);
        const uint8_t which = in_.Byte() % 4;
        const int32_t face = in_.Byte() < 200 ? in_.Below(8) : in_.Int();
        const int32_t index = in_.Byte() < 200 ? in_.Below(10) - 1 : in_.Int();
        using Set = void(QUARN_CALL*)(TQGLHandle, int32_t, int32_t);
        static const Set kStaticSets[] = {qglAddStaticFaceVectorIndex, qglAddStaticFaceNormalIndex,
                                          qglAddStaticFaceTexCoordIndex,
                                          qglAddStaticFaceMaterialIndex};
        static const Set kDynamicSets[] = {
            qglAddDynamicFaceVectorIndex, qglAddDynamicFaceNormalIndex,
            qglAddDynamicFaceTexCoordIndex, qglAddDynamicFaceMaterialIndex};
        (dynamic ? kDynamicSets : kStaticSets)[which](h, face, index);
        break;
    }
    case kStaticMeshArrays:
    case kDynamicMeshArrays: {
        const bool dynamic = op == kDynamicMeshArrays;
        TQGLHandle h = Handle(dynamic ? kDynamic : kStatic);
        const bool bad = s.bad;
        const int32_t first = MeshArrays(dynamic, h);
        if (bad && (first != -1 || !qglGetLastError())) Fail("mesh arrays on a bad handle", op);
        if ((first < 0) != (qglGetLastError() != nullptr))
            Fail("mesh arrays' result and error disagree", op);
        return;
    }
    case kStaticReadFaces:
    case kDynamicReadFaces: {
        const bool dynamic = op == kDynamicReadFaces;
        TQGLHandle h = Handle(dynamic ? kDynamic : kStatic);
        if (in_.Bool()) {
            ReadFaceData(dynamic ? qglGetDynamicFaceData(h) : qglGetStaticFaceData(h));
        } else {
            int32_t count = 0, *a = nullptr, *b = nullptr, *c = nullptr;
            TQUARNVector *v = nullptr, *n = nullptr, *t = nullptr;
            if (dynamic)
                qglGetDynamicFaces(h, &count, &a, &b, &c, &v, &n, &t);
            else
                qglGetStaticFaces(h, &count, &a, &b, &c, &v, &n, &t);
            ReadFaces(count, a, b, c);
        }
        break;
    }
    case kStaticFlags: {
        TQGLHandle h = Handle(kStatic);
        const uint8_t which = in_.Byte(), flag = in_.Byte();
        using SetFlag = void(QUARN_CALL*)(TQGLHandle, uint8_t);
        using GetFlag = uint8_t(QUARN_CALL*)(TQGLHandle);
        static const SetFlag kSets[] = {qglSetStaticVisibleFlag, qglSetStaticWireframeFlag,
                                        qglSetStaticShowOcclusionNodesFlag,
                                        qglSetStaticDrawNormalsFlag};
        static const GetFlag kGets[] = {qglGetStaticVisibleFlag, qglGetStaticWireframeFlag,
                                        qglGetStaticShowOcclusionNodesFlag,
                                        qglGetStaticDrawNormalsFlag};
        if (which & 4) kSets[which % 4](h, flag);
        kGets[which % 4](h);
        break;
    }
    case kDynamicPredefined: {
        if (Full(kDynamic)) return;
        const uint8_t kind =
            in_.Byte() < 200 ? (in_.Bool() ? QGL_SHAPE_BOX : QGL_SHAPE_QUAD) : in_.Byte();
        TQGLHandle material = Handle(kMaterial); // any pointer is allowed here
        s.bad = false;
        float v[9];
        for (float& x : v)
            x = in_.Float();
        TQGLHandle h = qglLoadDynamicPredefined(kind, material, v[0], v[1], v[2], v[3], v[4], v[5],
                                                v[6], v[7], v[8]);
        const bool nonFinite = in_.TakeNonFinite();
        if (nonFinite && h) Fail("a non-finite shape was made", op);
        if (h || nonFinite || kind == QGL_SHAPE_BOX || kind == QGL_SHAPE_QUAD)
            Remember(kDynamic, h, op);
        return;
    }
    case kDynamicAdd: {
        if (Full(kDynamic)) return;
        const int32_t index = qglAddDynamicObject();
        if (index < 0) Fail("adding a dynamic object failed", op);
        Remember(kDynamic, qglGetDynamicObject(index), op);
        return;
    }
    case kDynamicGet: {
        const int32_t count = qglGetDynamicObjectCount();
        const int32_t index = in_.Byte() < 200 ? in_.Below(count + 1) : in_.Int();
        TQGLHandle h = qglGetDynamicObject(index);
        if ((h == nullptr) != (index < 0 || index >= count))
            Fail("a dynamic object outside the list or none inside it", op);
        if (h) Remember(kDynamic, h, op);
        return;
    }
    case kDynamicProxy: {
        if (Full(kDynamic)) return;
        TQGLHandle source = Handle(kDynamic);
        TQGLHandle h = qglAddDynamicProxyObject(source, in_.Byte());
        if (s.bad && h) Fail("a proxy of a bad handle", op);
        Remember(kDynamic, h, op);
        return;
    }
    case kDynamicDelete:
        qglDeleteDynamicObject(Handle(kDynamic));
        break;
    case kDynamicPlace: {
        TQGLHandle h = Handle(kDynamic);
        const uint8_t which = in_.Byte();
        const float x = in_.Float(), y = in_.Float(), z = in_.Float();
        if (which % 3 == 0) qglSetDynamicPosition(h, x, y, z);
        if (which % 3 == 1) qglSetDynamicRotation(h, x, y, z);
        if (which % 3 == 2) { // one angle: y and z go unused
            in_.TakeNonFinite();
            if (!std::isfinite(x)) s.bad = true; // must fail all the same
            const int k = which / 3 % 3;
            if (k == 0) qglSetDynamicPitch(h, x);
            if (k == 1) qglSetDynamicYaw(h, x);
            if (k == 2) qglSetDynamicRoll(h, x);
        }
        break;
    }
    case kDynamicAngles: {
        TQGLHandle h = Handle(kDynamic);
        const uint8_t nil = in_.Byte();
        qglGetDynamicPosition(h, nil & 1 ? nullptr : f3);
        qglGetDynamicRotation(h, nil & 2 ? nullptr : &f3[0], &f3[1], nil & 4 ? nullptr : &f3[2]);
        const float sum = qglGetDynamicPitch(h) + qglGetDynamicYaw(h) + qglGetDynamicRoll(h);
        if (!qglGetLastError() && !std::isfinite(sum)) Fail("a stored angle is not finite", op);
        break;
    }
    case kDynamicMatrix: {
        TQGLHandle h = Handle(kDynamic);
        if (in_.Bool()) {
            qglGetDynamicMatrix(in_.Byte() == 255 ? nullptr : m16, h);
            break;
        }
        const uint8_t shape = in_.Byte();
        for (int i = 0; i < 16; ++i) // a translation, sometimes any numbers
            m16[i] = shape < 128 ? (i % 5 == 0 ? 1.0f : 0.0f) : in_.Float();
        if (shape < 128)
            for (int i = 12; i < 15; ++i)
                m16[i] = in_.Float();
        const bool nilMatrix = in_.Byte() == 255;
        s.bad |= nilMatrix;
        qglSetDynamicMatrix(h, nilMatrix ? nullptr : m16, in_.Byte());
        break;
    }
    case kDynamicBillboard: {
        TQGLHandle h = Handle(kDynamic);
        const uint8_t which = in_.Byte() % 8;
        // Only the numbers the call takes are drawn, so a non-finite one is always passed.
        static const int kTaken[8] = {0, 0, 3, 3, 3, 6, 9, 0};
        float v[9] = {};
        for (int i = 0; i < kTaken[which]; ++i)
            v[i] = in_.Float();
        switch (which) {
        case 0:
            qglSetDynamicBillboardFlag(h, in_.Byte());
            in_.TakeNonFinite();
            break;
        case 1:
            qglSetDynamicBillboardType(h, in_.Byte());
            in_.TakeNonFinite();
            break;
        case 2:
            qglSetDynamicBillboardAxis(h, v[0], v[1], v[2]);
            break;
        case 3:
            qglSetDynamicBillBoardCamPos(h, v[0], v[1], v[2]);
            break;
        case 4:
            qglSetDynamicBillBoardCamUp(h, v[0], v[1], v[2]);
            break;
        case 5:
            qglSetDynamicBillboardProp(h, in_.Byte(), v[0], v[1], v[2], v[3], v[4], v[5]);
            break;
        case 6:
            qglSetDynamicBillboardPropAxis(h, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]);
            break;
        default:
            in_.TakeNonFinite();
            qglGetDynamicBillboardAxis(h, &f3[0], &f3[1], &f3[2]);
            qglGetDynamicBillBoardCamPos(h, &f3[0], nullptr, &f3[2]);
            qglGetDynamicBillBoardCamUp(h, nullptr, &f3[1], &f3[2]);
            qglGetDynamicBillboardFlag(h);
            qglGetDynamicBillboardType(h);
            break;
        }
        break;
    }
    case kDynamicFlags: {
        TQGLHandle h = Handle(kDynamic);
        const uint8_t which = in_.Byte(), flag = in_.Byte();
        using SetFlag = void(QUARN_CALL*)(TQGLHandle, uint8_t);
        using GetFlag = uint8_t(QUARN_CALL*)(TQGLHandle);
        static const SetFlag kSets[] = {qglSetDynamicVisibleFlag, qglSetDynamicWireframeFlag,
                                        qglSetDynamicShowOcclusionNodesFlag,
                                        qglSetDynamicDrawNormalsFlag};
        static const GetFlag kGets[] = {qglGetDynamicVisibleFlag, qglGetDynamicWireframeFlag,
                                        qglGetDynamicShowOcclusionNodesFlag,
                                        qglGetDynamicDrawNormalsFlag};
        if (which & 4) kSets[which % 4](h, flag);
        kGets[which % 4](h);
        break;
    }
    case kMaterialAdd:
        if (Full(kMaterial)) return;
        Remember(kMaterial, qglAddMaterial(Name()), op);
        return;
    case kMaterialIndex: {
        const int32_t index = qglGetMaterialIndex(Handle(kMaterial));
        if (s.bad && index != -1) Fail("a bad material has an index", op);
        break;
    }
    case kMaterialColour: {
        TQGLHandle m = Handle(kMaterial);
        const uint8_t which = in_.Byte();
        using SetColour = void(QUARN_CALL*)(TQGLHandle, float, float, float);
        using GetColour = void(QUARN_CALL*)(TQGLHandle, float*, float*, float*);
        static const SetColour kSets[] = {qglSetMaterialAmbient, qglSetMaterialDiffuse,
                                          qglSetMaterialEmmisive, qglSetMaterialSpecular};
        static const GetColour kGets[] = {qglGetMaterialAmbient, qglGetMaterialDiffuse,
                                          qglGetMaterialEmmisive, qglGetMaterialSpecular};
        if (which & 4) {
            const float r = in_.Float(), g = in_.Float(), b = in_.Float();
            kSets[which % 4](m, r, g, b);
        } else {
            kGets[which % 4](m, &f3[0], which & 8 ? nullptr : &f3[1], &f3[2]);
        }
        break;
    }
    case kMaterialGlobalEmissive: {
        const float r = in_.Float(), g = in_.Float(), b = in_.Float();
        qglSetMaterialGlobalEmmisive(r, g, b);
        break;
    }
    case kMaterialGloss: {
        TQGLHandle m = Handle(kMaterial);
        if (in_.Bool())
            qglSetMaterialGloss(m, in_.Float());
        else
            qglGetMaterialGloss(m, in_.Bool() ? nullptr : &f3[0]);
        break;
    }
    case kMaterialBlend: {
        TQGLHandle m = Handle(kMaterial);
        const uint8_t which = in_.Byte();
        static const uint32_t kFactors[] = {QGL_BLEND_ZERO,      QGL_BLEND_ONE,
                                            QGL_BLEND_SRC_ALPHA, QGL_BLEND_ONE_MINUS_SRC_ALPHA,
                                            QGL_BLEND_DST_COLOR, 0xFFFFFFFFu};
        const uint32_t src = kFactors[in_.Byte() % 6], dst = kFactors[in_.Byte() % 6];
        switch (which % 5) {
        case 0:
            qglSetMaterialBlendData(m, in_.Byte(), src, dst);
            break;
        case 1:
            qglSetMaterialBlendSource(m, src);
            break;
        case 2:
            qglSetMaterialBlendDest(m, dst);
            break;
        case 3:
            qglSetMaterialBlendFlag(m, in_.Byte());
            break;
        default:
            qglGetMaterialBlendSource(m);
            qglGetMaterialBlendDest(m);
            qglGetMaterialBlendFlag(m);
            break;
        }
        break;
    }
    case kMaterialFlags: {
        TQGLHandle m = Handle(kMaterial);
        const uint8_t which = in_.Byte(), flag = in_.Byte();
        if (which % 3 == 0) qglSetMaterialLightFlag(m, flag);
        if (which % 3 == 1) qglSetMaterialShowFogFlag(m, flag);
        if (which % 3 == 2) qglGetMaterialLightFlag(m);
        break;
    }
    case kMaterialTexStage: {
        TQGLHandle m = Handle(kMaterial);
        const char* file = File();
        qglAddMaterialTexShader(m, file, in_.Byte() < 200 ? in_.Below(4) : in_.Int());
        mustFail = s.bad;
        break;
    }
    case kMaterialRenderTarget: {
        TQGLHandle m = Handle(kMaterial);
        const int32_t size = in_.Byte() < 200 ? 1 << in_.Below(9) : in_.Int();
        TQGLHandle t = qglAddMaterialRenderTargetShader(m, size);
        if (!s.bad && size >= 1 && size <= 8192 && !t) Fail("no render target of a good size", op);
        if (t) Remember(kTexture, t, op);
        break;
    }
    case kMaterialStageCount:
        if (qglGetMaterialShaderCount(Handle(kMaterial)) < 0 && !qglGetLastError())
            Fail("a negative stage count", op);
        break;
    case kMaterialDeleteStage: {
        TQGLHandle m = Handle(kMaterial);
        qglDeleteMaterialShader(m, in_.Byte() < 200 ? in_.Below(5) - 1 : in_.Int());
        mustFail = s.bad;
        break;
    }
    case kMaterialSphereStage: {
        TQGLHandle m = Handle(kMaterial);
        const char* file = File();
        const int32_t filter = in_.Byte() < 200 ? in_.Below(4) : in_.Int();
        qglAddMaterialSphereShader(m, file, filter, in_.Bool() ? QGL_TEXENV_MODULATE : in_.Int());
        mustFail = s.bad;
        break;
    }
    case kMaterialCubeStage: {
        TQGLHandle m = Handle(kMaterial);
        std::array<std::string, 6> faces;
        for (std::string& f : faces) {
            const char* name = File();
            f = name ? name : "";
        }
        qglAddMaterialCubeShader(m, faces[0].c_str(), faces[1].c_str(), faces[2].c_str(),
                                 faces[3].c_str(), faces[4].c_str(), faces[5].c_str(),
                                 in_.Below(4));
        mustFail = s.bad;
        break;
    }
    case kMaterialAnimStage: {
        TQGLHandle m = Handle(kMaterial);
        const int32_t stage = in_.Byte() < 200 ? in_.Below(4) : in_.Int();
        const char* file = File();
        const int32_t interval = in_.Int();
        qglAddMaterialAnimTexShader(m, stage, file, in_.Int(), interval,
                                    in_.Bool() ? 0x84C0u + in_.Below(5) : uint32_t(in_.Int()));
        mustFail = s.bad;
        break;
    }
    case kMaterialGLSLStage: {
        TQGLHandle m = Handle(kMaterial);
        const char* vertex = in_.Bool() ? g_files.vertexShader.c_str() : File();
        std::string v = vertex ? vertex : "";
        const char* fragment = in_.Bool() ? g_files.fragmentShader.c_str() : File();
        qglAddMaterialGLSLShader(m, vertex ? v.c_str() : nullptr, fragment);
        mustFail = s.bad; // the recording GL compiles nothing: the stage fails but stays
        break;
    }
    case kMaterialGLSLTexture: {
        TQGLHandle m = Handle(kMaterial);
        const char* file = File();
        const int32_t filter = in_.Below(4);
        qglAddMaterialGLSLShaderTexture(m, file, filter, 0x84C0u + uint32_t(in_.Below(6)));
        mustFail = s.bad;
        break;
    }
    case kMaterialGLSLValue: {
        TQGLHandle m = Handle(kMaterial);
        const char* name = Name();
        const uint8_t which = in_.Byte() % 15;
        float v[16];
        for (int i = 0; i < 16; ++i)
            v[i] = i < 4 || which >= 12 ? in_.Float() : 0.0f;
        const int32_t a = in_.Int(), b = in_.Int(), c = in_.Int(), d = in_.Int();
        switch (which) {
        case 0:
            qglSetMaterialGLSLShaderValf(m, name, v[0]);
            break;
        case 1:
            qglSetMaterialGLSLShaderVal2f(m, name, v[0], v[1]);
            break;
        case 2:
            qglSetMaterialGLSLShaderVal3f(m, name, v[0], v[1], v[2]);
            break;
        case 3:
            qglSetMaterialGLSLShaderVal4f(m, name, v[0], v[1], v[2], v[3]);
            break;
        case 4:
            qglSetMaterialGLSLShaderVali(m, name, a);
            break;
        case 5:
            qglSetMaterialGLSLShaderVal2i(m, name, a, b);
            break;
        case 6:
            qglSetMaterialGLSLShaderVal3i(m, name, a, b, c);
            break;
        case 7:
            qglSetMaterialGLSLShaderVal4i(m, name, a, b, c, d);
            break;
        case 8:
            qglSetMaterialGLSLShaderValb(m, name, uint8_t(a));
            break;
        case 9:
            qglSetMaterialGLSLShaderVal2b(m, name, uint8_t(a), uint8_t(b));
            break;
        case 10:
            qglSetMaterialGLSLShaderVal3b(m, name, uint8_t(a), uint8_t(b), uint8_t(c));
            break;
        case 11:
            qglSetMaterialGLSLShaderVal4b(m, name, uint8_t(a), uint8_t(b), uint8_t(c), uint8_t(d));
            break;
        case 12:
            qglSetMaterialGLSLShaderValMat2f(m, name, in_.Byte() == 255 ? nullptr : v);
            break;
        case 13:
            qglSetMaterialGLSLShaderValMat3f(m, name, in_.Byte() == 255 ? nullptr : v);
            break;
        default:
            qglSetMaterialGLSLShaderValMat4f(m, name, in_.Byte() == 255 ? nullptr : v);
            break;
        }
        // Only the values a call keeps are checked (a matrix's unused tail is not).
        const bool nonFinite = in_.TakeNonFinite();
        const int kept = which < 4 ? int(which) + 1 : which == 12 ? 4 : which == 13 ? 9 : 16;
        bool keptNonFinite = false;
        for (int i = 0; i < kept && (which < 4 || which >= 12); ++i)
            keptNonFinite |= !std::isfinite(v[i]);
        (void)nonFinite;
        if (s.bad && !qglGetLastError()) Fail("a GLSL value on a bad handle was accepted", op);
        if (keptNonFinite && !qglGetLastError()) Fail("a non-finite GLSL value was kept", op);
        return;
    }
    case kMaterialBumpStage: {
        TQGLHandle m = Handle(kMaterial);
        const char* colour = File();
        std::string c = colour ? colour : "";
        const char* normals = File();
        qglAddMaterialBumpShader(m, colour ? c.c_str() : nullptr, normals, in_.Below(4));
        mustFail = s.bad;
        break;
    }
    case kBumpLight: {
        const float x = in_.Float(), y = in_.Float(), z = in_.Float();
        qglSetSceneBumpLight(x, y, z, in_.Byte());
        break;
    }
    case kCameraSet: {
        const uint8_t which = in_.Byte() % 3;
        const float x = in_.Float(), y = in_.Float(), z = in_.Float();
        if (which == 0) qglSetCameraPosition(x, y, z);
        if (which == 1) qglSetCameraDirection(x, y, z);
        if (which != 2) break;
        qglSetCameraSpeed(x); // y and z go unused
        in_.TakeNonFinite();
        if (!std::isfinite(x) && !qglGetLastError()) Fail("a non-finite camera speed was kept", op);
        return;
    }
    case kCameraGet: {
        // Each value on its own: large finite values may not sum to a finite one.
        float out[7] = {0, 0, 0, 0, 0, 0, 0};
        qglGetCameraPosition(in_.Bool() ? nullptr : out);
        qglGetCameraDirection(out + 3);
        out[6] = qglGetCameraSpeed();
        for (float v : out)
            if (!std::isfinite(v)) Fail("the camera holds a non-finite number", op);
        return;
    }
    case kCameraMove: {
        const float amount = in_.Float();
        if (in_.Bool())
            qglMoveCamera(amount);
        else
            qglStrafeCamera(amount);
        break;
    }
    case kCameraMouseLook:
        qglMouseLookCamera(in_.Int(), in_.Int());
        return;
    case kCameraProjection: {
        const float fov = in_.Float(), n = in_.Float(), f = in_.Float();
        qglSetCameraProjection(fov, n, f);
        const bool good = fov > 0 && fov < 180 && n > 0 && n < f && std::isfinite(f);
        in_.TakeNonFinite();
        if (!good && !qglGetLastError()) Fail("a bad projection was accepted", op);
        return;
    }
    case kFog: {
        const uint8_t which = in_.Byte() % 6;
        float c[4];
        for (float& x : c)
            x = in_.Float();
        switch (which) {
        case 0:
            qglSetEnvironmentFogColor(c[0], c[1], c[2], c[3]);
            break;
        case 1:
            qglSetEnvironmentFogClearColor(c[0], c[1], c[2], c[3]);
            break;
        case 2:
            qglSetEnvironmentFogDensity(c[0]);
            in_.TakeNonFinite();
            if (!std::isfinite(c[0]) && !qglGetLastError()) Fail("non-finite fog density", op);
            return;
        case 3:
            in_.TakeNonFinite();
            qglSetEnvironmentFogMode(in_.Bool() ? QGL_FOG_LINEAR : uint32_t(in_.Int()));
            break;
        case 4:
            in_.TakeNonFinite();
            qglSetEnvironmentFogVisibleFlag(in_.Byte());
            break;
        default: {
            in_.TakeNonFinite();
            float got[8];
            qglGetEnvironmentFogColor(&got[0], &got[1], nullptr, &got[3]);
            qglGetEnvironmentFogClearColor(&got[4], &got[5], &got[6], &got[7]);
            qglGetEnvironmentFogMode();
            qglGetEnvironmentFogVisibleFlag();
            if (!std::isfinite(qglGetEnvironmentFogDensity() + got[0] + got[1] + got[3] + got[4] +
                               got[5] + got[6] + got[7]))
                Fail("the fog holds a non-finite number", op);
            break;
        }
        }
        break;
    }
    case kSkyBox:
        if (in_.Bool()) {
            if (++s.fileLoads > kMaxFileLoads) return;
            std::array<std::string, 6> f;
            for (std::string& name : f) {
                const char* n = File();
                name = n ? n : "";
            }
            qglInitEnvironmentSkybox(f[0].c_str(), f[1].c_str(), f[2].c_str(), f[3].c_str(),
                                     f[4].c_str(), f[5].c_str());
        } else {
            qglSetEnvironmentSkyboxVisibleFlag(in_.Byte());
            qglGetEnvironmentSkyboxVisibleFlag();
        }
        return;
    case kLensFlare: {
        const uint8_t which = in_.Byte() % 5;
        if (which == 0) {
            if (++s.fileLoads > kMaxFileLoads) return;
            std::array<std::string, 9> f;
            for (std::string& name : f) {
                const char* n = File();
                name = n ? n : "";
            }
            const int32_t w = in_.Int(), h = in_.Int();
            qglInitEnvironmentLensFlare(f[0].c_str(), f[1].c_str(), f[2].c_str(), f[3].c_str(),
                                        f[4].c_str(), f[5].c_str(), f[6].c_str(), f[7].c_str(),
                                        f[8].c_str(), w, h);
            return;
        }
        if (which == 1) qglSetEnvironmentLensFlareVisibleFlag(in_.Byte());
        if (which == 2) {
            const float x = in_.Float(), y = in_.Float(), z = in_.Float();
            qglSetEnvironmentLensFlareLightPosition(x, y, z);
            break;
        }
        if (which == 3) qglSetEnvironmentLensFlareWinWidthAndHeight(in_.Int(), in_.Int());
        int32_t w = 0, h = 0;
        qglGetEnvironmentLensFlareWinWidthAndHeight(&w, in_.Bool() ? nullptr : &h);
        qglGetEnvironmentLensFlareLightPosition(&f3[0], &f3[1], &f3[2]);
        qglGetEnvironmentLensFlareVisibleFlag();
        return;
    }
    case kSmokeAdd: {
        if (Full(kSmoke)) return;
        float v[11];
        for (float& x : v)
            x = in_.Float();
        const int32_t rate = in_.Int(), life = in_.Int();
        const int32_t last = in_.Byte() < 200 ? in_.Below(40) - 1 : in_.Int();
        if (last > 4096) return; // the pool is the host's to size: keep it cheap
        const int32_t spread = in_.Int(), duration = in_.Int();
        const uint8_t enabled = in_.Byte();
        const char* file = File();
        TQGLHandle h = qglAddDynamicSmokeParticleSystem(v[0], v[1], v[2], v[3], v[4], v[5], v[6],
                                                        v[7], v[8], v[9], v[10], rate, life, last,
                                                        spread, duration, enabled, file);
        if (h && in_.TakeNonFinite()) Fail("a non-finite smoke system was made", op);
        Remember(kSmoke, h, op);
        return;
    }
    case kSmokePosition: {
        TQGLHandle h = Handle(kSmoke);
        const float x = in_.Float(), y = in_.Float(), z = in_.Float();
        qglSetDynamicSmokeParticleSystemAbsPosition(h, x, y, z);
        break;
    }
    case kSmokeEnabled:
        qglSetDynamicSmokeParticleSystemEnabledFlag(Handle(kSmoke), in_.Byte());
        break;
    case kHudAdd: {
        if (Full(kHud)) return;
        const float w = in_.Float(), h = in_.Float(), x = in_.Float(), y = in_.Float();
        const int32_t sw = in_.Int(), sh = in_.Int();
        TQGLHandle material = Handle(kMaterial); // any pointer is allowed here
        s.bad = false;
        TQGLHandle hud = qglAddDynamicHUDObject(w, h, x, y, sw, sh, material);
        if (hud && in_.TakeNonFinite()) Fail("a non-finite HUD object was made", op);
        Remember(kHud, hud, op);
        return;
    }
    case kHudWidth: {
        TQGLHandle h = Handle(kHud);
        qglSetDynamicHudObjectWidth(h, in_.Float());
        break;
    }
    case kHudVisible:
        qglSetDynamicHUDObjectVisibleFlag(Handle(kHud), in_.Byte());
        break;
    case kText: {
        const char* t = Name();
        qglAddSceneText(t, in_.Int(), in_.Int());
        return;
    }
    case kSceneFlags: {
        const uint8_t which = in_.Byte();
        if (which & 1) qglSetSceneShowOcclusionNodesFlag(in_.Byte());
        if (which & 2) qglSetSceneDrawNormalsFlag(in_.Byte());
        qglGetSceneShowOcclusionNodesFlag();
        qglGetSceneDrawNormalsFlag();
        return;
    }
    case kCubeMapToFiles: {
        if (++s.fileLoads > kMaxFileLoads) return;
        const int32_t size = in_.Byte() < 200 ? in_.Below(40) - 1 : in_.Int();
        if (size > 64) return; // six Size x Size files: a big size only costs time
        const int32_t w = in_.Below(200) + 1, h = in_.Below(200) + 1;
        const float x = in_.Float(), y = in_.Float(), z = in_.Float();
        qglRenderSceneCubemapTexturesToFiles(in_.Byte() == 255 ? nullptr : g_files.cubeDir.c_str(),
                                             size, w, h, x, y, z);
        mustFail = false; // checked below: a bad size fails too
        if (in_.TakeNonFinite() && !qglGetLastError()) Fail("a non-finite capture point", op);
        return;
    }
    case kLoaderScreen:
        if (++s.fileLoads > kMaxFileLoads) return;
        qglRenderLoaderScreen(File());
        return;
    case kSelectionAdd:
        qglAddSceneSelected(AnyObject());
        break;
    case kSelectionClear:
        qglClearSceneSelected();
        return;
    case kSelectionMove: {
        const uint8_t which = in_.Byte() % 6;
        const int32_t a = in_.Int(), b = in_.Int();
        const float x = in_.Float(), y = in_.Float(), z = in_.Float();
        switch (which) {
        case 0:
            qglMoveSceneSelected(a, b);
            break;
        case 1:
            qglMoveSceneSelectedX(a);
            break;
        case 2:
            qglMoveSceneSelectedY(a);
            break;
        case 3:
            qglMoveSceneSelectedZ(a);
            break;
        case 4:
            qglMoveSceneSelectedYBySpeed(a, x);
            in_.TakeNonFinite();
            if (!std::isfinite(x) && !qglGetLastError()) Fail("a non-finite speed", op);
            return;
        default:
            qglMoveSceneSelectedByVector(x, y, z);
            break;
        }
        if (which < 4) in_.TakeNonFinite();
        break;
    }
    case kSelectionRotate: {
        const uint8_t which = in_.Byte() % 4;
        const int32_t a = in_.Int(), b = in_.Int();
        if (which == 0) qglRotateSceneSelected(a, b);
        if (which == 1) qglRotateSceneSelectedX(a);
        if (which == 2) qglRotateSceneSelectedY(a);
        if (which == 3) qglRotateSceneSelectedZ(a);
        return;
    }
    case kSelectionScale: {
        const float x = in_.Float(), y = in_.Float(), z = in_.Float();
        qglScaleSceneSelected(x, y, z);
        break;
    }
    case kSelectionDelete:
        qglDeleteSceneSelected();
        return;
    case kMapFlagAndSize:
        if (in_.Bool())
            qglSetSceneMapRenderFlag(in_.Byte());
        else
            qglSetSceneMapTextureDimentions(in_.Byte() < 200 ? in_.Below(300) : in_.Int());
        return;
    case kMapMaterial: {
        TQGLHandle m = Handle(kMaterial);
        qglSetSceneMapMaterial(m);
        mustFail = m != nullptr; // NULL clears the map material
        break;
    }
    case kMapEye: {
        const float x = in_.Float(), y = in_.Float(), z = in_.Float();
        qglSetSceneMapEyePos(x, y, z);
        break;
    }
    case kMapTracked: {
        TQGLHandle h = Handle(kDynamic);
        if (in_.Bool())
            qglAddSceneMapTrackedObject(h, in_.Byte());
        else
            qglDeleteSceneMapTrackedObject(h);
        break;
    }
    case kLoadKSF: {
        if (++s.fileLoads > kMaxFileLoads) return;
        const char* sceneName = in_.Byte() < 200 ? g_files.scene.c_str() : File();
        const std::string sceneCopy = sceneName ? sceneName : ""; // File() reuses its buffer
        const char* scene = sceneName ? sceneCopy.c_str() : nullptr;
        const char* archive = in_.Byte() < 200 ? g_files.archive.c_str() : File();
        TQUARNPointerArray statics = nullptr, dynamics = nullptr, materials = nullptr;
        const uint8_t nil = in_.Byte();
        TQGLHandle last =
            qglLoadSceneKSF(scene, archive, nil & 1 ? nullptr : &statics,
                            nil & 2 ? nullptr : &dynamics, nil & 4 ? nullptr : &materials);
        if (last) Remember(kStatic, last, op);
        for (int32_t i = 0; i < QUARN_ARRAY_COUNT(statics); ++i)
            Remember(kStatic, statics[i], op);
        for (int32_t i = 0; i < QUARN_ARRAY_COUNT(dynamics); ++i)
            Remember(kDynamic, dynamics[i], op);
        for (int32_t i = 0; i < QUARN_ARRAY_COUNT(materials); ++i)
            Remember(kMaterial, materials[i], op);
        return;
    }
    case kImport3DS: {
        if (++s.fileLoads > kMaxFileLoads) return;
        const char* file = in_.Byte() < 200 ? g_files.model.c_str() : File();
        if (in_.Bool()) {
            TQGLHandle h = qglImportStatic3DS(file);
            if (h) Remember(kStatic, h, op);
        } else {
            TQGLHandle h = qglImportDynamic3DS(file);
            if (h) Remember(kDynamic, h, op);
        }
        return;
    }
    case kImportedMaterials: {
        // The array outlives the scene that filled it (its handles are then stale and refused):
        // keep only the current scene's materials.
        TQUARNPointerArray materials = qglGetImportedMaterials();
        for (int32_t i = 0; i < QUARN_ARRAY_COUNT(materials); ++i)
            if (qglGetMaterialIndex(materials[i]) >= 0) Remember(kMaterial, materials[i], op);
        return;
    }
    case kStatistics: {
        int32_t t = -1, n = -1, o = -1;
        const uint8_t nil = in_.Byte();
        qglGetSceneStatistics(nil & 1 ? nullptr : &t, nil & 2 ? nullptr : &n,
                              nil & 4 ? nullptr : &o);
        if (!(nil & 1) && t < 0) Fail("a negative triangle count", op);
        return;
    }
    default:
        return;
    }
    const bool nonFinite = in_.TakeNonFinite();
    if (mustFail && (s.bad || nonFinite) && !qglGetLastError()) {
        char what[96];
        std::snprintf(what, sizeof what, "a call with a %s was accepted",
                      s.bad ? "nil or bad handle or nil pointer" : "non-finite number");
        Fail(what, op);
    }
}

// Runs the program's calls until a frame op (which says whether the next slice runs before or
// after that frame's render) or the end.
void RunSlice() {
    State& s = *g_state;
    if (s.programDone) return;
    Runner runner(*s.program);
    try {
        while (!s.program->AtEnd())
            runner.Step();
        s.programDone = true;
    } catch (int afterRender) {
        s.sliceInAfter = afterRender != 0;
        if (++s.frames >= kMaxFrames) s.programDone = true;
    }
}

// The library after the program: a fresh box in front of a reset camera must be drawn.
void AskForFinalFrame() {
    State& s = *g_state;
    g_recipes = {};
    qglSetMessageCallBack(nullptr);
    qglSetSceneKeyCallbacks(nullptr, nullptr);
    qglSetSceneMouseCallbacks(nullptr, nullptr, nullptr);
    qglSetSceneMouseWheelCallback(nullptr);
    qglClearLastError();
    qglSetCameraProjection(45, 1, 2000);
    qglSetCameraPosition(0, 0, 10);
    qglSetCameraDirection(0, 0, -1);
    s.probe = qglLoadDynamicPredefined(QGL_SHAPE_BOX, nullptr, 0, 0, 0, 0, 0, 0, 1, 1, 1);
    if (!s.probe || qglGetLastError()) Fail("the library stopped making objects", -1);
    s.finalFrameAsked = true;
}

void QUARN_CALL OnInit() {
    RunSlice();
}
void QUARN_CALL OnBefore() {
    State& s = *g_state;
    if (!s.programDone && !s.sliceInAfter) RunSlice();
    if (s.programDone && !s.finalFrameAsked) AskForFinalFrame();
}
void QUARN_CALL OnAfter() {
    State& s = *g_state;
    if (s.finalFrameAsked) {
        int32_t objects = 0;
        qglGetSceneStatistics(nullptr, nullptr, &objects);
        if (objects < 1) Fail("the final frame drew nothing", -1);
        qglDestroySceneWindow();
        return;
    }
    if (!s.programDone && s.sliceInAfter) RunSlice();
}

} // namespace

// As in the sanitizer test run: fontconfig keeps its configuration and match caches for the
// life of the process, partly where the leak checker cannot see them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    MakeFiles();
    // The recording GL answers the frustum's matrix reads with identities: the view is the unit
    // cube around the origin, so objects near it are drawn and the ones farther out culled.
    const std::vector<float> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    quarn::gl::GLRecorder::SetFloats(GL_PROJECTION_MATRIX, identity);
    quarn::gl::GLRecorder::SetFloats(GL_MODELVIEW_MATRIX, identity);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quarn::TestWindowScript script;
    script.ticksPerRead = 7; // the clock moves: durations, frame intervals, the FPS tick
    quarn::UseTestWindowBackend(&script);
    State state;
    ApiProgram program(data, size);
    state.program = &program;
    state.script = &script;
    g_state = &state;
    g_recipes = {};
    qglSetMessageCallBack(nullptr);
    qglClearLastError();
    // It returns the wParam of the last message handled: -1 alone means failure.
    if (qglCreateSceneWindow(96, 64, 32, 0, OnInit, OnBefore, OnAfter) == -1 ||
        !state.finalFrameAsked)
        Fail("the scene window did not run to the final frame", -1);
    // The next program starts without this scene: free it now (its GL objects died with the
    // window), so a leak shows up with the program that made it.
    quarn::Engine().renderScreen.reset();
    quarn::UseTestWindowBackend(nullptr);
    g_state = nullptr;
    return 0;
}
