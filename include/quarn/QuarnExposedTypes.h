/* QuarnExposedTypes.h - exchange types and ABI macros shared by QuarnGL and QuarnPhysics.
 * Valid C99 and C++. */
#ifndef QUARN_EXPOSED_TYPES_H
#define QUARN_EXPOSED_TYPES_H

#include <stdint.h>

/* The version of these headers. qglGetVersion and qpGetVersion return the version of the
 * library that was loaded, as QUARN_VERSION_NUMBER: a host built against one version and run
 * with another can tell. */
#define QUARN_VERSION_MAJOR 0
#define QUARN_VERSION_MINOR 1
#define QUARN_VERSION_PATCH 0
#define QUARN_VERSION_NUM(major, minor, patch) ((major)*10000 + (minor)*100 + (patch))
#define QUARN_VERSION_NUMBER                                                                       \
    QUARN_VERSION_NUM(QUARN_VERSION_MAJOR, QUARN_VERSION_MINOR, QUARN_VERSION_PATCH)

/* Calling convention of every export and host callback: stdcall on 32-bit Windows, the
 * platform's C convention elsewhere. */
#if defined(_WIN32) && !defined(_WIN64)
#define QUARN_CALL __stdcall
#else
#define QUARN_CALL
#endif

/* Marks an exported function; the libraries build with hidden visibility otherwise. */
#if defined(_WIN32)
#ifdef QUARN_BUILDING_LIBRARY
#define QUARN_API __declspec(dllexport)
#else
#define QUARN_API __declspec(dllimport)
#endif
#else
#define QUARN_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Booleans cross the boundary as one byte: 0 false, anything else true. */
typedef uint8_t TQUARNBool;

/* A vector of three singles (x, y, z). */
typedef struct TQUARNVector {
    float x, y, z;
} TQUARNVector;

/* Three signed 32-bit integers, e.g. the vertex indices of one face. */
typedef struct TQUARNIntVector {
    int32_t a, b, c;
} TQUARNIntVector;

/* Counted arrays: the pointer is to the first element; the element count is an int32 stored
 * immediately before it (QUARN_ARRAY_COUNT reads it). Arrays handed out by a library live in
 * library buffers that the next call of the same export reuses: copy what you keep. */
typedef TQUARNVector* TQUARNVectorArray;
typedef TQUARNIntVector* TQUARNIntVectorArray2D;
typedef void** TQUARNPointerArray;

#define QUARN_ARRAY_COUNT(array) ((array) ? ((const int32_t*)(const void*)(array))[-1] : 0)

/* Face data of a mesh: FaceCount faces, each three indices into Vertices. 16 bytes on 32-bit
 * targets; the two arrays are pointer-sized here. */
typedef struct TQUARNFaceData {
    int32_t FaceCount;
    int32_t VertexCount;
    TQUARNVectorArray Vertices;
    TQUARNIntVectorArray2D Faces;
} TQUARNFaceData;

#ifdef __cplusplus
}
#endif

#endif /* QUARN_EXPOSED_TYPES_H */
