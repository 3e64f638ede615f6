"""crates.py: the physics_crates example in Python. A few crates fall onto a floor; each crate
is a physics body and a box in the scene that follows it.

    python3 crates.py                          in a window (offscreen without a display)
    python3 crates.py --frames N --output F    renders N frames, saves the last one, exits

The quarn package must be importable (PYTHONPATH=<build>/python, or an installed prefix's
lib/python3/dist-packages) and find the libraries (QUARN_LIBRARY_PATH or beside it)."""
import argparse

import quarn

gl, qp = quarn.gl, quarn.physics
RATE = 60.0  # physics updates a second

parser = argparse.ArgumentParser()
parser.add_argument("--frames", type=int, help="render this many frames, then exit")
parser.add_argument("--output", default="crates.bmp", help="where --frames saves the last one")
args = parser.parse_args()

world = qp.qpWorldCreate()
crates = []  # (body, scene object) pairs


def colour(name, r, g, b):
    material = gl.qglAddMaterial(name)
    gl.qglSetMaterialAmbient(material, r * 0.3, g * 0.3, b * 0.3)
    gl.qglSetMaterialDiffuse(material, r, g, b)
    return material


def gravity(body):  # the library has no gravity of its own
    qp.qpBodyAddForce(body, (0, -9.8 * qp.qpBodyGetMass(body), 0))


def init():
    # A static floor: a flat box in the scene and a body of mass 0 of the same size.
    gl.qglLoadDynamicPredefined(1, colour("floor", 0.4, 0.5, 0.4), 0, -0.5, 0, 0, 0, 0,
                                30, 1, 30)
    floor = qp.qpBodyCreate(world, 1, qp.qpCollisionCreateBySize(world, 1, (30, 1, 30)))
    qp.qpBodySetMatrix(floor, (1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -0.5, 0, 1))
    # Six crates in a leaning column; one collision serves every crate body.
    box = qp.qpCollisionCreateBySize(world, quarn.QP_COLLISION_BOX, (1, 1, 1))
    wood = colour("crate", 0.8, 0.55, 0.25)
    for i in range(6):
        body = qp.qpBodyCreate(world, 1, box)
        qp.qpBodySetMass(body, 1.0)
        qp.qpBodySetMatrix(body, (1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.3 * i, 1 + 1.2 * i, 0, 1))
        qp.qpBodySetForceAndTorqueCallback(body, gravity)  # kept alive by the package
        crates.append((body, gl.qglLoadDynamicPredefined(1, wood, 0, 0, 0, 0, 0, 0, 1, 1, 1)))
    gl.qglSetCameraPosition(0, 4, 12)
    gl.qglSetCameraDirection(0, -0.2, -1)


def before():
    # A fixed step per frame keeps the picture repeatable; the alpha blends the last two poses.
    qp.qpWorldStep(world, 1 / RATE, 1, RATE)
    alpha = qp.qpWorldGetAlphaTimeUntilNextStep(world, RATE)
    for body, crate in crates:
        quarn.follow_body(crate, body, alpha)


def after():
    if args.frames is not None:
        after.count = getattr(after, "count", 0) + 1
        if after.count == args.frames:
            gl.qglCopySceneScreenToBitmapFile(args.output)
            gl.qglDestroySceneWindow()


quarn.ensure_display()
try:
    gl.qglCreateSceneWindow(640, 480, 32, 0, init, before, after)  # errors raise QuarnError
finally:
    qp.qpWorldDestroy(world)
