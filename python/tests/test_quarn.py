"""The quarn package against the real libraries: a headless scene window, meshes, pixels read
back, a physics world stepped, errors turned into exceptions, and the declarations checked
against the libraries' exported symbols."""
import os
import re
import subprocess
import sys

import pytest

import quarn

gl, qp = quarn.gl, quarn.physics


def exported_symbols(path, prefix):
    out = subprocess.run(["nm", "-D", "--defined-only", path], capture_output=True, text=True,
                         check=True).stdout
    return {line.split()[-1] for line in out.splitlines()
            if re.match(r"^\S+ [TW] ", line) and line.split()[-1].startswith(prefix)}


def test_every_exported_function_is_declared_and_nothing_else():
    assert quarn._exports.UNTYPED == ()
    assert set(gl.names()) == exported_symbols(gl.path, "qgl")
    assert set(qp.names()) == exported_symbols(qp.path, "qp")
    # A few signatures spelled out in the headers, including the odd ones.
    assert gl.qglGetDynamicMatrix.__doc__ == "void qglGetDynamicMatrix(float* M, TQGLHandle Object)"
    assert qp.qpVehicleAddTyre.cfunc.argtypes[1] is quarn.POINTER(quarn.TQUARNVector)
    assert quarn.QGL_VK_ESCAPE == 27 and quarn.QP_COLLISION_TREE == 3
    assert quarn.QGL_FOG_EXP2 == 0x0801 and quarn.QGL_SHAPE_BOX == 1


def test_import_opens_no_window_and_finds_the_libraries_in_quarn_library_path():
    script = ("import quarn, sys; quarn.physics.qpWorldCreate(); "
              "sys.exit(quarn.gl.cdll.qglGetSceneWindowHandle() is not None)")
    env = dict(os.environ)
    assert subprocess.run([sys.executable, "-c", script], env=env).returncode == 0
    env["QUARN_LIBRARY_PATH"] = "/nonexistent"
    env["LD_LIBRARY_PATH"] = ""
    failed = subprocess.run([sys.executable, "-c", "import quarn; quarn.gl.path"], env=env,
                            capture_output=True, text=True)
    assert failed.returncode != 0 and "libQuarnGL.so not found" in failed.stderr


def test_the_source_folder_without_generated_declarations_says_to_build_first(tmp_path):
    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    env = dict(os.environ, PYTHONPATH=source)
    failed = subprocess.run([sys.executable, "-B", "-c", "import quarn"], env=env,
                            capture_output=True, text=True, cwd=tmp_path)
    assert failed.returncode != 0
    assert "Build first" in failed.stderr and "circular" not in failed.stderr


def test_physics_world_steps_a_falling_box_onto_a_tree_floor():
    world = qp.qpWorldCreate()
    try:
        floor = qp.qpCollisionCreateByFace(
            world, quarn.QP_COLLISION_TREE,
            quarn.FaceData([(-10, 0, -10), (10, 0, -10), (10, 0, 10), (-10, 0, 10)],
                           [(0, 2, 1), (0, 3, 2)]))
        qp.qpBodyCreate(world, 1, floor)
        box = qp.qpBodyCreate(world, 1, qp.qpCollisionCreateBySize(world, 1, (1, 1, 1)))
        qp.qpBodySetMass(box, 2.0)
        qp.qpBodySetMatrix(box, (1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 3, 0, 1))
        pulls = []

        @quarn.callback("TqpForceAndTorqueCallback")
        def gravity(body):
            pulls.append(body)
            qp.qpBodyAddForce(body, (0, -9.8 * qp.qpBodyGetMass(body), 0))

        qp.qpBodySetForceAndTorqueCallback(box, gravity)
        contacts = []
        qp.qpWorldSetContactProcessCallback(  # the record arrives by value
            world, lambda c: contacts.append((c.Body0, c.Body1, c.Position.y)))
        for _ in range(180):
            qp.qpWorldStep(world, 1 / 60, 1, 60)
        assert contacts and all(box in pair[:2] and abs(pair[2]) < 0.1 for pair in contacts)
        polygons = []
        qp.qpWorldDebug(world, lambda body, count, vertices: polygons.append((body, vertices)))
        box_polygons = [v for b, v in polygons if b == box]
        assert len(box_polygons) == 6 and all(len(v) == 4 for v in box_polygons)
        assert all(-0.01 < p[1] < 1.01 for v in box_polygons for p in v)  # box on the floor
        matrix = qp.qpBodyGetMatrix(box)
        assert len(matrix) == 16 and len(pulls) > 30 and set(pulls) == {box}
        assert 0.3 < matrix[13] < 0.7  # resting on the floor, half its height above it
        assert qp.qpBodyGetVelocity(box)[1] == pytest.approx(0, abs=0.2)
    finally:
        qp.qpWorldDestroy(world)


def test_library_errors_become_exceptions_with_the_library_message():
    with pytest.raises(quarn.QuarnError, match="qpBodySetMass"):
        qp.qpBodySetMass(None, 1.0)
    assert qp.last_error() is None  # reported once, then cleared
    world = qp.qpWorldCreate()
    try:
        body = qp.qpBodyCreate(world, 1, qp.qpCollisionCreateBySize(world, 1, (1, 1, 1)))
        with pytest.raises(quarn.QuarnError, match="mass"):
            qp.qpBodySetMass(body, -1.0)

        def broken(body):
            raise ValueError("from the force callback")

        qp.qpBodySetMass(body, 1.0)
        qp.qpBodySetForceAndTorqueCallback(body, broken)
        with pytest.raises(ValueError, match="from the force callback"):
            qp.qpWorldStep(world, 1 / 60, 1, 60)
    finally:
        qp.qpWorldDestroy(world)


def test_bad_arguments_and_empty_results_name_the_export(tmp_path):
    world = qp.qpWorldCreate()
    try:
        # A short vector is refused, not padded with zeros.
        with pytest.raises(TypeError, match=r"qpCollisionCreateBySize: argument \w+ takes 3"):
            qp.qpCollisionCreateBySize(world, 1, (1, 1))
        with pytest.raises(TypeError, match=r"qpCollisionCreateBySize: argument \w+ takes 3"):
            qp.qpCollisionCreateBySize(world, 1, "abc")
        with pytest.raises(TypeError, match="qpBodySetMass: argument"):
            qp.qpBodySetMass(world, "heavy")
    finally:
        qp.qpWorldDestroy(world)

    seen = {}

    def init():
        material = gl.qglAddMaterial("missing texture")
        gl.qglAddMaterialTexShader(material, str(tmp_path / "missing.bmp"), 0)
        try:
            gl.qglLoadDynamicPredefined(2, material, 0, 0, 0, 0, 0, 0, 1, 1, 1)
        except quarn.QuarnError as error:
            seen["null"] = str(error)

    with pytest.warns(quarn.QuarnWarning, match="missing.bmp") as caught:
        quarn.run_scene(init, frames=2)
    assert len([w for w in caught if "missing.bmp" in str(w.message)]) == 1
    assert "qglLoadDynamicPredefined: returned NULL and left no error" in seen["null"]


def test_scene_builds_a_mesh_renders_it_and_reads_the_pixels_back(tmp_path):
    seen = {}

    def init():
        material = gl.qglAddMaterial("white")
        gl.qglSetMaterialLightFlag(material, 0)
        gl.qglSetMaterialEmmisive(material, 1, 1, 1)
        mesh = gl.qglGetDynamicObject(gl.qglAddDynamicObject())
        corners = [gl.qglAddDynamicMeshVector(mesh, x, y, 0)
                   for x, y in ((-1, -1), (1, -1), (1, 1), (-1, 1))]
        normal = gl.qglAddDynamicMeshNormal(mesh, 0, 0, 1)
        texcoord = gl.qglAddDynamicMeshTexCoord(mesh, 0, 0, 0)
        for triangle in ((0, 1, 2), (2, 3, 0)):
            face = gl.qglAddDynamicFace(mesh)
            for corner in triangle:
                gl.qglAddDynamicFaceVectorIndex(mesh, face, corners[corner])
                gl.qglAddDynamicFaceNormalIndex(mesh, face, normal)
                gl.qglAddDynamicFaceTexCoordIndex(mesh, face, texcoord)
            gl.qglAddDynamicFaceMaterialIndex(mesh, face, gl.qglGetMaterialIndex(material))
        gl.qglSetDynamicPosition(mesh, 0, 0, -4)
        gl.qglSetCameraPosition(0, 0, 0)
        gl.qglSetCameraDirection(0, 0, -1)
        seen["faces"] = gl.qglGetDynamicFaceData(mesh)
        seen["position"] = gl.qglGetDynamicPosition(mesh)
        seen["matrix"] = gl.qglGetDynamicMatrix(mesh)

    def after():
        width, height = gl.qglGetSceneActualWidth(), gl.qglGetSceneActualHeight()
        seen["centre"] = quarn.read_pixels(width // 2, height // 2, 1, 1)
        seen["corner"] = quarn.read_pixels(0, 0, 1, 1)

    assert quarn.run_scene(init, frames=3, after=after) == 0
    assert seen["faces"] == quarn.FaceData([(-1, -1, 0), (1, -1, 0), (1, 1, 0), (-1, 1, 0)],
                                           [(0, 1, 2), (2, 3, 0)])
    assert seen["position"] == (0, 0, -4) and seen["matrix"][14] == -4
    assert min(seen["centre"]) > 200, seen  # the white quad fills the middle of the frame
    assert seen["corner"] == b"\0\0\0"  # the background around it stays black


def test_an_exception_in_a_scene_callback_ends_the_loop_and_is_raised():
    frames = []

    def before():
        frames.append(1)
        if len(frames) == 2:
            gl.qglGetStaticObject(99)  # no such object: the library reports an error

    with pytest.raises(quarn.QuarnError, match="qglGetStaticObject"):
        quarn.run_scene(lambda: None, frames=50, before=before)
    assert len(frames) == 2


def test_api_pages_document_every_export_with_its_contract(tmp_path):
    headers = os.environ["QUARN_TEST_HEADERS"]
    generator = os.path.join(os.path.dirname(__file__), "..", "codegen", "generate_docs.py")
    subprocess.run([sys.executable, generator, headers, str(tmp_path)], check=True)
    pages = {p.name: p.read_text() for p in tmp_path.glob("*.md")}
    text = "\n".join(pages.values())
    for name in gl.names() + qp.names():
        assert re.search(rf"\b{name}\(", text), f"{name} has no declaration in the API pages"
    # Every family page is listed in the index, and contracts travel with their declarations.
    assert all(f"({page})" in pages["README.md"] for page in pages if page != "README.md")
    statics = next(t for n, t in pages.items() if n.endswith("static-objects.md"))
    assert "Returns the mesh, or NULL when the image cannot be read." in statics
