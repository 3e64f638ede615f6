/* The demo's physics showcase: a stack of crates that falls over onto the ground, and a car
 * driven with the arrow keys. Each body is drawn by a dynamic object that follows its pose. */
#include "DemoShowcase.h"

#include "quarn/QuarnGL.h"
#include "quarn/QuarnLink.h"
#include "quarn/QuarnPhysics.h"

#define DEMO_CRATES 9
#define DEMO_RATE 60.0f
#define DEMO_GROUND (-3.0f) /* the height of the demo's ground grid */

static TqpWorldHandle g_world;
static TqpBodyHandle g_crateBodies[DEMO_CRATES], g_chassis;
static TQGLHandle g_crates[DEMO_CRATES], g_car;
static TqpTyreHandle g_tyres[4];
static int g_accelerating, g_steering; /* set by the arrow keys held during this frame */

static void QUARN_CALL DemoGravity(TqpBodyHandle body) {
    const TQUARNVector weight = {0.0f, -9.8f * qpBodyGetMass(body), 0.0f};
    qpBodyAddForce(body, &weight);
}

static TqpBodyHandle DemoBox(float sx, float sy, float sz, float mass, float x, float y, float z) {
    const TQUARNVector size = {sx, sy, sz};
    TqpMatrix at = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    TqpBodyHandle body =
        qpBodyCreate(g_world, 1, qpCollisionCreateBySize(g_world, QP_COLLISION_BOX, &size));
    at.m[12] = x;
    at.m[13] = y;
    at.m[14] = z;
    qpBodySetMatrix(body, &at);
    if (mass > 0.0f) {
        qpBodySetMass(body, mass);
        qpBodySetForceAndTorqueCallback(body, DemoGravity);
        qpBodySetAutoFreeze(body, 0);
    }
    return body;
}

static TQGLHandle DemoColour(const char* name, float r, float g, float b) {
    TQGLHandle m = qglAddMaterial(name);
    qglSetMaterialAmbient(m, r * 0.3f, g * 0.3f, b * 0.3f);
    qglSetMaterialDiffuse(m, r, g, b);
    return m;
}

void DemoPhysicsInit(void) {
    static const float corners[4][2] = {{-1, 1.5f}, {1, 1.5f}, {-1, -1.5f}, {1, -1.5f}};
    const TQUARNVector worldSize = {400.0f, 200.0f, 400.0f}, axle = {1.0f, 0.0f, 0.0f};
    TQGLHandle wood = DemoColour("crate", 0.8f, 0.55f, 0.25f);
    TqpVehicleHandle car;
    int i;
    g_world = qpWorldCreate();
    qpWorldSetSize(g_world, &worldSize);
    DemoBox(200.0f, 1.0f, 200.0f, 0.0f, 0.0f, DEMO_GROUND - 0.5f, 0.0f); /* the ground */
    /* Three layers of three crates dropped from above, each layer shifted half a crate so
     * that the stack topples as it lands. */
    for (i = 0; i < DEMO_CRATES; ++i) {
        const int layer = i / 3, column = i % 3;
        const float x = 2.5f + (float)column * 1.05f + 0.5f * (float)layer;
        g_crateBodies[i] =
            DemoBox(1.0f, 1.0f, 1.0f, 1.0f, x, DEMO_GROUND + 2.0f + (float)layer * 1.5f, -14.0f);
        g_crates[i] = qglLoadDynamicPredefined(1, wood, 0, 0, 0, 0, 0, 0, 1.0f, 1.0f, 1.0f);
    }
    /* The car: a 2 x 0.5 x 4 chassis on four sprung tyres (the vehicle's up is +Y). */
    g_chassis = DemoBox(2.0f, 0.5f, 4.0f, 100.0f, -4.0f, DEMO_GROUND + 1.2f, -12.0f);
    g_car = qglLoadDynamicPredefined(1, DemoColour("car", 0.85f, 0.1f, 0.15f), 0, 0, 0, 0, 0, 0,
                                     2.0f, 0.5f, 4.0f);
    car = qpVehicleCreate(g_chassis);
    for (i = 0; i < 4; ++i) {
        const TQUARNVector at = {corners[i][0], -0.25f, corners[i][1]};
        g_tyres[i] = qpVehicleAddTyre(car, &at, &axle, 5.0f, 0.3f, 0.4f, 10.0f, 100.0f, 0.3f);
    }
}

void DemoPhysicsFrame(void) {
    float alpha;
    int i;
    /* Rear-wheel drive and front-wheel steering from the keys held during the last frame. */
    for (i = 0; i < 4; ++i)
        qpVehicleSetTyreTorque(g_tyres[i], i >= 2 ? 40.0f * (float)g_accelerating : 0.0f);
    qpVehicleSetTyreSteerAngle(g_tyres[0], 25.0f * (float)g_steering);
    qpVehicleSetTyreSteerAngle(g_tyres[1], 25.0f * (float)g_steering);
    g_accelerating = g_steering = 0;
    /* A fixed 1/60 s a frame keeps headless runs (and the README picture) repeatable. */
    qpWorldStep(g_world, 1.0f / DEMO_RATE, 1, DEMO_RATE);
    alpha = qpWorldGetAlphaTimeUntilNextStep(g_world, DEMO_RATE);
    for (i = 0; i < DEMO_CRATES; ++i)
        quarnFollowBody(g_crates[i], g_crateBodies[i], alpha);
    quarnFollowBody(g_car, g_chassis, alpha);
}

void DemoPhysicsKey(int32_t key) {
    switch (key) {
    case QGL_VK_UP:
        g_accelerating = 1;
        break;
    case QGL_VK_DOWN:
        g_accelerating = -1;
        break;
    case QGL_VK_LEFT:
        g_steering = 1;
        break;
    case QGL_VK_RIGHT:
        g_steering = -1;
        break;
    default:
        break;
    }
}
