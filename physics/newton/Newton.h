/* The rigid-body layer the physics library is written against: a Newton-style C API
 * implemented on Bullet. Matrices are 16 floats in row-vector layout (rows: x axis, y axis,
 * z axis, position; translation in elements 12..14). Vectors are 3 floats. No function
 * throws; a NULL handle where one is required makes the call do nothing (or return 0/NULL). */
#ifndef QUARN_PHYSICS_NEWTON_H
#define QUARN_PHYSICS_NEWTON_H

#ifdef __cplusplus
extern "C" {
#endif

typedef float dFloat;

typedef struct NewtonWorld NewtonWorld;
typedef struct NewtonBody NewtonBody;
typedef struct NewtonCollision NewtonCollision;
typedef struct NewtonMaterial NewtonMaterial;
typedef struct NewtonContact NewtonContact;
typedef struct NewtonJoint NewtonJoint;
/* A user joint is a joint; the name marks the functions valid inside its submit callback. */
typedef struct NewtonJoint NewtonUserJoint;

/* ---- callbacks ---------------------------------------------------------------------- */

/* Applies forces: called inside NewtonUpdate for every awake body with mass. */
typedef void (*NewtonApplyForceAndTorque)(const NewtonBody* body);
/* Reports a moved body: called inside NewtonUpdate with the body's new matrix (body frame). */
typedef void (*NewtonSetTransform)(const NewtonBody* body, const dFloat* matrix);
/* Called once when the body is destroyed, before it is gone. */
typedef void (*NewtonBodyDestructor)(const NewtonBody* body);
/* One call per body from NewtonWorldForEachBodyDo. */
typedef void (*NewtonBodyIterator)(const NewtonBody* body);
/* One call per polygon (packed x,y,z floats in world space) from NewtonBodyForEachPolygonDo. */
typedef void (*NewtonCollisionIterator)(const NewtonBody* body, int vertexCount,
                                        const dFloat* vertices, int faceId);
/* Accepted for source compatibility by NewtonCreateTreeCollision; the layer never calls it. */
typedef void (*NewtonTreeCollisionCallback)(const NewtonBody* treeBody, const NewtonBody* body,
                                            const dFloat* vertices, int strideInBytes,
                                            int indexCount, const int* indices);
/* Once per update for each touching body pair with at least one awake body, before its
 * contacts; returning 0 ignores the pair for that update. */
typedef int (*NewtonContactBegin)(const NewtonMaterial* material, const NewtonBody* body0,
                                  const NewtonBody* body1);
/* Once per contact point of the pair (NewtonMaterial* describes it until the callback returns);
 * returning 0 drops that contact. */
typedef int (*NewtonContactProcess)(const NewtonMaterial* material, const NewtonContact* contact);
/* After the last contact of the pair. */
typedef void (*NewtonContactEnd)(const NewtonMaterial* material);
/* Submits a user joint's rows: called once per update for each joint. */
typedef void (*NewtonUserBilateralCallBack)(const NewtonJoint* joint);
/* Called once when a joint is destroyed (explicitly, with a body or with the world). */
typedef void (*NewtonConstraintDestructor)(const NewtonJoint* joint);
/* Called once per update for each vehicle, inside NewtonUpdate, before the tyres act. */
typedef void (*NewtonVehicleTireUpdate)(const NewtonJoint* vehicle);

/* ---- world -------------------------------------------------------------------------- */

/* Creates a world; both allocator arguments are accepted and must be NULL (ignored). */
NewtonWorld* NewtonCreate(void* mallocFnt, void* freeFnt);
/* Destroys every joint and body (running their destructors), then the world and any shape
 * still referenced; every handle of the world is invalid afterwards. Ignored inside an update. */
void NewtonDestroy(const NewtonWorld* world);
/* Destroys every body of the world (and their joints); the world stays usable. */
void NewtonDestroyAllBodies(const NewtonWorld* world);
/* Advances the world by exactly one step of timestep seconds (ignored when not positive or when
 * called from inside an update). Inside it, in this order: the force callback of every awake
 * body with mass (creation order); collision; the contact callbacks of each touching pair;
 * each joint's submit callback and each vehicle's tyre callback (creation order); the solver
 * and integration; sleeping and the world box; the transform callback of every body whose
 * matrix changed since it last reported (creation order). Bodies and joints destroyed by a
 * callback are freed when the update ends. */
void NewtonUpdate(const NewtonWorld* world, dFloat timestep);
/* Sets the simulated box (default -100..100 on each axis). A dynamic body whose centre of mass
 * leaves it is frozen where it is: no callbacks, no motion, reported as sleeping, until its
 * centre is inside again (moved there with NewtonBodySetMatrix, or the box grows). */
void NewtonSetWorldSize(const NewtonWorld* world, const dFloat* minPoint, const dFloat* maxPoint);
/* Calls callback once for every body of the world, in creation order. */
void NewtonWorldForEachBodyDo(const NewtonWorld* world, NewtonBodyIterator callback);
/* Wakes a sleeping body (a body frozen outside the world box stays frozen). */
void NewtonWorldUnfreezeBody(const NewtonWorld* world, const NewtonBody* body);
/* The number of bodies in the world. */
int NewtonWorldGetBodyCount(const NewtonWorld* world);

/* ---- materials ---------------------------------------------------------------------- */

/* The id of the world's only material group. */
int NewtonMaterialGetDefaultGroupID(const NewtonWorld* world);
/* Registers the contact callbacks of a group pair (any of them may be NULL). */
void NewtonMaterialSetCollisionCallback(const NewtonWorld* world, int id0, int id1, void* userData,
                                        NewtonContactBegin begin, NewtonContactProcess process,
                                        NewtonContactEnd end);
/* Restitution of the pair's contacts (default 0.4 until set; clamped to 0..1). */
void NewtonMaterialSetDefaultElasticity(const NewtonWorld* world, int id0, int id1,
                                        dFloat elasticity);
/* Contact softness of the pair (default 0.15; larger is softer, clamped to 0.01..2). */
void NewtonMaterialSetDefaultSoftness(const NewtonWorld* world, int id0, int id1, dFloat softness);
/* Friction coefficients of the pair (default 0.9 static, 0.5 kinetic; Bullet uses kinetic). */
void NewtonMaterialSetDefaultFriction(const NewtonWorld* world, int id0, int id1,
                                      dFloat staticFriction, dFloat kineticFriction);
/* The user data given to NewtonMaterialSetCollisionCallback (inside a contact callback). */
void* NewtonMaterialGetMaterialPairUserData(const NewtonMaterial* material);
/* Process callback: the current contact's world position and its normal (from body1 to body0). */
void NewtonMaterialGetContactPositionAndNormal(const NewtonMaterial* material, dFloat* position,
                                               dFloat* normal);
/* Process callback: the current contact's approach speed along its normal. */
dFloat NewtonMaterialGetContactNormalSpeed(const NewtonMaterial* material,
                                           const NewtonContact* contact);
/* Process callback: the first tangent := direction projected on the contact plane, the second
 * := normal x first (ignored when direction is along the normal). */
void NewtonMaterialContactRotateTangentDirections(const NewtonMaterial* material,
                                                  const dFloat* direction);
/* Process callback: the sliding acceleration of body0 relative to body1 along tangent 0 or 1
 * for this update, limited by friction (conveyor belts). */
void NewtonMaterialSetContactTangentAcceleration(const NewtonMaterial* material,
                                                 dFloat acceleration, int tangentIndex);

/* ---- collision shapes (reference counted; the creator holds one reference) ----------- */

/* A box of full extents dx, dy, dz centred on offsetMatrix (NULL = identity). */
NewtonCollision* NewtonCreateBox(const NewtonWorld* world, dFloat dx, dFloat dy, dFloat dz,
                                 const dFloat* offsetMatrix);
/* A sphere of radii rx, ry, rz (an ellipsoid when they differ) placed by offsetMatrix. */
NewtonCollision* NewtonCreateSphere(const NewtonWorld* world, dFloat rx, dFloat ry, dFloat rz,
                                    const dFloat* offsetMatrix);
/* The convex hull of count points read every strideInBytes bytes; NULL when degenerate. */
NewtonCollision* NewtonCreateConvexHull(const NewtonWorld* world, int count,
                                        const dFloat* vertexCloud, int strideInBytes,
                                        const dFloat* offsetMatrix);
/* An empty static triangle mesh; fill it between BeginBuild and EndBuild. */
NewtonCollision* NewtonCreateTreeCollision(const NewtonWorld* world,
                                           NewtonTreeCollisionCallback userCallback);
/* Starts (or restarts) the face list of a tree collision; ignored while a body uses the tree. */
void NewtonTreeCollisionBeginBuild(const NewtonCollision* treeCollision);
/* Adds a polygon (fanned into triangles) read every strideInBytes bytes. */
void NewtonTreeCollisionAddFace(const NewtonCollision* treeCollision, int vertexCount,
                                const dFloat* vertices, int strideInBytes, int faceAttribute);
/* Finishes the mesh and builds its tree; optimize is accepted (the tree is always built). */
void NewtonTreeCollisionEndBuild(const NewtonCollision* treeCollision, int optimize);
/* A compound of count convex shapes (each gains a reference); NULL if any is unusable. */
NewtonCollision* NewtonCreateCompoundCollision(const NewtonWorld* world, int count,
                                               NewtonCollision* const collisions[]);
/* Drops one reference; the shape is freed with its last reference. */
void NewtonReleaseCollision(const NewtonWorld* world, const NewtonCollision* collision);
/* Adds one reference. */
void NewtonAddCollisionReference(const NewtonCollision* collision);
/* The current reference count (for diagnostics and tests). */
int NewtonCollisionGetReferenceCount(const NewtonCollision* collision);
/* Unit-mass principal inertia (Ixx, Iyy, Izz) and centre of mass of a convex shape. */
void NewtonConvexCollisionCalculateInertialMatrix(const NewtonCollision* collision, dFloat* inertia,
                                                  dFloat* origin);
/* Closest point of the shape placed at matrix to point, and the unit normal from the shape
 * toward point; returns 1 when found. A point inside the shape gets the nearest surface point
 * and the outward normal there; returns 0 for tree collisions, NULL input or a point on the
 * surface of a shape with no defined normal. */
int NewtonCollisionPointDistance(const NewtonWorld* world, const dFloat* point,
                                 const NewtonCollision* collision, const dFloat* matrix,
                                 dFloat* contact, dFloat* normal);

/* ---- bodies ------------------------------------------------------------------------- */

/* A static body (mass 0) with the shape (which gains a reference) at the identity matrix;
 * NULL for a tree still being built. A body on a tree collision always stays static. */
NewtonBody* NewtonCreateBody(const NewtonWorld* world, const NewtonCollision* collision);
/* Destroys the body's joints (their destructors run), runs its own destructor and frees it;
 * inside an update this happens when the update ends. */
void NewtonDestroyBody(const NewtonWorld* world, const NewtonBody* body);
void NewtonBodySetUserData(const NewtonBody* body, void* userData);
void* NewtonBodyGetUserData(const NewtonBody* body);
NewtonWorld* NewtonBodyGetWorld(const NewtonBody* body);
/* The body's shape (no reference is added). */
NewtonCollision* NewtonBodyGetCollision(const NewtonBody* body);
/* Places the body frame (the frame the callbacks report) and wakes the body. */
void NewtonBodySetMatrix(const NewtonBody* body, const dFloat* matrix);
void NewtonBodyGetMatrix(const NewtonBody* body, dFloat* matrix);
/* Mass and principal inertia about the centre of mass; mass 0 makes the body static. A switch
 * between static and dynamic asked for inside a contact or submit callback is ignored. */
void NewtonBodySetMassMatrix(const NewtonBody* body, dFloat mass, dFloat Ixx, dFloat Iyy,
                             dFloat Izz);
void NewtonBodyGetMassMatrix(const NewtonBody* body, dFloat* mass, dFloat* Ixx, dFloat* Iyy,
                             dFloat* Izz);
/* Centre of mass in the body frame; the body frame itself does not move. Ignored for trees
 * and inside contact and submit callbacks. */
void NewtonBodySetCentreOfMass(const NewtonBody* body, const dFloat* com);
void NewtonBodyGetCentreOfMass(const NewtonBody* body, dFloat* com);
/* Force and torque for this update (world space, at the centre of mass): valid in the force
 * callback; Set replaces what was accumulated, Add accumulates. Cleared after each update. */
void NewtonBodySetForce(const NewtonBody* body, const dFloat* force);
void NewtonBodyAddForce(const NewtonBody* body, const dFloat* force);
void NewtonBodySetTorque(const NewtonBody* body, const dFloat* torque);
void NewtonBodyAddTorque(const NewtonBody* body, const dFloat* torque);
/* Linear velocity of the centre of mass and angular velocity, world space. */
void NewtonBodySetVelocity(const NewtonBody* body, const dFloat* velocity);
void NewtonBodyGetVelocity(const NewtonBody* body, dFloat* velocity);
void NewtonBodySetOmega(const NewtonBody* body, const dFloat* omega);
void NewtonBodyGetOmega(const NewtonBody* body, dFloat* omega);
void NewtonBodySetForceAndTorqueCallback(const NewtonBody* body,
                                         NewtonApplyForceAndTorque callback);
void NewtonBodySetTransformCallback(const NewtonBody* body, NewtonSetTransform callback);
void NewtonBodySetDestructorCallback(const NewtonBody* body, NewtonBodyDestructor callback);
/* 1 (default): the body sleeps after resting for the freeze threshold's frames; 0: never. */
void NewtonBodySetAutoFreeze(const NewtonBody* body, int state);
/* Sleep thresholds: squared speed, squared angular speed and the number of quiet frames. */
void NewtonBodySetFreezeTreshold(const NewtonBody* body, dFloat freezeSpeed2, dFloat freezeOmega2,
                                 int framesCount);
/* 1 while the body sleeps or is frozen outside the world box, else 0. */
int NewtonBodyGetSleepingState(const NewtonBody* body);
/* 1: gyroscopic (Coriolis) torque is integrated; 0 (default): it is not. */
void NewtonBodyCoriolisForcesMode(const NewtonBody* body, int mode);
/* 1: swept-sphere continuous collision against fast tunnelling; 0 (default): off. */
void NewtonBodySetContinuousCollisionMode(const NewtonBody* body, unsigned state);
/* Calls callback for every polygon of the body's shape in world space: a box gives 6 quads,
 * a sphere a tessellation, a hull its faces, a tree its triangles, a compound its children. */
void NewtonBodyForEachPolygonDo(const NewtonBody* body, NewtonCollisionIterator callback);

/* ---- joints ------------------------------------------------------------------------- */

/* A joint of at most maxDOF rows between child and parent (NULL parent = the world); the two
 * bodies no longer collide with each other. NULL when child is NULL or equals parent. */
NewtonJoint* NewtonConstraintCreateUserJoint(const NewtonWorld* world, int maxDOF,
                                             NewtonUserBilateralCallBack submitConstraints,
                                             const NewtonBody* childBody,
                                             const NewtonBody* parentBody);
/* Scales how hard every row is enforced (0..1, default 0.9). */
void NewtonJointSetStiffness(const NewtonJoint* joint, dFloat stiffness);
dFloat NewtonJointGetStiffness(const NewtonJoint* joint);
void NewtonJointSetUserData(const NewtonJoint* joint, void* userData);
void* NewtonJointGetUserData(const NewtonJoint* joint);
void NewtonJointSetDestructor(const NewtonJoint* joint, NewtonConstraintDestructor destructor);
/* The joint's child and parent body (parent NULL when attached to the world). */
NewtonBody* NewtonJointGetBody0(const NewtonJoint* joint);
NewtonBody* NewtonJointGetBody1(const NewtonJoint* joint);
/* Destroys a user joint or a vehicle; its destructor runs first. */
void NewtonDestroyJoint(const NewtonWorld* world, const NewtonJoint* joint);
/* Submit callback: a row driving the separation of the two world points along direction to
 * zero (the parent point is fixed in the world when there is no parent). */
void NewtonUserJointAddLinearRow(const NewtonJoint* joint, const dFloat* pointOnChild,
                                 const dFloat* pointOnParent, const dFloat* direction);
/* Submit callback: a row driving angleError, the parent's rotation relative to the child about
 * direction, to zero; the row's rate is (omega parent - omega child) . direction. */
void NewtonUserJointAddAngularRow(const NewtonJoint* joint, dFloat angleError,
                                  const dFloat* direction);
/* Submit callback: the last row's relative acceleration for this update (linear rows: child
 * point relative to parent point along direction), replacing its position correction. */
void NewtonUserJointSetRowAcceleration(const NewtonJoint* joint, dFloat acceleration);
/* Submit callback: the last row's stiffness (0..1), replacing the joint's. */
void NewtonUserJointSetRowStiffness(const NewtonJoint* joint, dFloat stiffness);

/* ---- vehicles ----------------------------------------------------------------------- */

/* A raycast vehicle on chassis with up direction upDir (chassis frame); a joint handle. */
NewtonJoint* NewtonConstraintCreateVehicle(const NewtonWorld* world, const dFloat* upDir,
                                           const NewtonBody* chassis);
void NewtonVehicleSetTireCallback(const NewtonJoint* vehicle, NewtonVehicleTireUpdate callback);
/* Adds a tyre at localMatrix's position (chassis frame: the top of the suspension, which
 * extends suspensionLength down the up direction), rolling about pin; returns the tyre id (NULL
 * on bad input). Spring and shock act per unit chassis mass (force = mass x (spring x
 * compression - shock x speed)); the tyre's own mass, width and collision id are not used. */
void* NewtonVehicleAddTire(const NewtonJoint* vehicle, const dFloat* localMatrix, const dFloat* pin,
                           dFloat mass, dFloat width, dFloat radius, dFloat suspensionShock,
                           dFloat suspensionSpring, dFloat suspensionLength, void* userData,
                           int collisionID);
void NewtonVehicleRemoveTire(const NewtonJoint* vehicle, void* tireId);
/* The first tyre id, or NULL when there is none. */
void* NewtonVehicleGetFirstTireID(const NewtonJoint* vehicle);
/* The tyre after tireId, or NULL after the last. */
void* NewtonVehicleGetNextTireID(const NewtonJoint* vehicle, void* tireId);
void* NewtonVehicleGetTireUserData(const NewtonJoint* vehicle, void* tireId);
/* The tyre's world matrix after the last update (suspension travel and spin applied). */
void NewtonVehicleGetTireMatrix(const NewtonJoint* vehicle, void* tireId, dFloat* matrix);
/* 1 while the tyre touches nothing, 0 while it is on the ground. */
int NewtonVehicleTireIsAirBorne(const NewtonJoint* vehicle, void* tireId);
/* Tyre callback: drive torque about the pin for this update only (drive force = torque /
 * radius; a positive torque rolls the vehicle toward pin x up). */
void NewtonVehicleSetTireTorque(const NewtonJoint* vehicle, void* tireId, dFloat torque);
/* Tyre callback: steering angle in radians about the up direction, for this update only. */
void NewtonVehicleSetTireSteerAngle(const NewtonJoint* vehicle, void* tireId, dFloat angle);

#ifdef __cplusplus
}
#endif

#endif
