/* QuarnPhysics.h - the C interface of libQuarnPhysics.so: worlds stepped at a fixed or variable
 * rate, rigid bodies built from collisions, contact callbacks, hinge and up-vector joints and
 * simple vehicles. Valid C99 and C++.
 *
 * Conventions
 * - Vectors are three singles (TQUARNVector); matrices sixteen singles in four rows (x axis, y
 *   axis, z axis, position; translation in elements 12..14), used with row vectors.
 * - Vectors and matrices are passed by pointer and copied on entry. Functions that return a
 *   vector or matrix take a pointer to the caller's result first, fill it and return it.
 * - Angles are degrees at this interface; times are seconds.
 * - Handles are the library's own objects, passed back unchanged. A nil handle, a nil pointer
 *   argument or a NaN/infinite number makes the call fail: it does nothing, records a message
 *   readable with qpGetLastError and returns its neutral value (0, NULL, or the result record
 *   untouched).
 * - Every handle is checked against the library's live objects of its kind before it is used: a
 *   stale handle (its object was freed, or destroyed twice), one of another kind or any other
 *   pointer fails the same way ("qpBodySetMass: not a live body handle"), never touching the
 *   memory it points at. A released body stays live until the end of the next qpWorldStep; a
 *   material handle is live only inside the contact callback that received it. A freed
 *   object's memory is held back from reuse (per kind, the last 4096 freed objects or 2 MiB,
 *   whichever is less), so a stale handle stays refused for at least the next 1000 frees of
 *   objects of its kind (4096 for kinds of up to 512 bytes: collisions, bodies, joints, vehicles
 *   and tyres; worlds are about 1 KB).
 * - Callbacks: what a host callback throws ends the step it runs in (the next step runs
 *   normally) and becomes the last error of the call that ran it. A world destroyed from inside
 *   its own callbacks is freed when that call (qpWorldStep, qpWorldDebug, qpWorldExplode)
 *   returns; qpWorldStep from inside them fails.
 * - A body whose state stops being finite in an update (a huge force, velocity or omega) is put
 *   back at rest at its last finite pose and the step reports it as the last error. A force or
 *   torque whose sum (or lever-arm torque) would leave the float range is refused by the call
 *   that adds it ("qpBodyAddForce: the force would make the body's force sum overflow"),
 *   changing nothing.
 * - Single-threaded: every call and every callback runs on the thread that calls the library.
 */
#ifndef QUARN_PHYSICS_H
#define QUARN_PHYSICS_H

#include "QuarnExposedTypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Opaque handles. */
typedef struct TqpWorldObject* TqpWorldHandle;
typedef struct TqpCollisionObject* TqpCollisionHandle;
typedef struct TqpBodyObject* TqpBodyHandle;
typedef struct TqpJointObject* TqpJointHandle;
typedef struct TqpVehicleObject* TqpVehicleHandle;
typedef struct TqpTyreObject* TqpTyreHandle;
/* The contact material of the contact being processed; valid only inside a contact callback. */
typedef struct TqpMaterialObject* TqpMaterialHandle;

/* A 4x4 matrix, rows x axis, y axis, z axis, position. */
typedef struct TqpMatrix {
    float m[16];
} TqpMatrix;

/* Collision kinds of qpCollisionCreateBySize / qpCollisionCreateByFace. */
#define QP_COLLISION_BOX 1
#define QP_COLLISION_CONVEX_HULL 2 /* face data only */
#define QP_COLLISION_TREE 3        /* static triangle mesh; face data only */
#define QP_COLLISION_SPHERE 4

/* The contact record handed to the contact callbacks. One record serves the whole library;
 * Body0/Body1 are the two bodies touching, Material the contact material, Position and Normal
 * the contact point in world space (zero in the begin callback). */
typedef struct TqpContactInfo {
    TqpBodyHandle Body0;
    TqpBodyHandle Body1;
    TqpMaterialHandle Material;
    TQUARNVector Position;
    TQUARNVector Normal;
} TqpContactInfo;

/* Host callbacks. A nil callback is skipped. */
typedef int32_t(QUARN_CALL* TqpContactBeginCallback)(TqpContactInfo contact);   /* 0 rejects */
typedef int32_t(QUARN_CALL* TqpContactProcessCallback)(TqpContactInfo contact); /* 0 rejects */
typedef void(QUARN_CALL* TqpContactEndCallback)(TqpContactInfo contact);
/* One polygon of a body's collision in world space; the array lives only during the call. */
typedef void(QUARN_CALL* TqpDebugCallback)(TqpBodyHandle body, int32_t vertexCount,
                                           TQUARNVectorArray vertices);
/* Runs in every update before the body's accumulated force and torque go to the solver. */
typedef void(QUARN_CALL* TqpForceAndTorqueCallback)(TqpBodyHandle body);
/* Runs when the solver moved the body; matrix is the body's current matrix (read only). */
typedef void(QUARN_CALL* TqpTransformCallback)(TqpBodyHandle body, const TqpMatrix* matrix);

/* One line per export with its contract trailing. */
/* clang-format off */

/* ---- Errors ------------------------------------------------------------------------------ */

QUARN_API const char* QUARN_CALL qpGetLastError(void); /* message of the latest failed call, or NULL since qpClearLastError; valid until the next failure */
QUARN_API void QUARN_CALL qpClearLastError(void); /* forgets the last error */
QUARN_API int32_t QUARN_CALL qpGetVersion(void); /* the loaded library's version as QUARN_VERSION_NUMBER makes it (major * 10000 + minor * 100 + patch) */

/* ---- World ------------------------------------------------------------------------------- */

QUARN_API TqpWorldHandle QUARN_CALL qpWorldCreate(void); /* new world, owned by the caller until qpWorldDestroy; NULL on failure */
QUARN_API void QUARN_CALL qpWorldDestroy(TqpWorldHandle world); /* frees the world with all its collisions, bodies, joints, vehicles and tyres */
QUARN_API void QUARN_CALL qpWorldSetSize(TqpWorldHandle world, const TQUARNVector* size); /* simulated region: a box of this extent centred on the origin */
QUARN_API void QUARN_CALL qpWorldStep(TqpWorldHandle world, float delta, TQUARNBool fixedStep, float stepsPerSecond); /* advances by delta seconds (>= 0): fixed mode runs whole 1/stepsPerSecond updates off an accumulator (rate 1..100000; at most 60 updates per call, time owed beyond them is dropped), variable mode one update of delta (<= 1 s); released bodies are destroyed at the end */
QUARN_API float QUARN_CALL qpWorldGetTimeUntilNextStep(TqpWorldHandle world, float stepsPerSecond); /* seconds until the next fixed update is due (negative when overdue); 0 before any step or when stepsPerSecond < 1 */
QUARN_API float QUARN_CALL qpWorldGetAlphaTimeUntilNextStep(TqpWorldHandle world, float stepsPerSecond); /* the same as a fraction of the step: 1 right after a step, towards 0 (then negative) as the next falls due; the alpha of qpBodyGetInterpolatedMatrix */
QUARN_API float QUARN_CALL qpWorldGetElapsedTime(TqpWorldHandle world); /* seconds since the previous call (about 0 on the first): the host's frame clock */
QUARN_API float QUARN_CALL qpWorldGetLastStepTime(TqpWorldHandle world); /* seconds spent in the most recent solver update; 0 before the first */
QUARN_API float QUARN_CALL qpWorldGetAveragedStepTime(TqpWorldHandle world); /* mean seconds per solver update over the recent samples (up to 180) */
QUARN_API void QUARN_CALL qpWorldDebug(TqpWorldHandle world, TqpDebugCallback callback); /* calls back once per polygon of every body's collision, in world space */
QUARN_API void QUARN_CALL qpWorldSetContactBeginCallback(TqpWorldHandle world, TqpContactBeginCallback callback); /* called when two bodies' bounding boxes start to overlap; nil switches off */
QUARN_API void QUARN_CALL qpWorldSetContactProcessCallback(TqpWorldHandle world, TqpContactProcessCallback callback); /* called per contact point; may call the qpMaterial functions; nil switches off */
QUARN_API void QUARN_CALL qpWorldSetContactEndCallback(TqpWorldHandle world, TqpContactEndCallback callback); /* called after a pair's contacts were processed; nil switches off */
QUARN_API void QUARN_CALL qpWorldExplode(TqpWorldHandle world, const TQUARNVector* centre, float charge, float scaleA, float scaleB); /* blast force (Kinney-Graham overpressure x scaleA x scaleB) at each body's closest point, applied in the next update; charge must be > 0 */

/* ---- Collisions -------------------------------------------------------------------------- */

QUARN_API TqpCollisionHandle QUARN_CALL qpCollisionCreateBySize(TqpWorldHandle world, int32_t kind, const TQUARNVector* size); /* box (kind 1) of that extent or ellipsoid sphere (kind 4) with those radii; kinds 2 and 3 need face data and fail; owned by the world; NULL on failure */
QUARN_API TqpCollisionHandle QUARN_CALL qpCollisionCreateByFace(TqpWorldHandle world, int32_t kind, const TQUARNFaceData* faces); /* box or sphere of the vertices' extent centred on the origin, convex hull of the vertices, or static triangle mesh of the faces; NULL faces = size path with size 0; owned by the world */

/* ---- Bodies ------------------------------------------------------------------------------ */

QUARN_API TqpBodyHandle QUARN_CALL qpBodyCreate(TqpWorldHandle world, int32_t collisionCount, TqpCollisionHandle collision); /* static body (mass 0) of one collision; collisionCount must be 1 (use qpBodyCreateCompound for several); a collision may build any number of bodies; NULL on failure */
QUARN_API TqpBodyHandle QUARN_CALL qpBodyCreateCompound(TqpWorldHandle world, int32_t collisionCount, const TqpCollisionHandle* collisions); /* body of a compound of collisionCount collisions read from the array; a tree among them is used alone; NULL on failure */
QUARN_API void QUARN_CALL qpBodyDestroy(TqpBodyHandle body); /* releases the body: it keeps answering until the end of the next qpWorldStep, then it and its joints are gone */
QUARN_API void QUARN_CALL qpBodySetMass(TqpBodyHandle body, float mass); /* mass and inertia; 0 makes the body static; must be >= 0 */
QUARN_API float QUARN_CALL qpBodyGetMass(TqpBodyHandle body); /* the stored mass */
QUARN_API void QUARN_CALL qpBodySetCenterOfMass(TqpBodyHandle body, const TQUARNVector* centre); /* centre of mass in the body frame */
QUARN_API void QUARN_CALL qpBodyAddForce(TqpBodyHandle body, const TQUARNVector* force); /* adds to the force of the next update, no torque */
QUARN_API void QUARN_CALL qpBodyAddGlobalForce(TqpBodyHandle body, const TQUARNVector* point, const TQUARNVector* force); /* force at a world point; the torque's lever arm is taken from the body origin */
QUARN_API void QUARN_CALL qpBodyAddLocalForce(TqpBodyHandle body, const TQUARNVector* point, const TQUARNVector* force); /* as qpBodyAddGlobalForce with point and force in the body frame */
QUARN_API void QUARN_CALL qpBodySetGlobalForce(TqpBodyHandle body, const TQUARNVector* force); /* replaces the accumulated force; torque unchanged */
QUARN_API void QUARN_CALL qpBodySetLocalForce(TqpBodyHandle body, const TQUARNVector* point, const TQUARNVector* force); /* clears the force, then qpBodyAddLocalForce; the torque is kept and gains the lever-arm term */
QUARN_API TQUARNVector* QUARN_CALL qpBodyGetForce(TQUARNVector* result, TqpBodyHandle body); /* the accumulated force (world frame) */
QUARN_API void QUARN_CALL qpBodyAddGlobalTorque(TqpBodyHandle body, const TQUARNVector* torque); /* adds a world-frame torque */
QUARN_API void QUARN_CALL qpBodyAddLocalTorque(TqpBodyHandle body, const TQUARNVector* torque); /* adds a body-frame torque */
QUARN_API void QUARN_CALL qpBodySetTorque(TqpBodyHandle body, const TQUARNVector* torque); /* replaces the accumulated torque */
QUARN_API TQUARNVector* QUARN_CALL qpBodyGetTorque(TQUARNVector* result, TqpBodyHandle body); /* the accumulated torque (world frame) */
QUARN_API void QUARN_CALL qpBodySetVelocity(TqpBodyHandle body, const TQUARNVector* velocity); /* linear velocity, units per second */
QUARN_API TQUARNVector* QUARN_CALL qpBodyGetVelocity(TQUARNVector* result, TqpBodyHandle body); /* velocity as last set or reported after an update */
QUARN_API TQUARNVector* QUARN_CALL qpBodyGetVelocityAtGlobalPoint(TQUARNVector* result, TqpBodyHandle body, const TQUARNVector* point); /* velocity + omega x (point - centre of mass) */
QUARN_API TQUARNVector* QUARN_CALL qpBodyGetVelocityAtLocalPoint(TQUARNVector* result, TqpBodyHandle body, const TQUARNVector* point); /* the same for a body-frame point */
QUARN_API void QUARN_CALL qpBodySetOmega(TqpBodyHandle body, const TQUARNVector* omega); /* angular velocity, radians per second */
QUARN_API TQUARNVector* QUARN_CALL qpBodyGetOmega(TQUARNVector* result, TqpBodyHandle body); /* angular velocity as last set or reported */
QUARN_API void QUARN_CALL qpBodySetMatrix(TqpBodyHandle body, const TqpMatrix* matrix); /* teleports: current and previous matrix := matrix */
QUARN_API TqpMatrix* QUARN_CALL qpBodyGetMatrix(TqpMatrix* result, TqpBodyHandle body); /* the current matrix */
QUARN_API TqpMatrix* QUARN_CALL qpBodyGetInterpolatedMatrix(TqpMatrix* result, TqpBodyHandle body, float alpha); /* current pose at alpha 0, previous at 1 (slerp + lerp); pass qpWorldGetAlphaTimeUntilNextStep; an alpha that would carry the pose past the float range fails, the result untouched */
QUARN_API void QUARN_CALL qpBodySetUserData(TqpBodyHandle body, void* userData); /* a word for the host, never read by the library */
QUARN_API void* QUARN_CALL qpBodyGetUserData(TqpBodyHandle body); /* the stored word (NULL at creation) */
QUARN_API void QUARN_CALL qpBodySetCoriolisForce(TqpBodyHandle body, TQUARNBool enabled); /* gyroscopic forces on or off */
QUARN_API void QUARN_CALL qpBodySetContinuousCollision(TqpBodyHandle body, TQUARNBool enabled); /* swept collision for fast bodies on or off */
QUARN_API void QUARN_CALL qpBodySetAutoFreeze(TqpBodyHandle body, TQUARNBool enabled); /* lets the body fall asleep when at rest */
QUARN_API void QUARN_CALL qpBodySetFreezeThreshold(TqpBodyHandle body, float speed2, float omega2, int32_t frameCount); /* squared speeds below which, for frameCount updates, the body sleeps */
QUARN_API void QUARN_CALL qpBodySetForceAndTorqueCallback(TqpBodyHandle body, TqpForceAndTorqueCallback callback); /* nil switches off */
QUARN_API void QUARN_CALL qpBodySetTransformCallback(TqpBodyHandle body, TqpTransformCallback callback); /* nil switches off */

/* ---- Contact materials (inside the contact-process callback) ----------------------------- */

QUARN_API void QUARN_CALL qpMaterialSetContactTangentDirection(TqpMaterialHandle material, const TQUARNVector* direction); /* aligns the first friction direction of the current contact */
QUARN_API void QUARN_CALL qpMaterialSetContactTangentAcceleration(TqpMaterialHandle material, float acceleration, int32_t tangentIndex); /* sliding acceleration along tangent 0 or 1 (conveyor belts) */

/* ---- Joints ------------------------------------------------------------------------------ */

QUARN_API TqpJointHandle QUARN_CALL qpJointCreateHinge(TqpBodyHandle parent, TqpBodyHandle child, const TQUARNVector* pivot, const TQUARNVector* pin); /* hinge about pin (world space) through pivot; a nil parent hinges to the world; freed with qpJointDestroy or with either body; NULL on failure */
QUARN_API void QUARN_CALL qpJointDestroy(TqpJointHandle joint); /* frees a hinge or up-vector joint */
QUARN_API void QUARN_CALL qpJointSetHingeLimitsEnabled(TqpJointHandle joint, TQUARNBool enabled); /* enabling switches the motor off; limits win over motor and fixed angle */
QUARN_API void QUARN_CALL qpJointSetHingeLimits(TqpJointHandle joint, float minDegrees, float maxDegrees); /* angle range (default -45..45) */
QUARN_API void QUARN_CALL qpJointSetHingeMotorEnabled(TqpJointHandle joint, TQUARNBool enabled); /* enabling switches the limits off; the motor wins over the fixed angle */
QUARN_API void QUARN_CALL qpJointSetHingeMotorAccel(TqpJointHandle joint, float acceleration, float damping); /* angular acceleration (rad/s^2) minus damping x relative spin */
QUARN_API void QUARN_CALL qpJointSetHingeFixedAngleEnabled(TqpJointHandle joint, TQUARNBool enabled); /* enabling switches the limits off */
QUARN_API void QUARN_CALL qpJointSetHingeFixedAngle(TqpJointHandle joint, float degrees); /* servo target angle */
QUARN_API TqpJointHandle QUARN_CALL qpJointCreateUpVector(TqpBodyHandle body, const TQUARNVector* pin); /* keeps the body's pin axis on a world direction (set with qpJointSetUpVectorPin), free to turn about it */
QUARN_API void QUARN_CALL qpJointDestroyUpVector(TqpJointHandle joint); /* as qpJointDestroy; nil is ignored */
QUARN_API void QUARN_CALL qpJointSetUpVectorPin(TqpJointHandle joint, const TQUARNVector* pin); /* the world direction the axis is pulled onto; nil joint ignored */
QUARN_API TQUARNVector* QUARN_CALL qpJointGetUpVectorPin(TQUARNVector* result, TqpJointHandle joint); /* the pin last set, (0,0,0) before; nil joint leaves result untouched */

/* ---- Vehicles ---------------------------------------------------------------------------- */

QUARN_API TqpVehicleHandle QUARN_CALL qpVehicleCreate(TqpBodyHandle chassis); /* vehicle joint on the chassis (up is +Y); lives as long as the chassis; NULL on failure */
#if defined(_WIN32) && !defined(_WIN64)
#include "QuarnTyreCall32.h"
#else
QUARN_API TqpTyreHandle qpVehicleAddTyre(TqpVehicleHandle vehicle, const TQUARNVector* position, const TQUARNVector* pin, float mass, float width, float radius, float shock, float spring, float length); /* tyre at a chassis-space position turning about pin (axle); the platform's C convention; on 32-bit Windows the register convention of QuarnTyreCall32.h; NULL on failure */
#endif
QUARN_API void QUARN_CALL qpVehicleSetTyreTorque(TqpTyreHandle tyre, float torque); /* drive torque applied in every update from now on (0 rolls freely) */
QUARN_API void QUARN_CALL qpVehicleSetTyreSteerAngle(TqpTyreHandle tyre, float degrees); /* steering angle applied in every update from now on (0 straight ahead) */

/* clang-format on */

#ifdef __cplusplus
}
#endif

#endif /* QUARN_PHYSICS_H */
