/* QuarnLink.h - host-side helpers that connect QuarnGL and QuarnPhysics. Valid C99 and C++.
 *
 * The two libraries never call each other; these static inline functions run in the host and
 * use only the exports of both headers, so a host that includes this file links both
 * libraries. Nothing here keeps state.
 *
 * - quarnFollowBody: each frame, copy a body's interpolated pose into a dynamic object.
 * - quarnCollisionFromStatic / quarnCollisionFromDynamic: a collision built from the faces of
 *   a scene object (a static mesh becomes a tree collision for the world's floor and walls).
 * - quarnVectorArrayCreate / quarnIntVectorArrayCreate / quarnFaceDataCreate: counted arrays
 *   and face data built from plain C arrays, with the count stored before element 0 as the
 *   physics exports check it. Free them with the matching ...Free function. */
#ifndef QUARN_LINK_H
#define QUARN_LINK_H

#include "QuarnGL.h"
#include "QuarnPhysics.h"

#include <stdlib.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Counted arrays keep their int32 count in the four bytes before element 0; the elements hold
 * only 4-byte members, so they stay naturally aligned after it. */
static inline void* quarnCountedArrayAllocate(int32_t count, size_t elementSize) {
    int32_t* block;
    if (count < 0) return NULL;
    block = (int32_t*)malloc(sizeof(int32_t) + (size_t)count * elementSize);
    if (!block) return NULL;
    block[0] = count;
    return block + 1;
}

static inline void quarnCountedArrayFree(void* array) {
    if (array) free((int32_t*)array - 1);
}

/* A counted vector array of Count vectors copied from Xyz (3 floats a vector; NULL leaves the
 * vectors zero). NULL when Count is negative or memory runs out. */
static inline TQUARNVectorArray quarnVectorArrayCreate(const float* Xyz, int32_t Count) {
    TQUARNVectorArray array =
        (TQUARNVectorArray)quarnCountedArrayAllocate(Count, sizeof(TQUARNVector));
    if (array && Count > 0) {
        if (Xyz)
            memcpy(array, Xyz, (size_t)Count * sizeof(TQUARNVector));
        else
            memset(array, 0, (size_t)Count * sizeof(TQUARNVector));
    }
    return array;
}

static inline void quarnVectorArrayFree(TQUARNVectorArray Array) {
    quarnCountedArrayFree(Array);
}

/* A counted array of Count index triples copied from Indices (3 int32 a triple). */
static inline TQUARNIntVectorArray2D quarnIntVectorArrayCreate(const int32_t* Indices,
                                                               int32_t Count) {
    TQUARNIntVectorArray2D array =
        (TQUARNIntVectorArray2D)quarnCountedArrayAllocate(Count, sizeof(TQUARNIntVector));
    if (array && Count > 0) {
        if (Indices)
            memcpy(array, Indices, (size_t)Count * sizeof(TQUARNIntVector));
        else
            memset(array, 0, (size_t)Count * sizeof(TQUARNIntVector));
    }
    return array;
}

static inline void quarnIntVectorArrayFree(TQUARNIntVectorArray2D Array) {
    quarnCountedArrayFree(Array);
}

/* Face data of VertexCount vertices (3 floats each) and FaceCount triangles (3 vertex indices
 * each), both copied. Returns 1, or 0 with *Out zeroed when an array cannot be built. */
static inline int quarnFaceDataCreate(TQUARNFaceData* Out, const float* Vertices,
                                      int32_t VertexCount, const int32_t* Faces,
                                      int32_t FaceCount) {
    if (!Out) return 0;
    Out->VertexCount = VertexCount;
    Out->FaceCount = FaceCount;
    Out->Vertices = quarnVectorArrayCreate(Vertices, VertexCount);
    Out->Faces = quarnIntVectorArrayCreate(Faces, FaceCount);
    if (!Out->Vertices || !Out->Faces) {
        quarnVectorArrayFree(Out->Vertices);
        quarnIntVectorArrayFree(Out->Faces);
        memset(Out, 0, sizeof *Out);
        return 0;
    }
    return 1;
}

/* Frees the arrays of face data built by quarnFaceDataCreate (never the library's own). */
static inline void quarnFaceDataFree(TQUARNFaceData* Data) {
    if (!Data) return;
    quarnVectorArrayFree(Data->Vertices);
    quarnIntVectorArrayFree(Data->Faces);
    memset(Data, 0, sizeof *Data);
}

/* Places DynamicObject at Body's pose interpolated by Alpha (pass
 * qpWorldGetAlphaTimeUntilNextStep) and makes the object draw with that matrix as given.
 * Returns 1, or 0 when the body could not be read (see qpGetLastError; the object is left
 * unchanged). Call it each frame, e.g. in the before-render callback. */
static inline int quarnFollowBody(TQGLHandle DynamicObject, TqpBodyHandle Body, float Alpha) {
    TqpMatrix matrix;
    if (!qpBodyGetInterpolatedMatrix(&matrix, Body, Alpha)) return 0;
    qglSetDynamicMatrix(DynamicObject, matrix.m, 1);
    return 1;
}

/* A collision of Kind (QP_COLLISION_TREE for level geometry, or QP_COLLISION_CONVEX_HULL, BOX,
 * SPHERE) built from the faces of a static mesh, in the mesh's own coordinates, owned by World.
 * NULL when the mesh has no face data (see qglGetLastError) or the world refuses it (see
 * qpGetLastError). */
static inline TqpCollisionHandle quarnCollisionFromStatic(TqpWorldHandle World, int32_t Kind,
                                                          TQGLHandle StaticObject) {
    const TQUARNFaceData* faces = qglGetStaticFaceData(StaticObject);
    if (!faces) return NULL;
    return qpCollisionCreateByFace(World, Kind, faces);
}

/* The same for a dynamic object (its untransformed mesh; a proxy gives its source's). */
static inline TqpCollisionHandle quarnCollisionFromDynamic(TqpWorldHandle World, int32_t Kind,
                                                           TQGLHandle DynamicObject) {
    const TQUARNFaceData* faces = qglGetDynamicFaceData(DynamicObject);
    if (!faces) return NULL;
    return qpCollisionCreateByFace(World, Kind, faces);
}

#ifdef __cplusplus
}
#endif

#endif /* QUARN_LINK_H */
