// The physics exports in any order: the input is a program of calls on a small pool of handles
// (the objects made so far, freed ones among them, plus nil, foreign pointers and handles of
// another kind) with edge-case numbers. Host callbacks run recipes read when they were set,
// which call exports themselves (destroy, step, any other call). Every call must return; one
// given a nil or bad handle, a nil pointer or a non-finite number must fail with a last error,
// as must a creation that returns NULL. After the program each world still steps and a fresh
// world simulates normally.
#include "fuzz/ApiProgram.h"
#include "quarn/QuarnPhysics.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

using quarn::fuzz::ApiProgram;
using quarn::fuzz::PickHandle;

namespace {

enum Op : uint8_t {
    kWorldCreate,
    kWorldDestroy,
    kWorldSetSize,
    kWorldStep,
    kWorldGetTimeUntilNextStep,
    kWorldGetAlphaTimeUntilNextStep,
    kWorldGetTimes,
    kWorldDebug,
    kWorldSetContactBeginCallback,
    kWorldSetContactProcessCallback,
    kWorldSetContactEndCallback,
    kWorldExplode,
    kCollisionCreateBySize,
    kCollisionCreateByFace,
    kBodyCreate,
    kBodyCreateCompound,
    kBodyDestroy,
    kBodySetMass,
    kBodyGetMass,
    kBodySetCenterOfMass,
    kBodyAddForce,
    kBodyAddGlobalForce,
    kBodyAddLocalForce,
    kBodySetGlobalForce,
    kBodySetLocalForce,
    kBodyAddGlobalTorque,
    kBodyAddLocalTorque,
    kBodySetTorque,
    kBodySetVelocity,
    kBodySetOmega,
    kBodyGetVector,
    kBodyGetVelocityAtPoint,
    kBodySetMatrix,
    kBodyGetMatrix,
    kBodyGetInterpolatedMatrix,
    kBodyUserData,
    kBodySetFlags,
    kBodySetFreezeThreshold,
    kBodySetForceAndTorqueCallback,
    kBodySetTransformCallback,
    kMaterialSetContactTangentDirection,
    kMaterialSetContactTangentAcceleration,
    kJointCreateHinge,
    kJointDestroy,
    kJointSetHingeFlags,
    kJointSetHingeLimits,
    kJointSetHingeMotorAccel,
    kJointSetHingeFixedAngle,
    kJointCreateUpVector,
    kJointDestroyUpVector,
    kJointSetUpVectorPin,
    kJointGetUpVectorPin,
    kVehicleCreate,
    kVehicleAddTyre,
    kVehicleSetTyreTorque,
    kVehicleSetTyreSteerAngle,
    kOpCount
};

enum Kind { kWorld, kCollision, kBody, kJoint, kVehicle, kTyre, kMaterial, kKindCount };

// Bounds per program keep the frees well inside the stale-handle guarantee and a program fast.
constexpr size_t kMaxObjects = 24;
constexpr size_t kMaxWorlds = 4; // making a world is by far the dearest call
constexpr int kMaxSteps = 24;
constexpr int kMaxCallbackDepth = 2;

alignas(16) unsigned char g_foreign[64];

struct State {
    std::array<std::vector<void*>, kKindCount> made; // every handle made, live or freed
    int steps = 0;
    int depth = 0;
    void* currentMaterial = nullptr; // live only inside the contact-process callback
    bool bad = false;                // a nil or bad handle or a nil pointer went into this call
};
State* g_state = nullptr;

// What a host callback does each time it runs: every `period`-th call it replays a short
// program of its own (which may destroy, step or do anything else).
struct Recipe {
    uint8_t period = 0; // 0: nothing
    uint8_t accept = 1;
    uint8_t calls = 0;
    std::array<uint8_t, 24> program{};
};
enum Callback { kBegin, kProcess, kEnd, kDebug, kForce, kTransform, kCallbackCount };
std::array<Recipe, kCallbackCount> g_recipes;

[[noreturn]] void Fail(const char* what, int op) {
    std::fprintf(stderr, "physics API fuzzer: %s (op %d)\n", what, op);
    std::abort();
}

class Runner {
  public:
    explicit Runner(ApiProgram& in) : in_(in) {}

    void* Handle(Kind kind) {
        return PickHandle(in_, g_state->made, kind, g_foreign, g_state->bad);
    }
    TqpWorldHandle World() { return static_cast<TqpWorldHandle>(Handle(kWorld)); }
    TqpCollisionHandle Collision() { return static_cast<TqpCollisionHandle>(Handle(kCollision)); }
    TqpBodyHandle Body() { return static_cast<TqpBodyHandle>(Handle(kBody)); }
    TqpJointHandle Joint() { return static_cast<TqpJointHandle>(Handle(kJoint)); }
    TqpVehicleHandle Vehicle() { return static_cast<TqpVehicleHandle>(Handle(kVehicle)); }
    TqpTyreHandle Tyre() { return static_cast<TqpTyreHandle>(Handle(kTyre)); }
    TqpMaterialHandle Material() {
        State& s = *g_state;
        if (in_.Byte() < 128 && s.currentMaterial)
            return static_cast<TqpMaterialHandle>(s.currentMaterial);
        void* h = Handle(kMaterial);
        if (h != s.currentMaterial) s.bad = true; // an earlier contact's material is not live
        return static_cast<TqpMaterialHandle>(h);
    }

    // A vector argument; now and then nil.
    const TQUARNVector* Vector() {
        if (in_.Byte() == 255) {
            g_state->bad = true;
            return nullptr;
        }
        TQUARNVector& v = vectors_[nextVector_++ % vectors_.size()];
        v = TQUARNVector{in_.Float(), in_.Float(), in_.Float()};
        return &v;
    }

    void Remember(Kind kind, void* handle, int op) {
        if (!handle) {
            if (!qpGetLastError()) Fail("a creation returned NULL without an error", op);
            return;
        }
        std::vector<void*>& list = g_state->made[kind];
        if (list.size() < kMaxObjects * 4) list.push_back(handle);
    }
    bool Full(Kind kind) const {
        return g_state->made[kind].size() >= (kind == kWorld ? kMaxWorlds : kMaxObjects);
    }

    void SetRecipe(Callback which) {
        Recipe& r = g_recipes[which];
        r.period = in_.Byte() % 8;
        r.accept = in_.Byte() & 1;
        for (uint8_t& b : r.program)
            b = in_.Byte();
    }

    // One call. A call that had to fail (bad input of the kinds above) must leave a last error.
    void Step();

  private:
    ApiProgram& in_;
    std::array<TQUARNVector, 4> vectors_{};
    size_t nextVector_ = 0;
};

void RunRecipe(Callback which) {
    Recipe& r = g_recipes[which];
    if (!g_state || r.period == 0 || g_state->depth >= kMaxCallbackDepth) return;
    if (++r.calls % r.period != 0) return;
    ++g_state->depth;
    // The calls of the callback judge their own arguments; the call running it keeps its own.
    const bool outerBad = g_state->bad;
    ApiProgram program(r.program.data(), r.program.size());
    Runner runner(program);
    for (int i = 0; i < 3 && !program.AtEnd(); ++i)
        runner.Step();
    g_state->bad = outerBad;
    --g_state->depth;
}

int32_t QUARN_CALL OnBegin(TqpContactInfo contact) {
    (void)contact.Body0;
    RunRecipe(kBegin);
    return g_recipes[kBegin].accept;
}
int32_t QUARN_CALL OnProcess(TqpContactInfo contact) {
    void* const outer = g_state ? g_state->currentMaterial : nullptr;
    if (g_state) {
        g_state->currentMaterial = contact.Material;
        if (contact.Material && g_state->made[kMaterial].size() < 8)
            g_state->made[kMaterial].push_back(contact.Material);
    }
    RunRecipe(kProcess);
    if (g_state) g_state->currentMaterial = outer;
    return g_recipes[kProcess].accept;
}
void QUARN_CALL OnEnd(TqpContactInfo) {
    RunRecipe(kEnd);
}
void QUARN_CALL OnDebug(TqpBodyHandle, int32_t vertexCount, TQUARNVectorArray vertices) {
    volatile float sum = 0;
    for (int32_t i = 0; i < vertexCount; ++i) // every vertex promised must be readable
        sum = sum + vertices[i].x + vertices[i].y + vertices[i].z;
    RunRecipe(kDebug);
}
void QUARN_CALL OnForce(TqpBodyHandle) {
    RunRecipe(kForce);
}
void QUARN_CALL OnTransform(TqpBodyHandle, const TqpMatrix* matrix) {
    volatile float sum = 0;
    for (float m : matrix->m)
        sum = sum + m;
    RunRecipe(kTransform);
}

void Runner::Step() {
    State& s = *g_state;
    const int op = in_.Byte() % kOpCount;
    // FUZZ_TRACE=1 lists each call (op number, callback depth) to replay a found input.
    static const bool trace = std::getenv("FUZZ_TRACE") != nullptr;
    if (trace) std::fprintf(stderr, "op %d depth %d\n", op, s.depth);
    s.bad = false;
    in_.TakeNonFinite();
    qpClearLastError();
    bool mustFail = true; // cleared below for calls whose contract lets them ignore bad input
    TQUARNVector vr{-7, -7, -7};
    TqpMatrix mr{};
    switch (op) {
    case kWorldCreate:
        if (Full(kWorld)) return;
        Remember(kWorld, qpWorldCreate(), op);
        return;
    case kWorldDestroy:
        qpWorldDestroy(World());
        break;
    case kWorldSetSize:
        qpWorldSetSize(World(), Vector());
        break;
    case kWorldStep: {
        TqpWorldHandle w = World();
        const float delta = in_.Float();
        const bool fixed = in_.Bool();
        const float rate = in_.Float();
        // The rate matters only in fixed mode.
        const bool nonFinite = !std::isfinite(delta) || (fixed && !std::isfinite(rate));
        in_.TakeNonFinite();
        if (++s.steps > kMaxSteps) return;
        qpWorldStep(w, delta, fixed, rate);
        if ((s.bad || nonFinite) && !qpGetLastError()) Fail("bad step accepted", op);
        return;
    }
    case kWorldGetTimeUntilNextStep:
        qpWorldGetTimeUntilNextStep(World(), in_.Float());
        break;
    case kWorldGetAlphaTimeUntilNextStep:
        qpWorldGetAlphaTimeUntilNextStep(World(), in_.Float());
        break;
    case kWorldGetTimes: {
        TqpWorldHandle w = World();
        const float sum =
            qpWorldGetElapsedTime(w) + qpWorldGetLastStepTime(w) + qpWorldGetAveragedStepTime(w);
        if (!std::isfinite(sum)) Fail("a world clock is not finite", op);
        break;
    }
    case kWorldDebug:
        SetRecipe(kDebug);
        qpWorldDebug(World(), in_.Bool() ? OnDebug : nullptr);
        break;
    case kWorldSetContactBeginCallback:
        SetRecipe(kBegin);
        qpWorldSetContactBeginCallback(World(), in_.Bool() ? OnBegin : nullptr);
        break;
    case kWorldSetContactProcessCallback:
        SetRecipe(kProcess);
        qpWorldSetContactProcessCallback(World(), in_.Bool() ? OnProcess : nullptr);
        break;
    case kWorldSetContactEndCallback:
        SetRecipe(kEnd);
        qpWorldSetContactEndCallback(World(), in_.Bool() ? OnEnd : nullptr);
        break;
    case kWorldExplode: {
        TqpWorldHandle w = World();
        const TQUARNVector* c = Vector();
        const float charge = in_.Float(), a = in_.Float(), b = in_.Float();
        qpWorldExplode(w, c, charge, a, b);
        break;
    }
    case kCollisionCreateBySize: {
        if (Full(kCollision)) return;
        TqpWorldHandle w = World();
        const int32_t kind = in_.Int();
        Remember(kCollision, qpCollisionCreateBySize(w, kind, Vector()), op);
        return;
    }
    case kCollisionCreateByFace: {
        if (Full(kCollision)) return;
        TqpWorldHandle w = World();
        const int32_t kind = in_.Int();
        // Counted arrays hold exactly what their count says; the face record may claim more.
        const int32_t vertexSlots = in_.Below(13), faceSlots = in_.Below(9);
        std::vector<int32_t> vertexBlock(1 + 3 * size_t(vertexSlots) + 1);
        std::vector<int32_t> faceBlock(1 + 3 * size_t(faceSlots) + 1);
        vertexBlock[0] = vertexSlots;
        faceBlock[0] = faceSlots;
        auto* vertices = reinterpret_cast<TQUARNVector*>(vertexBlock.data() + 1);
        auto* faces = reinterpret_cast<TQUARNIntVector*>(faceBlock.data() + 1);
        for (int32_t i = 0; i < vertexSlots; ++i)
            vertices[i] = TQUARNVector{in_.Float(), in_.Float(), in_.Float()};
        for (int32_t i = 0; i < faceSlots; ++i) {
            const int32_t pick = in_.Byte();
            faces[i] = pick < 200 ? TQUARNIntVector{pick % 13, (pick / 3) % 13, (pick / 7) % 13}
                                  : TQUARNIntVector{in_.Int(), in_.Int(), in_.Int()};
        }
        TQUARNFaceData data{};
        data.VertexCount = in_.Bool() ? vertexSlots : in_.Int();
        data.FaceCount = in_.Bool() ? faceSlots : in_.Int();
        data.Vertices = in_.Byte() < 240 ? vertices : nullptr;
        data.Faces = in_.Byte() < 240 ? faces : nullptr;
        in_.TakeNonFinite(); // a non-finite vertex is refused, but so is much else here
        TqpCollisionHandle c = qpCollisionCreateByFace(w, kind, in_.Byte() < 250 ? &data : nullptr);
        Remember(kCollision, c, op);
        return;
    }
    case kBodyCreate: {
        if (Full(kBody)) return;
        TqpWorldHandle w = World();
        const int32_t count = in_.Bool() ? 1 : in_.Int();
        Remember(kBody, qpBodyCreate(w, count, Collision()), op);
        return;
    }
    case kBodyCreateCompound: {
        if (Full(kBody)) return;
        TqpWorldHandle w = World();
        const int32_t count = int32_t(in_.Byte() % 10) - 1; // -1..8, the array holds as many
        std::array<TqpCollisionHandle, 8> parts{};
        for (int32_t i = 0; i < count; ++i)
            parts[i] = Collision();
        Remember(kBody, qpBodyCreateCompound(w, count, in_.Byte() < 250 ? parts.data() : nullptr),
                 op);
        return;
    }
    case kBodyDestroy:
        qpBodyDestroy(Body());
        break;
    case kBodySetMass:
        qpBodySetMass(Body(), in_.Float());
        break;
    case kBodyGetMass: {
        const float mass = qpBodyGetMass(Body());
        if (!std::isfinite(mass) || mass < 0) Fail("a stored mass is not a finite mass", op);
        break;
    }
    case kBodySetCenterOfMass:
        qpBodySetCenterOfMass(Body(), Vector());
        break;
    case kBodyAddForce:
        qpBodyAddForce(Body(), Vector());
        break;
    case kBodyAddGlobalForce: {
        TqpBodyHandle b = Body();
        const TQUARNVector* p = Vector();
        qpBodyAddGlobalForce(b, p, Vector());
        break;
    }
    case kBodyAddLocalForce: {
        TqpBodyHandle b = Body();
        const TQUARNVector* p = Vector();
        qpBodyAddLocalForce(b, p, Vector());
        break;
    }
    case kBodySetGlobalForce:
        qpBodySetGlobalForce(Body(), Vector());
        break;
    case kBodySetLocalForce: {
        TqpBodyHandle b = Body();
        const TQUARNVector* p = Vector();
        qpBodySetLocalForce(b, p, Vector());
        break;
    }
    case kBodyAddGlobalTorque:
        qpBodyAddGlobalTorque(Body(), Vector());
        break;
    case kBodyAddLocalTorque:
        qpBodyAddLocalTorque(Body(), Vector());
        break;
    case kBodySetTorque:
        qpBodySetTorque(Body(), Vector());
        break;
    case kBodySetVelocity:
        qpBodySetVelocity(Body(), Vector());
        break;
    case kBodySetOmega:
        qpBodySetOmega(Body(), Vector());
        break;
    case kBodyGetVector: {
        TqpBodyHandle b = Body();
        const bool nilResult = in_.Byte() == 255;
        s.bad |= nilResult;
        TQUARNVector* result = nilResult ? nullptr : &vr;
        TQUARNVector* got = nullptr;
        switch (in_.Byte() % 4) {
        case 0:
            got = qpBodyGetForce(result, b);
            break;
        case 1:
            got = qpBodyGetTorque(result, b);
            break;
        case 2:
            got = qpBodyGetVelocity(result, b);
            break;
        default:
            got = qpBodyGetOmega(result, b);
            break;
        }
        if (qpGetLastError() ? vr.x != -7 || vr.y != -7 || vr.z != -7 : got != result)
            Fail("a vector getter touched its result on failure or returned another", op);
        if (!qpGetLastError() &&
            !(std::isfinite(vr.x) && std::isfinite(vr.y) && std::isfinite(vr.z)))
            Fail("a body vector is not finite", op);
        break;
    }
    case kBodyGetVelocityAtPoint: {
        TqpBodyHandle b = Body();
        const TQUARNVector* p = Vector();
        TQUARNVector* got = in_.Bool() ? qpBodyGetVelocityAtGlobalPoint(&vr, b, p)
                                       : qpBodyGetVelocityAtLocalPoint(&vr, b, p);
        if (qpGetLastError() ? vr.x != -7 || vr.y != -7 || vr.z != -7 : got != &vr)
            Fail("a point velocity touched its result on failure or returned another", op);
        break;
    }
    case kBodySetMatrix: {
        TqpBodyHandle b = Body();
        TqpMatrix m{};
        const uint8_t shape = in_.Byte();
        for (int i = 0; i < 16; ++i) // mostly rotations near identity, sometimes any numbers
            m.m[i] = shape < 128 ? (i % 5 == 0 ? 1.0f : 0.0f) : in_.Float();
        if (shape < 128)
            for (int i = 12; i < 15; ++i)
                m.m[i] = in_.Float();
        const bool nilMatrix = in_.Byte() == 255;
        s.bad |= nilMatrix;
        qpBodySetMatrix(b, nilMatrix ? nullptr : &m);
        break;
    }
    case kBodyGetMatrix:
    case kBodyGetInterpolatedMatrix: {
        TqpBodyHandle b = Body();
        mr.m[0] = -7;
        TqpMatrix* got = op == kBodyGetMatrix ? qpBodyGetMatrix(&mr, b)
                                              : qpBodyGetInterpolatedMatrix(&mr, b, in_.Float());
        if (qpGetLastError() ? mr.m[0] != -7 : got != &mr)
            Fail("a matrix getter touched its result on failure or returned another", op);
        if (!qpGetLastError())
            for (float v : mr.m)
                if (!std::isfinite(v)) Fail("a body matrix is not finite", op);
        break;
    }
    case kBodyUserData: {
        TqpBodyHandle b = Body();
        void* word = reinterpret_cast<void*>(uintptr_t(in_.Int()));
        qpBodySetUserData(b, word);
        if (!qpGetLastError() && qpBodyGetUserData(b) != word) Fail("user data lost", op);
        break;
    }
    case kBodySetFlags: {
        TqpBodyHandle b = Body();
        const uint8_t which = in_.Byte(), value = in_.Byte();
        if (which % 3 == 0) qpBodySetCoriolisForce(b, value);
        if (which % 3 == 1) qpBodySetContinuousCollision(b, value);
        if (which % 3 == 2) qpBodySetAutoFreeze(b, value);
        break;
    }
    case kBodySetFreezeThreshold: {
        TqpBodyHandle b = Body();
        const float speed2 = in_.Float(), omega2 = in_.Float();
        qpBodySetFreezeThreshold(b, speed2, omega2, in_.Int());
        break;
    }
    case kBodySetForceAndTorqueCallback:
        SetRecipe(kForce);
        qpBodySetForceAndTorqueCallback(Body(), in_.Bool() ? OnForce : nullptr);
        break;
    case kBodySetTransformCallback:
        SetRecipe(kTransform);
        qpBodySetTransformCallback(Body(), in_.Bool() ? OnTransform : nullptr);
        break;
    case kMaterialSetContactTangentDirection: {
        TqpMaterialHandle m = Material();
        qpMaterialSetContactTangentDirection(m, Vector());
        break;
    }
    case kMaterialSetContactTangentAcceleration: {
        TqpMaterialHandle m = Material();
        const float a = in_.Float();
        qpMaterialSetContactTangentAcceleration(m, a, in_.Int());
        break;
    }
    case kJointCreateHinge: {
        if (Full(kJoint)) return;
        const bool toWorld = in_.Byte() < 32;
        TqpBodyHandle parent = toWorld ? nullptr : Body();
        TqpBodyHandle child = Body();
        const TQUARNVector* pivot = Vector();
        Remember(kJoint, qpJointCreateHinge(parent, child, pivot, Vector()), op);
        return;
    }
    case kJointDestroy:
        qpJointDestroy(Joint());
        break;
    case kJointSetHingeFlags: {
        TqpJointHandle j = Joint();
        const uint8_t which = in_.Byte(), value = in_.Byte();
        if (which % 3 == 0) qpJointSetHingeLimitsEnabled(j, value);
        if (which % 3 == 1) qpJointSetHingeMotorEnabled(j, value);
        if (which % 3 == 2) qpJointSetHingeFixedAngleEnabled(j, value);
        break;
    }
    case kJointSetHingeLimits: {
        TqpJointHandle j = Joint();
        const float lo = in_.Float();
        qpJointSetHingeLimits(j, lo, in_.Float());
        break;
    }
    case kJointSetHingeMotorAccel: {
        TqpJointHandle j = Joint();
        const float a = in_.Float();
        qpJointSetHingeMotorAccel(j, a, in_.Float());
        break;
    }
    case kJointSetHingeFixedAngle: {
        TqpJointHandle j = Joint();
        qpJointSetHingeFixedAngle(j, in_.Float());
        break;
    }
    case kJointCreateUpVector: {
        if (Full(kJoint)) return;
        TqpBodyHandle b = Body();
        Remember(kJoint, qpJointCreateUpVector(b, Vector()), op);
        return;
    }
    case kJointDestroyUpVector: {
        TqpJointHandle j = Joint();
        if (!j) mustFail = false; // nil is ignored
        qpJointDestroyUpVector(j);
        break;
    }
    case kJointSetUpVectorPin: {
        TqpJointHandle j = Joint();
        const TQUARNVector* pin = Vector();
        if (!j) mustFail = false; // a nil joint is ignored
        qpJointSetUpVectorPin(j, pin);
        break;
    }
    case kJointGetUpVectorPin: {
        TqpJointHandle j = Joint();
        TQUARNVector* got = qpJointGetUpVectorPin(&vr, j);
        if (!j) mustFail = false; // a nil joint leaves the result untouched
        if ((qpGetLastError() || !j) ? vr.x != -7 || vr.y != -7 || vr.z != -7 : got != &vr)
            Fail("the pin getter touched its result on failure or returned another", op);
        break;
    }
    case kVehicleCreate:
        if (Full(kVehicle)) return;
        Remember(kVehicle, qpVehicleCreate(Body()), op);
        return;
    case kVehicleAddTyre: {
        if (Full(kTyre)) return;
        TqpVehicleHandle v = Vehicle();
        const TQUARNVector* position = Vector();
        const TQUARNVector* pin = Vector();
        float f[6];
        for (float& x : f)
            x = in_.Float();
        Remember(kTyre, qpVehicleAddTyre(v, position, pin, f[0], f[1], f[2], f[3], f[4], f[5]), op);
        return;
    }
    case kVehicleSetTyreTorque:
        qpVehicleSetTyreTorque(Tyre(), in_.Float());
        break;
    case kVehicleSetTyreSteerAngle:
        qpVehicleSetTyreSteerAngle(Tyre(), in_.Float());
        break;
    default:
        return;
    }
    const bool nonFinite = in_.TakeNonFinite();
    if (mustFail && (s.bad || nonFinite) && !qpGetLastError()) {
        char what[96];
        std::snprintf(what, sizeof what, "a call with a %s was accepted",
                      s.bad ? "nil or bad handle or nil pointer" : "non-finite number");
        Fail(what, op);
    }
}

// The library after the program: each world made still steps, then a world made before any
// program (one for the whole run: making one per program would halve the speed) simulates.
void CheckStillUsable(State& s) {
    g_recipes = {};
    for (void* w : s.made[kWorld])
        qpWorldStep(static_cast<TqpWorldHandle>(w), 1.0f / 60.0f, 1, 60.0f);
    for (void* w : s.made[kWorld])
        qpWorldDestroy(static_cast<TqpWorldHandle>(w));
    static TqpWorldHandle world = qpWorldCreate();
    static TqpBodyHandle body = [] {
        const TQUARNVector size{1, 1, 1};
        TqpBodyHandle b =
            qpBodyCreate(world, 1, qpCollisionCreateBySize(world, QP_COLLISION_BOX, &size));
        qpBodySetMass(b, 1);
        return b;
    }();
    qpClearLastError();
    const TQUARNVector velocity{2, 0, 0};
    TqpMatrix m{};
    m.m[0] = m.m[5] = m.m[10] = m.m[15] = 1;
    qpBodySetMatrix(body, &m);
    qpBodySetVelocity(body, &velocity);
    qpWorldStep(world, 0.5f, 0, 0);
    qpBodyGetMatrix(&m, body);
    if (qpGetLastError() || !(m.m[12] > 0.5f && m.m[12] < 1.5f))
        Fail("the library stopped working", -1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    State state;
    g_state = &state;
    g_recipes = {};
    ApiProgram program(data, size);
    Runner runner(program);
    while (!program.AtEnd())
        runner.Step();
    CheckStillUsable(state);
    g_state = nullptr;
    return 0;
}
