"""quarn: Python access to libQuarnGL.so and libQuarnPhysics.so through ctypes.

    import quarn
    gl, qp = quarn.gl, quarn.physics
    world = qp.qpWorldCreate()                 # every export, by its C name
    qp.qpBodyGetMatrix(body)                   # results as tuples; the result pointer is made
    gl.qglCreateSceneWindow(640, 480, 32, 0, on_init, None, None)   # plain functions as callbacks

Every export of the public headers is declared with its exact argument and result types (the
declarations are generated from the headers). On top of the raw C call each export:
- raises QuarnError with the library's message when the call left a last error, or when it
  returns a NULL handle;
- takes Python values: str for strings, tuples for vectors and matrices, sequences for float
  arrays and handle arrays, FaceData (or a (vertices, faces) pair) for face data, and any
  callable for a callback (kept alive by the package; an exception raised in a callback ends
  the scene loop and is raised again when the export that ran it returns);
- returns Python values: str for strings, lists for counted arrays, FaceData for face data,
  and, when the caller leaves out the output pointers, their values (a tuple when several).
The libraries are found through QUARN_LIBRARY_PATH (a folder), then beside the package (an
installed prefix), then the system loader's path. Importing opens no window; a library is
loaded on first use.
"""
import ctypes
import glob
import os
from collections import namedtuple

from . import _exports
from ._exports import *  # noqa: F401,F403  (structures, callback types)

__all__ = ["QuarnError", "FaceData", "gl", "physics", "gl_library_path",
           "physics_library_path", "library_search_path", "callback", "follow_body",
           "collision_from_static", "collision_from_dynamic", "read_pixels",
           "run_scene", "ensure_display"]

globals().update(_exports.CONSTANTS)

FaceData = namedtuple("FaceData", "vertices faces")
FaceData.__doc__ = "Mesh faces: vertices as (x, y, z) tuples, faces as vertex-index triples."


class QuarnError(RuntimeError):
    """A failure the library reported (its last error) or a NULL handle it returned."""

    def __init__(self, export, message):
        # The libraries' messages usually name the export already.
        super().__init__(message if message.startswith(export) else f"{export}: {message}")
        self.export = export
        self.message = message


# ---- Finding the libraries ------------------------------------------------------------------

def library_search_path():
    """The folders searched before the system loader's path, in order."""
    folders = []
    # A folder; several may be given, separated as in PATH.
    folders += [f for f in os.environ.get("QUARN_LIBRARY_PATH", "").split(os.pathsep) if f]
    # Beside the package: an installed prefix keeps it under <prefix>/lib/python3/...; the
    # libraries are in <prefix>/lib or <prefix>/lib/<multiarch>.
    here = os.path.dirname(os.path.abspath(__file__))
    folder = here
    for _ in range(5):
        folders.append(folder)
        folders += [os.path.join(folder, "lib")] + sorted(glob.glob(os.path.join(folder, "lib", "*-linux-gnu")))
        folder = os.path.dirname(folder)
    return folders


def _file_names(library):
    return (f"lib{library}.so.{_exports.SONAME_VERSION}", f"lib{library}.so")


def _open(library):
    searched = []
    for folder in library_search_path():
        for name in _file_names(library):
            path = os.path.join(folder, name)
            if os.path.exists(path):
                return ctypes.CDLL(path), path
        searched.append(folder)
    for name in _file_names(library):  # the system loader's path
        try:
            return ctypes.CDLL(name), name
        except OSError:
            pass
    raise OSError(f"lib{library}.so not found in QUARN_LIBRARY_PATH, beside the package "
                  f"({', '.join(searched)}) or on the loader's path")


# ---- Calls --------------------------------------------------------------------------------

_SIZED_OUTPUTS = {"Out": 3, "M": 16}  # float* outputs that are arrays (see the header)
_COUNTED = {"TQUARNVectorArray", "TQUARNIntVectorArray2D", "TQUARNPointerArray"}
_pending = []  # exceptions raised inside callbacks, raised again after the export returns
_alive = {}  # callbacks handed to the libraries, kept until replaced


def _is_handle(declared):
    return declared.endswith("Handle")


def _is_output(name, declared, underlying, index):
    if underlying.startswith("const ") or not underlying.endswith("*"):
        return False
    base = underlying.rstrip("*")
    if underlying.endswith("**"):
        return True
    if index == 0 and name == "result":
        return True
    return base in ("float", "int32_t", "uint32_t", "uint8_t", "double")


def _counted(pointer, element_type):
    """Reads a counted array: its int32 count sits just before element 0."""
    if not pointer:
        return []
    address = ctypes.cast(pointer, ctypes.c_void_p).value
    count = ctypes.c_int32.from_address(address - 4).value
    if count < 0:
        raise QuarnError("counted array", f"negative count {count}")
    return (element_type * count).from_address(address)


def _vector(v):
    return (v.x, v.y, v.z)


def _python_value(value, declared, underlying):
    """A C value handed out by a library, as Python sees it."""
    if underlying in ("char*", "const char*"):
        return value.decode("utf-8", "replace") if value is not None else None
    if declared in _COUNTED:
        element = {"TQUARNVectorArray": TQUARNVector, "TQUARNIntVectorArray2D": TQUARNIntVector,
                   "TQUARNPointerArray": ctypes.c_void_p}[declared]
        items = _counted(value, element)
        if element is ctypes.c_void_p:
            return [p for p in items]
        return [(e.x, e.y, e.z) if element is TQUARNVector else (e.a, e.b, e.c) for e in items]
    if underlying.rstrip("*") == "TQUARNFaceData" and underlying.endswith("*"):
        return _face_data(value.contents) if value else None
    if isinstance(value, TQUARNVector):
        return _vector(value)
    if isinstance(value, TqpMatrix):
        return tuple(value.m)
    if underlying in ("const TqpMatrix*", "TqpMatrix*", "const TQUARNVector*", "TQUARNVector*"):
        return _python_value(value.contents, declared, underlying.rstrip("*")) if value else None
    return value


def _face_data(data):
    vertices = _counted(data.Vertices, TQUARNVector)
    faces = _counted(data.Faces, TQUARNIntVector)
    if len(vertices) < data.VertexCount or len(faces) < data.FaceCount:
        raise QuarnError("face data", "counts disagree with the counted arrays")
    return FaceData([_vector(v) for v in vertices[:data.VertexCount]],
                    [(f.a, f.b, f.c) for f in faces[:data.FaceCount]])


def _counted_buffer(element_type, items):
    """A counted array built from Python items; returns (buffer to keep, pointer to element 0)."""
    class Counted(ctypes.Structure):
        _fields_ = [("count", ctypes.c_int32), ("items", element_type * len(items))]
    block = Counted()
    block.count = len(items)
    for i, item in enumerate(items):
        block.items[i] = element_type(*item)
    address = ctypes.addressof(block) + Counted.items.offset
    return block, ctypes.cast(address, ctypes.POINTER(element_type))


def _c_face_data(value, keep):
    vertices, faces = value
    vblock, vpointer = _counted_buffer(TQUARNVector, list(vertices))
    fblock, fpointer = _counted_buffer(TQUARNIntVector, list(faces))
    data = TQUARNFaceData(len(faces), len(vertices), vpointer, fpointer)
    keep += [vblock, fblock, data]
    return ctypes.pointer(data)


def _callback(key, ctype_name, function):
    """A C callback running function with Python arguments; exceptions are kept for later."""
    cfunc_type, params = _exports.CALLBACKS[ctype_name]
    if function is None:
        _alive.pop(key, None)
        return cfunc_type()  # the NULL callback: switched off
    if isinstance(function, ctypes._CFuncPtr):
        _alive[key] = function
        return function
    returns = cfunc_type._restype_

    def call(*args):
        try:
            values = []
            for arg, (name, declared, underlying) in zip(args, params):
                if underlying == "int32_t*":  # a key code read through the engine's pointer
                    values.append(arg[0] if arg else None)
                elif declared == "TQUARNVectorArray" and values and \
                        params[len(values) - 1][0].lower().endswith("count"):
                    # An array whose length the callback's previous argument gives.
                    values.append([_vector(arg[i]) for i in range(max(values[-1], 0))])
                else:
                    values.append(_python_value(arg, declared, underlying))
            result = function(*values)
            # Returning nothing from a callback that returns a value (contact) means accept.
            return int(result if result is not None else 1) if returns else None
        except BaseException as error:  # noqa: B902 - must not cross into C
            _pending.append(error)
            if ctype_name.startswith("TQGL") and gl._loaded:
                gl._cdll.qglDestroySceneWindow()
            return 0 if returns else None

    pointer = cfunc_type(call)
    _alive[key] = pointer
    return pointer


class _Export:
    def __init__(self, library, cfunc, name, result, params):
        self.library, self.name, self.cfunc = library, name, cfunc
        self.restype, self.result_declared, self.result_underlying = result
        self.params = params
        self.outputs = [i for i, (n, _, d, u) in enumerate(params) if _is_output(n, d, u, i)]
        cfunc.restype = self.restype
        cfunc.argtypes = [p[1] for p in params]
        # The error exports themselves neither clear nor check the last error.
        self.checked = name not in (library._prefix + "GetLastError",
                                    library._prefix + "ClearLastError")
        # Calls whose arguments and result need no conversion take a short path.
        self.plain = not self.outputs and all(
            d not in _exports.CALLBACKS and (not u.endswith("*") or d.endswith("Handle") or
                                             u == "void*")
            for _, _, d, u in params) and not self.result_underlying.endswith("*") and \
            self.result_declared not in _COUNTED
        self.__doc__ = f"{self.result_declared} {name}({', '.join(f'{p[2]} {p[0]}' for p in params)})"

    def __repr__(self):
        return f"<quarn export {self.__doc__}>"

    def __call__(self, *args):
        if self.plain and self.checked and len(args) == len(self.params):
            self.library.clear()
            result = self.cfunc(*args)
            self.library.check(self.name)
            return result
        given = list(args)
        fill_outputs = len(given) == len(self.params) - len(self.outputs) and self.outputs
        if len(given) != len(self.params) and not fill_outputs:
            raise TypeError(f"{self.name} takes {len(self.params)} arguments "
                            f"({len(self.params) - len(self.outputs)} without its outputs), "
                            f"{len(given)} given")
        keep, outputs, c_args = [], [], []
        for i, (name, ctype, declared, underlying) in enumerate(self.params):
            if fill_outputs and i in self.outputs:
                target = ctype._type_
                if target is ctypes.c_float and name in _SIZED_OUTPUTS:
                    buffer = (ctypes.c_float * _SIZED_OUTPUTS[name])()
                    outputs.append((buffer, "array"))
                    c_args.append(ctypes.cast(buffer, ctype))
                else:
                    buffer = target()
                    outputs.append((buffer, declared[:-1]))
                    c_args.append(ctypes.byref(buffer))
                continue
            c_args.append(self._convert(name, ctype, declared, underlying, given.pop(0), keep,
                                        args))
        if self.checked:
            self.library.clear()
        result = self.cfunc(*c_args)
        if self.checked:
            self.library.check(self.name)
        if self.restype is not None and _is_handle(self.result_declared) and not result:
            raise QuarnError(self.name, "returned NULL")
        if fill_outputs:
            values = []
            for buffer, kind in outputs:
                if kind == "array":
                    values.append(tuple(buffer))
                elif isinstance(buffer, (TQUARNVector, TqpMatrix)) or kind in _COUNTED:
                    values.append(_python_value(buffer, kind, kind))
                elif isinstance(buffer, ctypes._SimpleCData):
                    values.append(buffer.value)
                else:
                    values.append(buffer)
            return values[0] if len(values) == 1 else tuple(values)
        return _python_value(result, self.result_declared, self.result_underlying)

    def _convert(self, name, ctype, declared, underlying, value, keep, args):
        if declared in _exports.CALLBACKS:
            owner = args[0] if self.params and _is_handle(self.params[0][2]) else None
            return _callback((self.name, name, owner), declared, value)
        if value is None or isinstance(value, (ctypes._Pointer, ctypes._CFuncPtr)):
            return value
        if underlying == "const char*" and isinstance(value, str):
            return value.encode("utf-8")
        if underlying == "const TQUARNVector*" and not isinstance(value, TQUARNVector):
            vector = TQUARNVector(*value)
            keep.append(vector)
            return ctypes.pointer(vector)
        if underlying == "const TqpMatrix*" and not isinstance(value, TqpMatrix):
            matrix = TqpMatrix((ctypes.c_float * 16)(*value))
            keep.append(matrix)
            return ctypes.pointer(matrix)
        if underlying == "const TQUARNFaceData*" and not isinstance(value, TQUARNFaceData):
            return _c_face_data(value, keep)
        if underlying.startswith("const ") and underlying.endswith("*") and \
                isinstance(value, (list, tuple)):
            element = ctype._type_
            array = (element * len(value))(*value)
            keep.append(array)
            return ctypes.cast(array, ctype)
        if isinstance(value, ctypes.Structure):
            return ctypes.pointer(value)
        return value


class _Library:
    """One of the two libraries; its exports are attributes named as in the C header."""

    def __init__(self, key, error_prefix):
        self._key, self._prefix = key, error_prefix
        self._name = _exports.LIBRARIES[key]
        self._loaded, self._cdll, self._path, self._exports = False, None, None, {}

    def _load(self):
        if self._loaded:
            return
        self._cdll, self._path = _open(self._name)
        self._get_error = self._cdll[self._prefix + "GetLastError"]
        self._get_error.restype = ctypes.c_char_p
        self._clear_error = self._cdll[self._prefix + "ClearLastError"]
        self._clear_error.restype = None
        for library, name, restype, rdecl, runder, params in _exports.EXPORTS:
            if library == self._key:
                self._exports[name] = _Export(self, getattr(self._cdll, name), name,
                                              (restype, rdecl, runder), params)
        self._loaded = True

    @property
    def path(self):
        self._load()
        return self._path

    @property
    def cdll(self):
        """The ctypes library itself, for unchecked calls."""
        self._load()
        return self._cdll

    def names(self):
        return [name for library, name, *_ in _exports.EXPORTS if library == self._key]

    def last_error(self):
        self._load()
        text = self._get_error()
        return text.decode("utf-8", "replace") if text else None

    def clear(self):
        """Forgets the last error, so that a failure of the next call is its own."""
        self._clear_error()

    def check(self, export):
        """Raises what a callback raised during the call, then the library's last error."""
        if _pending:
            error = _pending[0]
            del _pending[:]
            raise error
        text = self._get_error()
        if text:
            self._clear_error()
            raise QuarnError(export, text.decode("utf-8", "replace"))

    def __getattr__(self, name):
        if name.startswith("_"):
            raise AttributeError(name)
        self._load()
        try:
            export = self._exports[name]
        except KeyError:
            raise AttributeError(f"{self._name} has no export {name}") from None
        setattr(self, name, export)
        return export

    def __dir__(self):
        return sorted(set(super().__dir__()) | set(self.names()))


gl = _Library("gl", "qgl")
physics = _Library("physics", "qp")


def gl_library_path():
    return gl.path


def physics_library_path():
    return physics.path


def callback(type_name):
    """Decorator: turns a Python function into a C callback of the named header type (e.g.
    "TqpForceAndTorqueCallback") that lives as long as the package. Its arguments arrive as
    Python values; an exception it raises is raised again by the export that ran it."""
    if type_name not in _exports.CALLBACKS:
        raise ValueError(f"no callback type {type_name} in the headers")

    def wrap(function):
        return _callback(("decorated", id(function)), type_name, function)
    return wrap


# ---- The link between the two libraries (as include/quarn/QuarnLink.h) ---------------------

def follow_body(dynamic_object, body, alpha):
    """Draws dynamic_object at body's pose interpolated by alpha (see
    qpWorldGetAlphaTimeUntilNextStep)."""
    gl.qglSetDynamicMatrix(dynamic_object, physics.qpBodyGetInterpolatedMatrix(body, alpha), 1)


def collision_from_static(world, kind, static_object):
    """A collision of kind (QP_COLLISION_TREE for level geometry) from a static mesh's faces."""
    return physics.qpCollisionCreateByFace(world, kind, gl.qglGetStaticFaceData(static_object))


def collision_from_dynamic(world, kind, dynamic_object):
    return physics.qpCollisionCreateByFace(world, kind, gl.qglGetDynamicFaceData(dynamic_object))


# ---- Running a scene ------------------------------------------------------------------------

def ensure_display():
    """Picks SDL's offscreen driver when there is no display (as the demo does)."""
    if not os.environ.get("DISPLAY") and not os.environ.get("WAYLAND_DISPLAY"):
        os.environ.setdefault("SDL_VIDEODRIVER", "offscreen")


def read_pixels(x, y, width, height):
    """RGB bytes of the frame being drawn, rows from the bottom; call it in a render callback."""
    handle = gl.qglGetOpenGLLibHandle()
    if not handle:
        raise QuarnError("read_pixels", "no OpenGL library: the scene window is not open")
    opengl = ctypes.CDLL("the engine's OpenGL library", handle=handle)
    buffer = (ctypes.c_uint8 * (width * height * 3))()
    opengl.glPixelStorei(0x0D05, 1)  # GL_PACK_ALIGNMENT
    opengl.glReadPixels(x, y, width, height, 0x1907, 0x1401, buffer)  # GL_RGB, GL_UNSIGNED_BYTE
    return bytes(buffer)


def run_scene(init, frames=None, before=None, after=None, width=320, height=240):
    """Opens the scene window, calls init() once, then before() and after() around every frame;
    with frames set, ends the loop after that many frames. Returns qglCreateSceneWindow's
    result."""
    ensure_display()
    count = [0]

    def after_frame():
        count[0] += 1
        if after is not None:
            after()
        if frames is not None and count[0] >= frames:
            gl.qglDestroySceneWindow()

    result = gl.qglCreateSceneWindow(width, height, 32, 0, init, before, after_frame)
    if result < 0:
        raise QuarnError("qglCreateSceneWindow", gl.last_error() or "the window failed")
    return result
