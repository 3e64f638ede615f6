/* QuarnGL.h - the rendering engine's exports. Valid C99 and C++.
 *
 * The host calls qglCreateSceneWindow, which opens the render window, creates the scene, calls
 * OnSceneInit once and then runs the message-and-render loop on the calling thread until Escape or
 * qglDestroySceneWindow. Every other export is called from inside the callbacks of that loop;
 * before the first window, an export that needs the window or the scene fails with "No scene
 * window: call qglCreateSceneWindow first". Those that need neither (the message callback, the
 * version, the last error, qglDestroySceneWindow, qglGetOpenGLLibHandle, the key and mouse
 * callbacks, key registration and key states) work at any time. Handles are the library's own
 * objects, passed back unchanged. Strings passed in are copied; a NULL string counts as "" unless
 * the export says otherwise. Strings handed out stay valid until the value changes. Arrays handed
 * out are counted arrays (QUARN_ARRAY_COUNT) in library buffers that a later call reuses: copy what
 * you keep. Units: angles are degrees, sizes and positions on the screen are pixels, times are
 * milliseconds unless an export says otherwise; world positions and sizes are in the host's own
 * units.
 *
 * No export raises. A failure is stored as the last error (qglGetLastError), sent to the message
 * channel with the caption "Error" (qglSetMessageCallBack) and the export returns its neutral
 * value: 0, NULL or false, but -1 for qglCreateSceneWindow and for the exports that return an
 * index (qglAddStaticObject, qglAddDynamicObject, qglGetMaterialIndex, and the qglAddStatic... and
 * qglAddDynamic... exports that append a vertex, normal, texture coordinate, face or mesh arrays:
 * 20 exports in all). A call that succeeds leaves the last error as it was: clear it
 * (qglClearLastError) before the calls whose failure you test.
 *
 * Handles are checked on entry: a handle that is NULL, foreign (any pointer the library did not
 * hand out), of the wrong kind (a material passed as a dynamic object) or stale (its object was
 * freed, or the host deleted it: a deleted object is still drawn in that frame, but its handle
 * is refused from the delete on, so a second delete is refused too) fails with
 * "<export>: not a live <kind> handle" and the neutral value; it is never dereferenced. The
 * material of qglLoadDynamicPredefined and qglAddDynamicHUDObject is the one exception: NULL or
 * a material not in the scene's list is allowed there (see each), and it is only compared with
 * the list's addresses. A new qglCreateSceneWindow frees the previous scene, so every handle of
 * it becomes stale. A freed object's memory is held back from reuse (per kind, the last 4096
 * freed objects or 2 MiB, whichever is less), so no new object takes a stale handle's address:
 * it stays refused for at least the next 1000 frees of objects of its kind (4096 for objects of
 * up to 512 bytes, which all kinds are but dynamic objects and some material stages).
 * qglCreateSceneWindow called while its loop runs (from any callback) is refused.
 *
 * Float arguments the scene keeps (positions, angles, sizes, colours, camera, projection, fog,
 * lights, matrices, mesh arrays, HUD, smoke and GLSL values, selection moves) must be finite: a
 * NaN or infinite one fails with "<export>: <argument> is not a finite number" and the neutral
 * value, changing nothing. So does a finite move or scale whose result would leave the float
 * range. The four ignored doubles of qglAddStaticObjectTerrain are not checked. */
#ifndef QUARN_GL_H
#define QUARN_GL_H

#include "QuarnExposedTypes.h"

#ifdef __cplusplus
extern "C" {
#endif
/* ---- Handles and callbacks -------------------------------------------------------------- */

typedef void* TQGLHandle;

typedef void(QUARN_CALL* TQGLSceneProc)(void);
/* Key is a pointer into the engine's registered-key list; read the code through it. */
typedef void(QUARN_CALL* TQGLKeyProc)(int32_t* Key);
/* Cursor and previous cursor, screen coordinates. */
typedef void(QUARN_CALL* TQGLMouseMoveProc)(float X, float Y, float PrevX, float PrevY);
/* Button 1 left, 2 right, 3 middle; X, Y client coordinates; PrevX, PrevY screen coordinates. */
typedef void(QUARN_CALL* TQGLMouseDownProc)(int32_t Button, float X, float Y, float PrevX,
                                            float PrevY);
/* The button last pressed: 1, 2 or 3; 0 after a completed click, -1 before any press. */
typedef void(QUARN_CALL* TQGLMouseUpProc)(int32_t Button);
/* Wheel turn: positive away from the user, 1 a notch (finer wheels give fractions). */
typedef void(QUARN_CALL* TQGLMouseWheelProc)(float Notches);
/* Receives every text the engine would show in a message box. */
typedef void(QUARN_CALL* TQGLMessageProc)(const char* Caption, const char* Text);

/* ---- Virtual-key codes (Win32 values) --------------------------------------------------- */

#define QGL_VK_BACK 8
#define QGL_VK_TAB 9
#define QGL_VK_RETURN 13
#define QGL_VK_SHIFT 16
#define QGL_VK_CONTROL 17
#define QGL_VK_MENU 18
#define QGL_VK_PAUSE 19
#define QGL_VK_CAPITAL 20
#define QGL_VK_ESCAPE 27
#define QGL_VK_SPACE 32
#define QGL_VK_PRIOR 33
#define QGL_VK_NEXT 34
#define QGL_VK_END 35
#define QGL_VK_HOME 36
#define QGL_VK_LEFT 37
#define QGL_VK_UP 38
#define QGL_VK_RIGHT 39
#define QGL_VK_DOWN 40
#define QGL_VK_INSERT 45
#define QGL_VK_DELETE 46
#define QGL_VK_0 48 /* '0'..'9' are 48..57 */
#define QGL_VK_A 65 /* 'A'..'Z' are 65..90 */
#define QGL_VK_D 68
#define QGL_VK_S 83
#define QGL_VK_W 87
#define QGL_VK_NUMPAD0 96
#define QGL_VK_MULTIPLY 106
#define QGL_VK_ADD 107
#define QGL_VK_SUBTRACT 109
#define QGL_VK_DECIMAL 110
#define QGL_VK_DIVIDE 111
#define QGL_VK_F1 112 /* F1..F12 are 112..123 */
#define QGL_VK_F12 123
#define QGL_VK_NUMLOCK 144
#define QGL_VK_SCROLL 145

/* ---- Named values for the integer arguments of the exports ---------------------------- */

/* qglLoadDynamicPredefined kinds (other kinds create nothing). */
#define QGL_SHAPE_BOX 1
#define QGL_SHAPE_QUAD 4 /* SizeX x SizeY, facing +z */
/* qglSetEnvironmentFogMode modes (the GL enums). */
#define QGL_FOG_EXP 0x0800
#define QGL_FOG_EXP2 0x0801
#define QGL_FOG_LINEAR 0x2601
/* Blend factors for qglSetMaterialBlendData, -Source and -Dest (the GL enums). A new material
 * has QGL_BLEND_ZERO, QGL_BLEND_ONE; ordinary transparency is SRC_ALPHA, ONE_MINUS_SRC_ALPHA;
 * additive glow is ONE, ONE. */
#define QGL_BLEND_ZERO 0
#define QGL_BLEND_ONE 1
#define QGL_BLEND_SRC_COLOR 0x0300
#define QGL_BLEND_ONE_MINUS_SRC_COLOR 0x0301
#define QGL_BLEND_SRC_ALPHA 0x0302
#define QGL_BLEND_ONE_MINUS_SRC_ALPHA 0x0303
#define QGL_BLEND_DST_ALPHA 0x0304
#define QGL_BLEND_ONE_MINUS_DST_ALPHA 0x0305
#define QGL_BLEND_DST_COLOR 0x0306
#define QGL_BLEND_ONE_MINUS_DST_COLOR 0x0307
#define QGL_BLEND_SRC_ALPHA_SATURATE 0x0308
/* Texture environment modes for the EnvMode of texture stages (the GL enums). */
#define QGL_TEXENV_ADD 0x0104
#define QGL_TEXENV_REPLACE 0x1E01
#define QGL_TEXENV_MODULATE 0x2100
#define QGL_TEXENV_DECAL 0x2101
/* Material stage kinds, as KSF scene files store them (4 and above 6 make no stage). */
#define QGL_STAGE_TEXTURE 0
#define QGL_STAGE_CUBE_MAP 1
#define QGL_STAGE_SPHERE_MAP 2
#define QGL_STAGE_BUMP_MAP 3
#define QGL_STAGE_GLSL 5
#define QGL_STAGE_RENDER_TARGET 6

/* ---- Library and frame loop ----------------------------------------------------------- */

/* Opens a Width x Height window (PixelDepth colour bits: 16, 24 or 32; 16-bit depth buffer;
 * FullScreen asks for a display-mode change and falls back to a window), creates the scene,
 * calls OnSceneInit, then renders until Escape (returns 27), the close box or a quit message
 * (returns 0), or qglDestroySceneWindow (returns the wParam of the last message handled, 0 if
 * none). Each frame calls OnBeforeRender, draws the scene, calls OnAfterRender and swaps; the
 * callbacks may be NULL. Returns -1 when Width or Height is not positive, PixelDepth is not 16,
 * 24 or 32, the window or GL context cannot be created, a frame fails, or the call comes from
 * inside a running loop (see qglGetLastError). A new call frees the previous screen and scene. */
QUARN_API int32_t QUARN_CALL qglCreateSceneWindow(int32_t Width, int32_t Height, int32_t PixelDepth,
                                                  TQUARNBool FullScreen, TQGLSceneProc OnSceneInit,
                                                  TQGLSceneProc OnBeforeRender,
                                                  TQGLSceneProc OnAfterRender);
/* Ends the loop before its next iteration (after the current frame when called in a callback).
 * Harmless when no loop runs. */
QUARN_API void QUARN_CALL qglDestroySceneWindow(void);
/* Draws and shows one frame at once, outside the loop's frames: ImageFile (BMP, JPG or TGA) on
 * a quad 10 units along -z from the current model-view origin, for a loading screen shown from
 * OnSceneInit. Each call appends a new material to the material list, and the model-view
 * translation accumulates from call to call. The clear colour is the host's again after it. */
QUARN_API void QUARN_CALL qglRenderLoaderScreen(const char* ImageFile);
/* Sets the receiver of message-box texts, the failures' "Error" messages included (NULL: a
 * modal box on screen, stderr when headless). Works at any time. */
QUARN_API void QUARN_CALL qglSetMessageCallBack(TQGLMessageProc Callback);
/* The loaded library's version as QUARN_VERSION_NUMBER makes it (major * 10000 + minor * 100 +
 * patch); any time, no window needed. */
QUARN_API int32_t QUARN_CALL qglGetVersion(void);
/* Module handle of the OpenGL library loaded at window creation (for looking up GL entry
 * points); NULL before the first window. Owned by the library: do not free it. */
QUARN_API void* QUARN_CALL qglGetOpenGLLibHandle(void);

/* ---- Window, input and timing --------------------------------------------------------- */

/* The window caption: from the next once-a-second tick on it shows Title + "   [N FPS]", N the
 * frames drawn in that second. The returned string is the library's, valid until the next
 * qglSetSceneTitle; NULL (and an error) without a window. A NULL Title clears it. */
QUARN_API void QUARN_CALL qglSetSceneTitle(const char* Title);
QUARN_API const char* QUARN_CALL qglGetSceneTitle(void);
/* OnKeyHeld: every frame, for each registered key that is down; OnKeyUp: on release of a
 * registered key (first matching entry). Either may be NULL. Works at any time. */
QUARN_API void QUARN_CALL qglSetSceneKeyCallbacks(TQGLKeyProc OnKeyHeld, TQGLKeyProc OnKeyUp);
/* Appends Key (a virtual-key code, QGL_VK_...) to the registered keys (duplicates allowed). */
QUARN_API void QUARN_CALL qglRegisterSceneKey(int32_t Key);
/* Sets every registered entry equal to Key to 0; the list never shrinks. */
QUARN_API void QUARN_CALL qglUnRegisterSceneKey(int32_t Key);
/* The mouse callbacks (see their types); each may be NULL. Called between frames, when the
 * window's messages are handled. Works at any time. */
QUARN_API void QUARN_CALL qglSetSceneMouseCallbacks(TQGLMouseMoveProc OnMouseMove,
                                                    TQGLMouseDownProc OnMouseDown,
                                                    TQGLMouseUpProc OnMouseUp);
/* The wheel reaches only a host that sets OnMouseWheel, which receives each turn between frames
 * like the other mouse callbacks (NULL: the wheel is ignored again). */
QUARN_API void QUARN_CALL qglSetSceneMouseWheelCallback(TQGLMouseWheelProc OnMouseWheel);
/* The key table, indexed by virtual-key code: 1 while the key is down, else 0 (the window's
 * key messages keep it). The setter overwrites an entry until the key's next message. Works at
 * any time; never fails. */
QUARN_API uint8_t QUARN_CALL qglGetSceneKeyState(uint8_t Key);
QUARN_API void QUARN_CALL qglSetSceneKeyState(uint8_t Key, uint8_t State);
/* Visible >= 1 shows the cursor (display count + 1), 0 hides it (count - 1). */
QUARN_API void QUARN_CALL qglSetSceneCursorVisibility(uint8_t Visible);
/* Moves the cursor (screen coordinates, pixels); the move message this causes is not reported
 * to OnMouseMove. */
QUARN_API void QUARN_CALL qglSetSceneMousePosition(int32_t X, int32_t Y);
/* The cursor position in screen coordinates (pixels); NULL pointers are skipped. */
QUARN_API void QUARN_CALL qglGetSceneMousePosition(int32_t* X, int32_t* Y);
/* Moves the cursor to the window's centre (the camera's centre point, screen coordinates);
 * that move is not reported. */
QUARN_API void QUARN_CALL qglSetSceneMousePositionToCenter(void);
/* The window's client size in pixels (follows resizes) and colour depth in bits. */
QUARN_API int32_t QUARN_CALL qglGetSceneActualWidth(void);
QUARN_API int32_t QUARN_CALL qglGetSceneActualHeight(void);
QUARN_API int32_t QUARN_CALL qglGetScenePixelDepth(void);
/* 1 in full-screen mode; 0 in a window, also after a refused display-mode change. */
QUARN_API uint8_t QUARN_CALL qglGetSceneFullScreen(void);
/* Milliseconds: the tick count when the loop started (after OnSceneInit), the time since then,
 * smoothed (each frame the mean of the last value and the new one), and the frame time (the
 * change of the smoothed time in the last frame). qglGetSceneFrameTime is the same as
 * qglGetSceneFrameTicks. */
QUARN_API uint32_t QUARN_CALL qglGetSceneStartTicks(void);
QUARN_API uint32_t QUARN_CALL qglGetSceneElapsedTicks(void);
QUARN_API uint32_t QUARN_CALL qglGetSceneFrameTicks(void);
QUARN_API uint32_t QUARN_CALL qglGetSceneFrameTime(void);
/* The scene's FPS text: always "" (the caption carries the rate). The library's string, valid
 * while the scene lives. */
QUARN_API const char* QUARN_CALL qglGetSceneFPSString(void);
/* Native handles, owned by the library and valid while the window is open: on Windows the
 * HDC, HGLRC and HWND; elsewhere the SDL window (as device context and window) and the SDL GL
 * context. NULL without a window. */
QUARN_API void* QUARN_CALL qglGetSceneDeviceContext(void);
QUARN_API void* QUARN_CALL qglGetSceneRenderingContext(void);
QUARN_API void* QUARN_CALL qglGetSceneWindowHandle(void);

/* ---- Camera and projection ------------------------------------------------------------ */

/* The camera looks from its position along its direction (world units), with up (0, 1, 0).
 * Out receives 3 floats (x, y, z); a NULL Out is skipped. */
QUARN_API void QUARN_CALL qglSetCameraPosition(float X, float Y, float Z);
QUARN_API void QUARN_CALL qglGetCameraPosition(float* Out);
/* The view direction. Kept for drawing until the next move, strafe or mouse look, which derive
 * the direction from the camera's angles again. */
QUARN_API void QUARN_CALL qglSetCameraDirection(float X, float Y, float Z);
QUARN_API void QUARN_CALL qglGetCameraDirection(float* Out);
/* Stored and returned only (50 after the window opens); no camera operation applies it. */
QUARN_API void QUARN_CALL qglSetCameraSpeed(float Speed);
QUARN_API float QUARN_CALL qglGetCameraSpeed(void);
/* Along the view direction derived from the angles, by Amount world units (negative: back). */
QUARN_API void QUARN_CALL qglMoveCamera(float Amount);
/* Sideways (perpendicular to the view direction in the ground plane), by Amount world units. */
QUARN_API void QUARN_CALL qglStrafeCamera(float Amount);
/* Mouse look: X, Y is the cursor in screen coordinates (as OnMouseMove gives it). Turns by
 * its offset from the window centre (0.25 degree a pixel, pitch clamped to +-89 degrees) and
 * puts the cursor back at the centre; nothing when the cursor is at the centre. */
QUARN_API void QUARN_CALL qglMouseLookCamera(int32_t X, int32_t Y);
/* The perspective projection: vertical field of view in degrees, near and far clip distances
 * (world units). Until this is called it is 45 degrees, near 1, far 2000 (far 100 after the
 * user resized the window). Kept through resizes; the drawing and culling of the next frame use
 * it. Fails with an error, changing nothing, unless 0 < FieldOfViewDegrees < 180 and
 * 0 < Near < Far. */
QUARN_API void QUARN_CALL qglSetCameraProjection(float FieldOfViewDegrees, float Near, float Far);

/* ---- Static objects (world meshes, culled through an octree) -------------------------- */

/* Static meshes are drawn every frame before the dynamic objects, through their octree. New
 * meshes take the scene's show-occlusion-nodes and draw-normals switches. Indices into a
 * mesh's arrays and face list start at 0. */

/* Builds a terrain from a height map (BMP, or JPEG when the name ends in .jpg in any case):
 * a cell of CellSize per pixel, height (red - 128) * HeightScale, two faces per cell, centred
 * on the origin, with a material of its own appended to the material list; its octree is
 * built. The two strings after the file and the four doubles are ignored. Returns the mesh, or
 * NULL when the image cannot be read. A NULL HeightMapFile fails; a failed terrain leaves
 * nothing behind. */
QUARN_API TQGLHandle QUARN_CALL qglAddStaticObjectTerrain(const char* HeightMapFile,
                                                          const char* Unused1, const char* Unused2,
                                                          int32_t CellSize, int32_t HeightScale,
                                                          double Unused3, double Unused4,
                                                          double Unused5, double Unused6);
/* Appends an empty static mesh; returns its index in the static list, -1 on failure. Get its
 * handle with qglGetStaticObject; it is drawn once qglBuildStaticOctree has run. */
QUARN_API int32_t QUARN_CALL qglAddStaticObject(void);
/* The static mesh at Index of the static list (NULL and "List index out of bounds (Index)"
 * outside it). Indices shift when an earlier mesh is freed. */
QUARN_API TQGLHandle QUARN_CALL qglGetStaticObject(int32_t Index);
/* The number of static meshes in the list (a deleted mesh counts until its frame ends). */
QUARN_API int32_t QUARN_CALL qglGetStaticObjectCount(void);
/* Partitions the mesh's faces into its octree (again, after its geometry changed). A vertex
 * that is not finite fails the call and builds no octree. */
QUARN_API void QUARN_CALL qglBuildStaticOctree(TQGLHandle Object);
/* Drawn once more by the next frame, then freed at its end; the handle dies with it. */
QUARN_API void QUARN_CALL qglDeleteStaticObject(TQGLHandle Object);
/* Append a vertex, normal or texture coordinate; return its index, -1 on failure. */
QUARN_API int32_t QUARN_CALL qglAddStaticMeshVector(TQGLHandle Object, float X, float Y, float Z);
QUARN_API int32_t QUARN_CALL qglAddStaticMeshNormal(TQGLHandle Object, float X, float Y, float Z);
QUARN_API int32_t QUARN_CALL qglAddStaticMeshTexCoord(TQGLHandle Object, float S, float T, float R);
/* The index of the first bitwise-equal entry (0.0 and -0.0 differ), or of the appended one;
 * -1 on failure. */
QUARN_API int32_t QUARN_CALL qglAddStaticUniqueMeshVector(TQGLHandle Object, float X, float Y,
                                                          float Z);
QUARN_API int32_t QUARN_CALL qglAddStaticUniqueMeshNormal(TQGLHandle Object, float X, float Y,
                                                          float Z);
QUARN_API int32_t QUARN_CALL qglAddStaticUniqueMeshTexCoord(TQGLHandle Object, float S, float T,
                                                            float R);
/* Appends an empty triangle (material 0); returns its index, -1 on failure. Give it three
 * corners: a vertex, a normal and (optionally) a texture-coordinate index each. A face whose
 * indices lie outside the mesh's arrays or material list is reported once and not drawn. */
QUARN_API int32_t QUARN_CALL qglAddStaticFace(TQGLHandle Object);
/* Append one corner's vertex, normal or texture-coordinate index to face FaceIndex (corners in
 * the order added). A FaceIndex outside the mesh's faces fails with "List index out of bounds
 * (FaceIndex)". */
QUARN_API void QUARN_CALL qglAddStaticFaceVectorIndex(TQGLHandle Object, int32_t FaceIndex,
                                                      int32_t Index);
QUARN_API void QUARN_CALL qglAddStaticFaceNormalIndex(TQGLHandle Object, int32_t FaceIndex,
                                                      int32_t Index);
QUARN_API void QUARN_CALL qglAddStaticFaceTexCoordIndex(TQGLHandle Object, int32_t FaceIndex,
                                                        int32_t Index);
/* Replaces the face's material (an index into the material list). */
QUARN_API void QUARN_CALL qglAddStaticFaceMaterialIndex(TQGLHandle Object, int32_t FaceIndex,
                                                        int32_t MaterialIndex);
/* Bulk version of the calls above: appends VertexCount vertices with their normals and texture
 * coordinates (parallel arrays; Normals NULL gives every corner the shared normal (0, 1, 0),
 * TexCoords NULL gives faces without texture coordinates) and FaceCount triangles of three
 * int32 each. A face's indices address the arrays of this call (0 .. VertexCount - 1) and serve
 * as its vertex, normal and texture-coordinate indices alike; FaceMaterials is NULL (material
 * 0) or one material index per face. Everything is checked first: a negative count, a missing
 * array, an index outside the arrays or a negative material fails the whole call with an
 * error, adds nothing and returns -1. Returns the index of the first new face (the face count
 * when FaceCount is 0). The arrays are copied. */
QUARN_API int32_t QUARN_CALL qglAddStaticMeshArrays(TQGLHandle Object, int32_t VertexCount,
                                                    const TQUARNVector* Vertices,
                                                    const TQUARNVector* Normals,
                                                    const TQUARNVector* TexCoords,
                                                    int32_t FaceCount, const int32_t* Faces,
                                                    const int32_t* FaceMaterials);
/* A copy of the vertices and the first three vertex indices of each face (counted arrays), in
 * a library record that the next call of this or qglGetDynamicFaceData overwrites: copy what
 * you keep. NULL on failure. */
QUARN_API TQUARNFaceData* QUARN_CALL qglGetStaticFaceData(TQGLHandle Object);
/* Per face the first three vertex, normal and texture-coordinate indices (3 int32 a face, -1
 * where a face carries none) in library arrays the next call of this or qglGetDynamicFaces
 * overwrites, and the mesh's own vertex, normal and texture-coordinate arrays (valid until the
 * mesh changes or is freed). NULL pointers are skipped. */
QUARN_API void QUARN_CALL qglGetStaticFaces(TQGLHandle Object, int32_t* FaceCount,
                                            int32_t** VectorIndices, int32_t** NormalIndices,
                                            int32_t** TexCoordIndices, TQUARNVector** Vertices,
                                            TQUARNVector** Normals, TQUARNVector** TexCoords);
/* A hidden mesh is not drawn (1 after creation). */
QUARN_API void QUARN_CALL qglSetStaticVisibleFlag(TQGLHandle Object, uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetStaticVisibleFlag(TQGLHandle Object);
/* Lines instead of filled polygons while the mesh is drawn. */
QUARN_API void QUARN_CALL qglSetStaticWireframeFlag(TQGLHandle Object, uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetStaticWireframeFlag(TQGLHandle Object);
/* Draws the octree node boxes (blue; magenta where a particle system is placed). */
QUARN_API void QUARN_CALL qglSetStaticShowOcclusionNodesFlag(TQGLHandle Object, uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetStaticShowOcclusionNodesFlag(TQGLHandle Object);
/* Draws a line along each corner's normal. */
QUARN_API void QUARN_CALL qglSetStaticDrawNormalsFlag(TQGLHandle Object, uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetStaticDrawNormalsFlag(TQGLHandle Object);

/* ---- Dynamic objects (movable meshes, billboards, proxies, predefined shapes) ---------- */

/* Dynamic objects are drawn every frame after the static meshes, culled by their bounding box;
 * those with a blended material are drawn after the opaque ones, farthest from the camera
 * first. Angles are degrees: Yaw about Y, Pitch about X, Roll about Z. Matrices are 16 floats,
 * rows of four for row vectors (p' = p * M), translation in elements 12..14: the order
 * glMultMatrixf takes. New objects are visible and take the scene's show-occlusion-nodes and
 * draw-normals switches. Out pointers that are NULL are skipped. */

/* Kind 1 (QGL_SHAPE_BOX): a SizeX x SizeY x SizeZ box; kind 4 (QGL_SHAPE_QUAD): a SizeX x
 * SizeY rectangle facing +z (SizeZ ignored). Placed at Pos with rotation (RotX pitch, RotY yaw,
 * RotZ roll, degrees). Material is a material handle; one not in the material list (or NULL)
 * draws with whatever material is current. Returns the object, or NULL for any other kind
 * (nothing is created, and no error is recorded). */
QUARN_API TQGLHandle QUARN_CALL qglLoadDynamicPredefined(uint8_t Kind, TQGLHandle Material,
                                                         float PosX, float PosY, float PosZ,
                                                         float RotX, float RotY, float RotZ,
                                                         float SizeX, float SizeY, float SizeZ);
/* Appends an empty object at the origin; returns its index in the dynamic list, -1 on failure.
 * Get its handle with qglGetDynamicObject(index). */
QUARN_API int32_t QUARN_CALL qglAddDynamicObject(void);
/* The object at Index of the dynamic list (NULL and "List index out of bounds (Index)" outside
 * it). Indices shift when an earlier object is freed. */
QUARN_API TQGLHandle QUARN_CALL qglGetDynamicObject(int32_t Index);
/* The number of dynamic objects in the list (a deleted object counts until its frame ends). */
QUARN_API int32_t QUARN_CALL qglGetDynamicObjectCount(void);
/* A new object drawing the compiled geometry of Source (of the first non-proxy object of its
 * proxy chain) under its own transform, at the origin, visible even when the source is hidden.
 * CopyMatrixFlag copies only the source's use-matrix flag. Once the source is freed the proxy
 * draws nothing. Returns the proxy, NULL on failure. */
QUARN_API TQGLHandle QUARN_CALL qglAddDynamicProxyObject(TQGLHandle Source, uint8_t CopyMatrixFlag);
/* Drawn once more by the next frame, then freed at its end; the handle dies with it. */
QUARN_API void QUARN_CALL qglDeleteDynamicObject(TQGLHandle Object);
/* Append a vertex, normal or texture coordinate; return its index, -1 on failure. Geometry is
 * compiled on the object's first visible draw; later changes are not drawn. */
QUARN_API int32_t QUARN_CALL qglAddDynamicMeshVector(TQGLHandle Object, float X, float Y, float Z);
QUARN_API int32_t QUARN_CALL qglAddDynamicMeshNormal(TQGLHandle Object, float X, float Y, float Z);
QUARN_API int32_t QUARN_CALL qglAddDynamicMeshTexCoord(TQGLHandle Object, float S, float T,
                                                       float R);
/* The index of the first bitwise-equal entry (0.0 and -0.0 differ), or of the appended one;
 * -1 on failure. */
QUARN_API int32_t QUARN_CALL qglAddDynamicUniqueMeshVector(TQGLHandle Object, float X, float Y,
                                                           float Z);
QUARN_API int32_t QUARN_CALL qglAddDynamicUniqueMeshNormal(TQGLHandle Object, float X, float Y,
                                                           float Z);
QUARN_API int32_t QUARN_CALL qglAddDynamicUniqueMeshTexCoord(TQGLHandle Object, float S, float T,
                                                             float R);
/* Appends an empty triangle (material 0); returns its index, -1 on failure. A face whose
 * indices lie outside the object's arrays or the material list is reported once and not drawn;
 * material -1 draws with whatever material is current. */
QUARN_API int32_t QUARN_CALL qglAddDynamicFace(TQGLHandle Object);
/* Append one corner's vertex, normal or texture-coordinate index to face FaceIndex (corners in
 * the order added). A FaceIndex outside the object's faces fails with "List index out of
 * bounds (FaceIndex)". */
QUARN_API void QUARN_CALL qglAddDynamicFaceVectorIndex(TQGLHandle Object, int32_t FaceIndex,
                                                       int32_t Index);
QUARN_API void QUARN_CALL qglAddDynamicFaceNormalIndex(TQGLHandle Object, int32_t FaceIndex,
                                                       int32_t Index);
QUARN_API void QUARN_CALL qglAddDynamicFaceTexCoordIndex(TQGLHandle Object, int32_t FaceIndex,
                                                         int32_t Index);
/* Bulk version, as qglAddStaticMeshArrays (the same checks; -1 on failure); compiled on the
 * object's first visible draw like its faces. */
QUARN_API int32_t QUARN_CALL qglAddDynamicMeshArrays(TQGLHandle Object, int32_t VertexCount,
                                                     const TQUARNVector* Vertices,
                                                     const TQUARNVector* Normals,
                                                     const TQUARNVector* TexCoords,
                                                     int32_t FaceCount, const int32_t* Faces,
                                                     const int32_t* FaceMaterials);
/* Replaces the face's material (an index into the material list). */
QUARN_API void QUARN_CALL qglAddDynamicFaceMaterialIndex(TQGLHandle Object, int32_t FaceIndex,
                                                         int32_t MaterialIndex);
/* As qglGetStaticFaceData, sharing its record; a proxy reports its source's vertices. */
QUARN_API TQUARNFaceData* QUARN_CALL qglGetDynamicFaceData(TQGLHandle Object);
/* As qglGetStaticFaces, sharing its arrays; Vertices are the ones drawn (a proxy's source's),
 * normals and texture coordinates the object's own. */
QUARN_API void QUARN_CALL qglGetDynamicFaces(TQGLHandle Object, int32_t* FaceCount,
                                             int32_t** VectorIndices, int32_t** NormalIndices,
                                             int32_t** TexCoordIndices, TQUARNVector** Vertices,
                                             TQUARNVector** Normals, TQUARNVector** TexCoords);
/* The position (world units); the setter rebuilds the object's matrix at once. Out receives 3
 * floats. */
QUARN_API void QUARN_CALL qglSetDynamicPosition(TQGLHandle Object, float X, float Y, float Z);
QUARN_API void QUARN_CALL qglGetDynamicPosition(TQGLHandle Object, float* Out);
/* The angles in degrees (pitch about X, yaw about Y, roll about Z); each setter rebuilds the
 * object's matrix at once. */
QUARN_API void QUARN_CALL qglSetDynamicRotation(TQGLHandle Object, float Pitch, float Yaw,
                                                float Roll);
QUARN_API void QUARN_CALL qglGetDynamicRotation(TQGLHandle Object, float* Pitch, float* Yaw,
                                                float* Roll);
QUARN_API void QUARN_CALL qglSetDynamicPitch(TQGLHandle Object, float Angle);
QUARN_API void QUARN_CALL qglSetDynamicYaw(TQGLHandle Object, float Angle);
QUARN_API void QUARN_CALL qglSetDynamicRoll(TQGLHandle Object, float Angle);
QUARN_API float QUARN_CALL qglGetDynamicPitch(TQGLHandle Object);
QUARN_API float QUARN_CALL qglGetDynamicYaw(TQGLHandle Object);
QUARN_API float QUARN_CALL qglGetDynamicRoll(TQGLHandle Object);
/* Stores M (16 floats, copied; NULL fails). Flag 1: the object is drawn and culled with M as
 * given (until a position or angle setter rebuilds it). Flag 0: position and angles are read
 * from M in the order the object composes its matrix (yaw about Y, then pitch about X, then
 * roll about Z), so the angles rebuild M; the angles are drawn roll first, so an M that turns
 * about two or more axes is drawn turned otherwise: pass Flag 1 to draw M itself. A singular M
 * moves the object to its translation and keeps the angles. */
QUARN_API void QUARN_CALL qglSetDynamicMatrix(TQGLHandle Object, const float* M, uint8_t Flag);
/* Note the order: the output (16 floats) first. A matrix never set (a proxy's) is composed from
 * position and angles first. */
QUARN_API void QUARN_CALL qglGetDynamicMatrix(float* M, TQGLHandle Object);
/* Billboards turn to the camera every frame instead of using their angles. */
QUARN_API void QUARN_CALL qglSetDynamicBillboardFlag(TQGLHandle Object, uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetDynamicBillboardFlag(TQGLHandle Object);
/* 0 faces the camera (its up vector kept), 1, 2, 3 turn about world X, Y, Z, 4 about the
 * billboard axis; other kinds stay unturned at their position. */
QUARN_API void QUARN_CALL qglSetDynamicBillboardType(TQGLHandle Object, uint8_t Kind);
QUARN_API uint8_t QUARN_CALL qglGetDynamicBillboardType(TQGLHandle Object);
/* The axis a kind-4 billboard turns about. */
QUARN_API void QUARN_CALL qglSetDynamicBillboardAxis(TQGLHandle Object, float X, float Y, float Z);
QUARN_API void QUARN_CALL qglGetDynamicBillboardAxis(TQGLHandle Object, float* X, float* Y,
                                                     float* Z);
/* The camera a billboard faces; the frame overwrites it with the real camera's position and up
 * vector before drawing a billboard. */
QUARN_API void QUARN_CALL qglSetDynamicBillBoardCamPos(TQGLHandle Object, float X, float Y,
                                                       float Z);
QUARN_API void QUARN_CALL qglGetDynamicBillBoardCamPos(TQGLHandle Object, float* X, float* Y,
                                                       float* Z);
QUARN_API void QUARN_CALL qglSetDynamicBillBoardCamUp(TQGLHandle Object, float X, float Y, float Z);
QUARN_API void QUARN_CALL qglGetDynamicBillBoardCamUp(TQGLHandle Object, float* X, float* Y,
                                                      float* Z);
/* Sets kind, camera position and up vector (not the billboard flag). */
QUARN_API void QUARN_CALL qglSetDynamicBillboardProp(TQGLHandle Object, uint8_t Kind, float CamPosX,
                                                     float CamPosY, float CamPosZ, float CamUpX,
                                                     float CamUpY, float CamUpZ);
/* Kind 4 with camera position, up vector and axis (not the billboard flag). */
QUARN_API void QUARN_CALL qglSetDynamicBillboardPropAxis(TQGLHandle Object, float CamPosX,
                                                         float CamPosY, float CamPosZ, float CamUpX,
                                                         float CamUpY, float CamUpZ, float AxisX,
                                                         float AxisY, float AxisZ);
/* A hidden object is not drawn (its proxies still are). */
QUARN_API void QUARN_CALL qglSetDynamicVisibleFlag(TQGLHandle Object, uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetDynamicVisibleFlag(TQGLHandle Object);
/* Stored and returned only: dynamic objects are never drawn as wireframes. */
QUARN_API void QUARN_CALL qglSetDynamicWireframeFlag(TQGLHandle Object, uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetDynamicWireframeFlag(TQGLHandle Object);
/* Draws the object's bounding box (yellow, in its transform). */
QUARN_API void QUARN_CALL qglSetDynamicShowOcclusionNodesFlag(TQGLHandle Object, uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetDynamicShowOcclusionNodesFlag(TQGLHandle Object);
/* Draws a line along each corner's normal. */
QUARN_API void QUARN_CALL qglSetDynamicDrawNormalsFlag(TQGLHandle Object, uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetDynamicDrawNormalsFlag(TQGLHandle Object);

/* ---- HUD objects ---------------------------------------------------------------------- */

/* A Width x Height rectangle (pixels) centred X pixels from the left and Y from the top of a
 * ScreenWidth x ScreenHeight orthographic screen (fixed at creation), textured by Material,
 * drawn over the scene in creation order. A material that is not in the scene's list is
 * reported once; the object is then never drawn. Returns the object's handle (it lives as long
 * as the scene), NULL on failure. */
QUARN_API TQGLHandle QUARN_CALL qglAddDynamicHUDObject(float Width, float Height, float X, float Y,
                                                       int32_t ScreenWidth, int32_t ScreenHeight,
                                                       TQGLHandle Material);
/* Changes the width (pixels) at once, about the same centre. */
QUARN_API void QUARN_CALL qglSetDynamicHudObjectWidth(TQGLHandle Hud, float Width);
/* Shows (1, the state after creation) or hides the object. */
QUARN_API void QUARN_CALL qglSetDynamicHUDObjectVisibleFlag(TQGLHandle Hud, uint8_t Visible);

/* ---- Selection and debug views -------------------------------------------------------- */

/* The scene's switch for the bounding boxes of every static node, dynamic object and smoke
 * system; setting it sets the switch of every object now in the scene, and new objects take
 * it. */
QUARN_API uint8_t QUARN_CALL qglGetSceneShowOcclusionNodesFlag(void);
QUARN_API void QUARN_CALL qglSetSceneShowOcclusionNodesFlag(uint8_t Flag);
/* The same for the normals of every static and dynamic object. */
QUARN_API uint8_t QUARN_CALL qglGetSceneDrawNormalsFlag(void);
QUARN_API void QUARN_CALL qglSetSceneDrawNormalsFlag(uint8_t Flag);
/* Adds a static or dynamic object (handle) to the selection the operations below act on; an
 * object already selected is not added twice. Objects leave it when they are freed. */
QUARN_API void QUARN_CALL qglAddSceneSelected(TQGLHandle Object);
/* Empties the selection (the objects stay in the scene). */
QUARN_API void QUARN_CALL qglClearSceneSelected(void);
/* Moves along the camera's ground direction D: x += D.z * Side + D.x * Forward, z += -D.x *
 * Side + D.z * Forward (world units). Static objects move their vertices and rebuild their
 * octree; dynamic ones move their position. A move that would carry any member past the float
 * range fails and moves nothing. */
QUARN_API void QUARN_CALL qglMoveSceneSelected(int32_t Side, int32_t Forward);
/* x -= Amount. */
QUARN_API void QUARN_CALL qglMoveSceneSelectedX(int32_t Amount);
/* y += Amount. */
QUARN_API void QUARN_CALL qglMoveSceneSelectedY(int32_t Amount);
/* z -= Amount. */
QUARN_API void QUARN_CALL qglMoveSceneSelectedZ(int32_t Amount);
/* y += Amount * Speed. */
QUARN_API void QUARN_CALL qglMoveSceneSelectedYBySpeed(int32_t Amount, float Speed);
/* Moves every member by (X, Y, Z). */
QUARN_API void QUARN_CALL qglMoveSceneSelectedByVector(float X, float Y, float Z);
/* Angles in degrees. Dynamic: Roll -= A, Pitch += B; static: geometry turned about Z by A,
 * then about X by B, and the octree rebuilt. */
QUARN_API void QUARN_CALL qglRotateSceneSelected(int32_t A, int32_t B);
/* Dynamic: Roll -= Angle; static: about Z (degrees). */
QUARN_API void QUARN_CALL qglRotateSceneSelectedX(int32_t Angle);
/* Dynamic: Yaw -= Angle; static: about Y (degrees). */
QUARN_API void QUARN_CALL qglRotateSceneSelectedY(int32_t Angle);
/* Dynamic: Pitch -= Angle; static: about X (degrees). */
QUARN_API void QUARN_CALL qglRotateSceneSelectedZ(int32_t Angle);
/* Scales the geometry component-wise (a dynamic object's compiled geometry keeps drawing
 * until it is rebuilt; its box follows at once). */
QUARN_API void QUARN_CALL qglScaleSceneSelected(float X, float Y, float Z);
/* Removes and frees every selected object at once (not at the end of the frame); their handles
 * become stale. */
QUARN_API void QUARN_CALL qglDeleteSceneSelected(void);

/* ---- Scene map ------------------------------------------------------------------------ */

/* The scene map: a top-down view rendered in the first frame and every fourth frame after into
 * the first stage (a render-target stage) of the map material, with a green (ColourFlag 0) or
 * red marker per tracked dynamic object. The map is cleared to black; the frames keep the
 * colour qglSetEnvironmentFogClearColor set. */
QUARN_API void QUARN_CALL qglSetSceneMapRenderFlag(uint8_t Flag);
/* The map viewport's side in pixels (128 by default); outside 1..8192 fails. */
QUARN_API void QUARN_CALL qglSetSceneMapTextureDimentions(int32_t Size);
/* A material of the scene's list (one not in the list fails), or NULL to clear it
 * (qglSetSceneMapRenderFlag(0) stops the map). */
QUARN_API void QUARN_CALL qglSetSceneMapMaterial(TQGLHandle Material);
/* The map camera's eye, looking at the origin ((1, 1000, 1) by default). */
QUARN_API void QUARN_CALL qglSetSceneMapEyePos(float X, float Y, float Z);
/* Adds a marker for a dynamic object: green for ColourFlag 0, red otherwise. */
QUARN_API void QUARN_CALL qglAddSceneMapTrackedObject(TQGLHandle Object, uint8_t ColourFlag);
/* Removes the object's first marker; nothing when it has none. */
QUARN_API void QUARN_CALL qglDeleteSceneMapTrackedObject(TQGLHandle Object);

/* ---- Materials ------------------------------------------------------------------------ */

/* Appends a material (ambient 0.8, diffuse 0.2, emissive and specular 0, gloss 0, lit, fog
 * shown, no blending, no stages) to the scene's material list; returns its handle (it lives as
 * long as the scene), NULL on failure. Faces name materials by list index: see
 * qglGetMaterialIndex. */
QUARN_API TQGLHandle QUARN_CALL qglAddMaterial(const char* Name);
/* The material's index in the material list; -1 on failure. */
QUARN_API int32_t QUARN_CALL qglGetMaterialIndex(TQGLHandle Material);
/* Colours are red, green, blue in 0..1. Emission sent to GL is emissive + global emissive. */
QUARN_API void QUARN_CALL qglSetMaterialAmbient(TQGLHandle Material, float R, float G, float B);
QUARN_API void QUARN_CALL qglGetMaterialAmbient(TQGLHandle Material, float* R, float* G, float* B);
QUARN_API void QUARN_CALL qglSetMaterialDiffuse(TQGLHandle Material, float R, float G, float B);
QUARN_API void QUARN_CALL qglGetMaterialDiffuse(TQGLHandle Material, float* R, float* G, float* B);
QUARN_API void QUARN_CALL qglSetMaterialEmmisive(TQGLHandle Material, float R, float G, float B);
QUARN_API void QUARN_CALL qglGetMaterialEmmisive(TQGLHandle Material, float* R, float* G, float* B);
QUARN_API void QUARN_CALL qglSetMaterialSpecular(TQGLHandle Material, float R, float G, float B);
QUARN_API void QUARN_CALL qglGetMaterialSpecular(TQGLHandle Material, float* R, float* G, float* B);
/* Copied into every material now in the list; later materials keep (0, 0, 0) until the next
 * call. */
QUARN_API void QUARN_CALL qglSetMaterialGlobalEmmisive(float R, float G, float B);
/* The specular exponent (GL_SHININESS, which GL accepts in 0..128). */
QUARN_API void QUARN_CALL qglSetMaterialGloss(TQGLHandle Material, float Gloss);
QUARN_API void QUARN_CALL qglGetMaterialGloss(TQGLHandle Material, float* Gloss);
/* Blending while the material is active: glBlendFunc(Source, Dest) with the QGL_BLEND_...
 * factors, on while the flag is 1. Blended materials make their dynamic objects draw after the
 * opaque ones, far to near. */
QUARN_API void QUARN_CALL qglSetMaterialBlendData(TQGLHandle Material, uint8_t Flag,
                                                  uint32_t Source, uint32_t Dest);
QUARN_API void QUARN_CALL qglSetMaterialBlendSource(TQGLHandle Material, uint32_t Source);
QUARN_API uint32_t QUARN_CALL qglGetMaterialBlendSource(TQGLHandle Material);
QUARN_API void QUARN_CALL qglSetMaterialBlendDest(TQGLHandle Material, uint32_t Dest);
QUARN_API uint32_t QUARN_CALL qglGetMaterialBlendDest(TQGLHandle Material);
QUARN_API void QUARN_CALL qglSetMaterialBlendFlag(TQGLHandle Material, uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetMaterialBlendFlag(TQGLHandle Material);
/* Lit with the material colours (1) or unlit (0). */
QUARN_API void QUARN_CALL qglSetMaterialLightFlag(TQGLHandle Material, uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetMaterialLightFlag(TQGLHandle Material);
/* 0: fog is switched off while the material is active. */
QUARN_API void QUARN_CALL qglSetMaterialShowFogFlag(TQGLHandle Material, uint8_t Flag);

/* ---- Material stages and GLSL values -------------------------------------------------- */

/* A material draws its stages (textures, cube and sphere maps, GLSL programs, render targets)
 * in the order they were added. FilterMode: 0 linear, 1 nearest mipmap, 2 trilinear. Files
 * that cannot be loaded are reported through the message channel and the stage stays, drawing
 * untextured. */

/* Adds a texture stage loading FileName (BMP, JPG or TGA by its last four characters; the same
 * name string shares one GL texture). Another FilterMode adds nothing. "None", an empty name or
 * NULL adds nothing. A file that cannot be loaded is reported through the message channel and
 * the stage binds no texture. */
QUARN_API void QUARN_CALL qglAddMaterialTexShader(TQGLHandle Material, const char* FileName,
                                                  int32_t FilterMode);
/* Adds a render-target stage: a Size x Size RGB texture (no mipmaps) filled from the lower-left
 * corner of the frame buffer by the scene map. Returns the texture object, owned by the
 * material (NULL and an error when Size is outside 1..8192). */
QUARN_API TQGLHandle QUARN_CALL qglAddMaterialRenderTargetShader(TQGLHandle Material, int32_t Size);
/* The number of stages of the material. */
QUARN_API int32_t QUARN_CALL qglGetMaterialShaderCount(TQGLHandle Material);
/* Removes and frees the stage at Index (a material applied at that moment is unapplied first);
 * nothing outside 0..count-1. Textures other stages share stay loaded. */
QUARN_API void QUARN_CALL qglDeleteMaterialShader(TQGLHandle Material, int32_t Index);
/* A sphere-map (reflection-like) stage: FileName on the texture unit equal to the stage's
 * position in the material (first stage: unit 0), texture environment EnvMode (QGL_TEXENV_...).
 * Another FilterMode adds the stage without a texture. */
QUARN_API void QUARN_CALL qglAddMaterialSphereShader(TQGLHandle Material, const char* FileName,
                                                     int32_t FilterMode, uint32_t EnvMode);
/* A cube-map stage with reflection-vector coordinates from six BMP or JPG faces (the loader
 * follows F4's ending; relative names are taken from the current directory): F1 -Y, F2 +Y,
 * F3 -X, F4 +X, F5 -Z, F6 +Z. A face that does not load leaves the stage without texture. */
QUARN_API void QUARN_CALL qglAddMaterialCubeShader(TQGLHandle Material, const char* F1,
                                                   const char* F2, const char* F3, const char* F4,
                                                   const char* F5, const char* F6,
                                                   int32_t FilterMode);
/* Appends FileName as the last frame of the animated stage at StageIndex (any stage there), or
 * of a new texture stage when StageIndex is not below the stage count. Frames switch at most
 * every FrameInterval ms, when the material is applied anew, and wrap to the first. Unit is a
 * GL texture unit (GL_TEXTURE0 ...). Reserved is ignored. */
QUARN_API void QUARN_CALL qglAddMaterialAnimTexShader(TQGLHandle Material, int32_t StageIndex,
                                                      const char* FileName, int32_t Reserved,
                                                      int32_t FrameInterval, uint32_t Unit);
/* A GLSL stage from two shader files. A file that cannot be read, does not compile ("<file>
 * contains errors!" and the compiler log) or a pair that does not link fails with that text as
 * the last error; the stage stays and draws with the fixed-function pipeline. Sampler uniforms
 * named texture0 ... texture4 read texture units 0 ... 4. */
QUARN_API void QUARN_CALL qglAddMaterialGLSLShader(TQGLHandle Material, const char* VertexFile,
                                                   const char* FragmentFile);
/* Loads FileName into the material's first stage on Unit (GL_TEXTURE0 ... GL_TEXTURE4). Fails
 * when the material has no stage; another FilterMode adds nothing. */
QUARN_API void QUARN_CALL qglAddMaterialGLSLShaderTexture(TQGLHandle Material, const char* FileName,
                                                          int32_t FilterMode, uint32_t Unit);
/* Uniform values of the material's first stage, which must be its GLSL stage (an error
 * otherwise). Each name keeps one value per type, sent every time the material is applied; a
 * name the program does not use is kept and ignored. Booleans go as 0/1 integers; matrices are
 * 4, 9 or 16 floats in GL's memory order, copied. */
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderValf(TQGLHandle Material, const char* Name,
                                                       float X);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal2f(TQGLHandle Material, const char* Name,
                                                        float X, float Y);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal3f(TQGLHandle Material, const char* Name,
                                                        float X, float Y, float Z);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal4f(TQGLHandle Material, const char* Name,
                                                        float X, float Y, float Z, float W);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVali(TQGLHandle Material, const char* Name,
                                                       int32_t X);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal2i(TQGLHandle Material, const char* Name,
                                                        int32_t X, int32_t Y);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal3i(TQGLHandle Material, const char* Name,
                                                        int32_t X, int32_t Y, int32_t Z);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal4i(TQGLHandle Material, const char* Name,
                                                        int32_t X, int32_t Y, int32_t Z, int32_t W);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderValb(TQGLHandle Material, const char* Name,
                                                       uint8_t X);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal2b(TQGLHandle Material, const char* Name,
                                                        uint8_t X, uint8_t Y);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal3b(TQGLHandle Material, const char* Name,
                                                        uint8_t X, uint8_t Y, uint8_t Z);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderVal4b(TQGLHandle Material, const char* Name,
                                                        uint8_t X, uint8_t Y, uint8_t Z, uint8_t W);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderValMat2f(TQGLHandle Material, const char* Name,
                                                           const float* Matrix);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderValMat3f(TQGLHandle Material, const char* Name,
                                                           const float* Matrix);
QUARN_API void QUARN_CALL qglSetMaterialGLSLShaderValMat4f(TQGLHandle Material, const char* Name,
                                                           const float* Matrix);
/* A bump-map stage lit per pixel by the scene's bump light, the surface colour from ColourFile
 * (unit 0) and the normals from NormalMapFile (unit 1). Its programs "VertexShader.cg" and
 * "FragmentShader.cg" are read from the current directory, else beside the QuarnGL library
 * file, else from share/quarn beside the library's folder. Dynamic predefined shapes with this
 * material draw nothing; use meshes. */
QUARN_API void QUARN_CALL qglAddMaterialBumpShader(TQGLHandle Material, const char* ColourFile,
                                                   const char* NormalMapFile, int32_t FilterMode);
/* Places the scene's bump light (in the coordinates of the meshes it lights) and shows it as
 * axes when Visible. */
QUARN_API void QUARN_CALL qglSetSceneBumpLight(float X, float Y, float Z, uint8_t Visible);

/* ---- Environment: fog, sky box and lens flare ----------------------------------------- */

/* Fog settings reach GL at once. Colours are red, green, blue, alpha in 0..1. */
QUARN_API void QUARN_CALL qglSetEnvironmentFogColor(float R, float G, float B, float A);
QUARN_API void QUARN_CALL qglGetEnvironmentFogColor(float* R, float* G, float* B, float* A);
/* QGL_FOG_LINEAR, QGL_FOG_EXP or QGL_FOG_EXP2, passed to GL as given; 0 until set. */
QUARN_API void QUARN_CALL qglSetEnvironmentFogMode(uint32_t Mode);
QUARN_API uint32_t QUARN_CALL qglGetEnvironmentFogMode(void);
/* The density of the exponential modes; 0 until set. */
QUARN_API void QUARN_CALL qglSetEnvironmentFogDensity(float Density);
QUARN_API float QUARN_CALL qglGetEnvironmentFogDensity(void);
/* The colour every frame is cleared to (glClearColor at once; black until set). The scene
 * map and qglRenderLoaderScreen clear with colours of their own and then restore it. */
QUARN_API void QUARN_CALL qglSetEnvironmentFogClearColor(float R, float G, float B, float A);
QUARN_API void QUARN_CALL qglGetEnvironmentFogClearColor(float* R, float* G, float* B, float* A);
/* Fog on or off for the whole scene (off until set); materials whose show-fog flag is 0 switch
 * it off while they are active. */
QUARN_API void QUARN_CALL qglSetEnvironmentFogVisibleFlag(uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetEnvironmentFogVisibleFlag(void);
/* Loads the six faces (BMP, JPG or TGA; 1 the +Z face, 2 the -Z face, 3 the -X face, 4 the
 * +X face, 5 the top, 6 the bottom) into six new unlit materials and builds the box, sized
 * from the window (width * 1.5 wide and deep, height high), centred on the camera. Whether it
 * switches fog off around itself is fixed by the fog flag now. Hidden until shown. A face that
 * does not load is reported and drawn untextured. */
QUARN_API void QUARN_CALL qglInitEnvironmentSkybox(const char* File1, const char* File2,
                                                   const char* File3, const char* File4,
                                                   const char* File5, const char* File6);
/* Shows or hides the sky box. */
QUARN_API void QUARN_CALL qglSetEnvironmentSkyboxVisibleFlag(uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetEnvironmentSkyboxVisibleFlag(void);
/* Loads the nine flare textures into nine additive materials, stores the window size (pixels)
 * and shows the flare. */
QUARN_API void QUARN_CALL qglInitEnvironmentLensFlare(const char* File1, const char* File2,
                                                      const char* File3, const char* File4,
                                                      const char* File5, const char* File6,
                                                      const char* File7, const char* File8,
                                                      const char* File9, int32_t WinWidth,
                                                      int32_t WinHeight);
/* Shows or hides the lens flare. */
QUARN_API void QUARN_CALL qglSetEnvironmentLensFlareVisibleFlag(uint8_t Flag);
QUARN_API uint8_t QUARN_CALL qglGetEnvironmentLensFlareVisibleFlag(void);
/* The light's offset from the camera: each frame the light sits at this vector plus the
 * camera position. */
QUARN_API void QUARN_CALL qglSetEnvironmentLensFlareLightPosition(float X, float Y, float Z);
/* The light position as last used (after a frame: the offset plus the camera position). */
QUARN_API void QUARN_CALL qglGetEnvironmentLensFlareLightPosition(float* X, float* Y, float* Z);
/* The size of the flare's 2D screen in pixels (the element size stays 200 pixels). */
QUARN_API void QUARN_CALL qglSetEnvironmentLensFlareWinWidthAndHeight(int32_t Width,
                                                                      int32_t Height);
QUARN_API void QUARN_CALL qglGetEnvironmentLensFlareWinWidthAndHeight(int32_t* Width,
                                                                      int32_t* Height);

/* ---- Smoke particle systems ----------------------------------------------------------- */

/* A smoke emitter at (X, Y, Z) of LastIndex + 1 camera-facing quads (at most LastIndex alive
 * at once) tinted R, G, B, A (0..1) and textured with TextureFile through an unlit,
 * alpha-blended material of its own appended to the material list. A particle starts every
 * 1000 / Rate time units (each frame is one unit), rises at a random speed turned by up to
 * Spread degrees, drifts by Drift, grows by 4 / 30 / Growth a frame (not at all for Growth 0),
 * fades as 1 - age / Life and is reborn at the emitter after Life units. Duration > 0 stops
 * new particles Duration ms after the first draw. Enabled 0 creates it stopped. Returns the
 * system's handle (it lives as long as the scene), NULL on failure. */
QUARN_API TQGLHandle QUARN_CALL qglAddDynamicSmokeParticleSystem(
    float X, float Y, float Z, float R, float G, float B, float A, float DriftX, float DriftY,
    float DriftZ, float Growth, int32_t Rate, int32_t Life, int32_t LastIndex, int32_t Spread,
    int32_t Duration, uint8_t Enabled, const char* TextureFile);
/* Moves the emitter; particles not alive wait there. */
QUARN_API void QUARN_CALL qglSetDynamicSmokeParticleSystemAbsPosition(TQGLHandle System, float X,
                                                                      float Y, float Z);
/* 0 stops new particles (living ones run out); 1 starts them again with a new duration. */
QUARN_API void QUARN_CALL qglSetDynamicSmokeParticleSystemEnabledFlag(TQGLHandle System,
                                                                      uint8_t Flag);

/* ---- Screen text ---------------------------------------------------------------------- */

/* One line of white bold 10-pixel text, X pixels from the left; Y counts from one window
 * height above the top, so Y = window height puts the line's top at the top edge. Drawn at the
 * end of the frame being rendered (or of the next frame, when added between frames) and then
 * forgotten: add it every frame to keep it. Bytes outside 32..127 show as '?'. NULL adds
 * nothing. */
QUARN_API void QUARN_CALL qglAddSceneText(const char* Text, int32_t X, int32_t Y);

/* ---- Asset files: KSF scenes and 3DS import ------------------------------------------- */

/* Loads a KSF scene and appends its materials (textures from the archive ArchiveFile) and
 * static meshes to the scene; faces name the file's materials offset by the materials already
 * there. The out arrays (counted arrays in library buffers that the next call reuses; NULL when
 * empty; a NULL out pointer is skipped) list the objects and materials this load added. Returns
 * the last static object of the scene, NULL when there is none. A bad file or archive adds
 * nothing and returns NULL with every array empty; a NULL file name fails the same way. */
QUARN_API TQGLHandle QUARN_CALL qglLoadSceneKSF(const char* KSFFile, const char* ArchiveFile,
                                                TQUARNPointerArray* NewStatics,
                                                TQUARNPointerArray* NewDynamics,
                                                TQUARNPointerArray* NewMaterials);
/* Imports a 3DS model as one static object (octree built) with the file's materials appended;
 * texture maps are found next to the model, letter case ignored. Returns the new object, NULL
 * (nothing added) when the file cannot be read or FileName is NULL. */
QUARN_API TQGLHandle QUARN_CALL qglImportStatic3DS(const char* FileName);
/* The same as one dynamic object at the origin; the materials it added become the
 * new-materials array (qglGetImportedMaterials). */
QUARN_API TQGLHandle QUARN_CALL qglImportDynamic3DS(const char* FileName);
/* The new-materials array: the materials added by the last qglLoadSceneKSF or
 * qglImportDynamic3DS (a counted array in a library buffer those calls reuse; NULL when
 * empty). */
QUARN_API TQUARNPointerArray QUARN_CALL qglGetImportedMaterials(void);

/* ---- Screenshots and cube-map capture ------------------------------------------------- */

/* Saves what the window shows (the last swapped frame) as a 24-bit BMP file. A NULL FileName,
 * an unreadable window or an unwritable file fails. */
QUARN_API void QUARN_CALL qglCopySceneScreenToBitmapFile(const char* FileName);
/* Saves the Width x Height rectangle with top-left (X, Y) (window coordinates in pixels, y
 * downward). Width and Height must be positive; they are first cut to the window's width and
 * height (the corner kept), so the file is smaller than asked for a larger rectangle; pixels of
 * the cut rectangle that lie outside the window (a corner off the window) are black. */
QUARN_API void QUARN_CALL qglCopySceneScreenPartToBitmapFile(const char* FileName, int32_t X,
                                                             int32_t Y, int32_t Width,
                                                             int32_t Height);
/* Renders the sky box and static objects from (X, Y, Z) along the six axes into Size x Size
 * 24-bit BMP files named Directory + "cube" + xpos|xneg|ypos|yneg|zpos|zneg + ".bmp" (no
 * separator is added: end Directory with '/'), creating the directory (one level) when it is
 * missing, then restores the WindowWidth x WindowHeight view. Size is 1..8192 pixels; the part
 * of a view beyond the window's size is black. Each view is shown in the window as it is
 * captured. When a file cannot be written the error is reported and none of the six files is
 * left. */
QUARN_API void QUARN_CALL qglRenderSceneCubemapTexturesToFiles(const char* Directory, int32_t Size,
                                                               int32_t WindowWidth,
                                                               int32_t WindowHeight, float X,
                                                               float Y, float Z);

/* ---- Frame statistics ----------------------------------------------------------------- */

/* Figures of the last rendered frame's main view (the scene-map pass is not counted), as the
 * draw paths count them: triangles sent to GL by static meshes and dynamic objects, octree
 * nodes whose box the culling walk tested, and objects drawn (static meshes with a node in
 * view, visible dynamic objects that passed their frustum test). Zeros before the first frame
 * and on failure; NULL pointers are skipped. */
QUARN_API void QUARN_CALL qglGetSceneStatistics(int32_t* TrianglesDrawn, int32_t* NodesVisited,
                                                int32_t* ObjectsDrawn);

/* ---- Errors --------------------------------------------------------------------------- */

/* The message of the most recent failure, or NULL when none since qglClearLastError (or since
 * the library was loaded). Calls that succeed do not clear it. The string is the library's,
 * valid until the next failure or qglClearLastError. Works at any time. */
QUARN_API const char* QUARN_CALL qglGetLastError(void);
/* Forgets the last failure: qglGetLastError returns NULL until the next one. */
QUARN_API void QUARN_CALL qglClearLastError(void);

#ifdef __cplusplus
}
#endif

#endif /* QUARN_GL_H */
