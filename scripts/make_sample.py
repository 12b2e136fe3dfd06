#!/usr/bin/env python3
"""Writes the bundled sample model: a brick house with a tiled gable roof and two wooden
crates behind a cobbled pavement, the classic subjects of depth-inverted pictures.

    scripts/make_sample.py [FOLDER]      (default: Mesh)

writes FOLDER/sample.obj, FOLDER/sample.mtl and FOLDER/sample.bmp (a 512 x 512 texture atlas).
The output depends on nothing but this file, so running it again gives the same bytes.

Model conventions, as the program reads models:
- every face is a triangle with v/t/n corners, wound counter-clockwise seen from outside;
- surfaces that meet share their positions (the front walls stand on the pavement's grid
  points), so a lasso around the house leaves a seam of border triangles in the pavement;
  texture coordinates and normals are per surface;
- every object is convex and the objects do not overlap on the screen from the front right, so
  a face is either wholly seen or wholly turned away: a depth-inverted face then never shows
  through another;
- texture coordinate v counts from the picture's bottom row (v = 0 bottom, 1 top), as in
  every OBJ file;
- "mtllib" names the MTL file beside the OBJ file, where the program looks first, and the
  material names the texture beside the MTL file, so opening the model brings its texture.
"""

import math
import random
import struct
import sys
from pathlib import Path

ATLAS = 512  # texture atlas width and height in pixels

# Atlas regions (left, top, width, height) in pixels.
FRONT = (0, 0, 256, 160)
BACK = (256, 0, 256, 160)
SIDE = (0, 160, 192, 160)
GABLE = (192, 160, 192, 96)
CRATE = (384, 160, 128, 128)
ROOF = (0, 320, 256, 136)
GROUND = (256, 320, 256, 64)


# ---------------------------------------------------------------------------------------------
# Geometry


def sub(a, b):
    return tuple(x - y for x, y in zip(a, b))


def add(a, b):
    return tuple(x + y for x, y in zip(a, b))


def scale(a, s):
    return tuple(x * s for x in a)


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def unit(a):
    length = math.sqrt(sum(x * x for x in a))
    return tuple(x / length for x in a)


class Model:
    """Positions shared by value; texture coordinates and normals per surface."""

    def __init__(self):
        self.positions, self.position_index = [], {}
        self.tex_coords, self.normals = [], []
        self.groups = []  # (name, faces); a face is three (position, tex, normal) corners

    def group(self, name):
        self.groups.append((name, []))

    def position(self, p):
        key = tuple(round(x, 6) for x in p)
        if key not in self.position_index:
            self.position_index[key] = len(self.positions)
            self.positions.append(key)
        return self.position_index[key]

    def tex_coord(self, region, s, t):
        """Index of the point (s, t) of an atlas region, s rightwards, t upwards, both 0..1;
        kept half a texel inside the region so that filtering does not reach a neighbour."""
        left, top, width, height = region
        x = left + 0.5 + s * (width - 1)
        y = top + 0.5 + (1 - t) * (height - 1)
        self.tex_coords.append((x / ATLAS, 1 - y / ATLAS))
        return len(self.tex_coords) - 1

    def normal(self, n):
        self.normals.append(unit(n))
        return len(self.normals) - 1

    def triangle(self, a, b, c):
        self.groups[-1][1].append((a, b, c))

    def rectangle(self, origin, right, up, cells, region):
        """A flat rectangle origin + s*right + t*up split into cells[0] x cells[1] cells of
        two triangles each; its outward side is right x up. The region's picture spans it
        upright."""
        nu, nv = cells
        n = self.normal(cross(right, up))
        corner = {}
        for i in range(nu + 1):
            for j in range(nv + 1):
                p = add(origin, add(scale(right, i / nu), scale(up, j / nv)))
                corner[i, j] = (self.position(p), self.tex_coord(region, i / nu, j / nv), n)
        for i in range(nu):
            for j in range(nv):
                a, b, c, d = corner[i, j], corner[i + 1, j], corner[i + 1, j + 1], corner[i, j + 1]
                self.triangle(a, b, c)
                self.triangle(a, c, d)

    def gable(self, a, b, apex, steps, region):
        """The triangle a, b, apex (counter-clockwise from outside) cut into steps^2 triangles,
        with steps + 1 points on each edge; the region's picture has a-b as its bottom edge
        and the apex at its top middle."""
        n = self.normal(cross(sub(b, a), sub(apex, a)))
        corner = {}
        for i in range(steps + 1):
            for j in range(steps + 1 - i):
                p = add(a, add(scale(sub(b, a), i / steps), scale(sub(apex, a), j / steps)))
                s, t = (i + 0.5 * j) / steps, j / steps
                corner[i, j] = (self.position(p), self.tex_coord(region, s, t), n)
        for i in range(steps):
            for j in range(steps - i):
                self.triangle(corner[i, j], corner[i + 1, j], corner[i, j + 1])
                if i + j < steps - 1:
                    self.triangle(corner[i + 1, j], corner[i + 1, j + 1], corner[i, j + 1])


def box(model, low, high, region):
    """Four walls and a top (no bottom: it stands on something), one cell per unit."""
    (x0, y0, z0), (x1, y1, z1) = low, high
    w, h, d = x1 - x0, y1 - y0, z1 - z0
    model.rectangle((x0, y0, z1), (w, 0, 0), (0, h, 0), (w, h), region)  # front, +z
    model.rectangle((x1, y0, z1), (0, 0, -d), (0, h, 0), (d, h), region)  # right, +x
    model.rectangle((x1, y0, z0), (-w, 0, 0), (0, h, 0), (w, h), region)  # back, -z
    model.rectangle((x0, y0, z0), (0, 0, d), (0, h, 0), (d, h), region)  # left, -x
    model.rectangle((x0, y1, z1), (w, 0, 0), (0, 0, -d), (w, d), region)  # top, +y


def build_model():
    model = Model()
    ground_y, eave_y, ridge_y = -4, 1, 4
    # House: x -8..0, z -4..2, walls up to the eaves, ridge along x above z = -1.
    model.group("house")
    model.rectangle((-8, ground_y, 2), (8, 0, 0), (0, 5, 0), (8, 5), FRONT)
    model.rectangle((0, ground_y, -4), (-8, 0, 0), (0, 5, 0), (8, 5), BACK)
    model.rectangle((-8, ground_y, -4), (0, 0, 6), (0, 5, 0), (6, 5), SIDE)
    model.rectangle((0, ground_y, 2), (0, 0, -6), (0, 5, 0), (6, 5), SIDE)
    model.gable((-8, eave_y, -4), (-8, eave_y, 2), (-8, ridge_y, -1), 6, GABLE)
    model.gable((0, eave_y, 2), (0, eave_y, -4), (0, ridge_y, -1), 6, GABLE)
    model.rectangle((-8, eave_y, 2), (8, 0, 0), (0, 3, -3), (8, 6), ROOF)
    model.rectangle((0, eave_y, -4), (-8, 0, 0), (0, 3, 3), (8, 6), ROOF)
    # Crates: a big and a small one side by side, their fronts in line with the house's.
    model.group("crates")
    box(model, (2, ground_y, -2), (6, 0, 2), CRATE)
    box(model, (7, ground_y, 0), (9, -2, 2), CRATE)
    # Pavement: x -10..10, z 2..6, in front of everything.
    model.group("pavement")
    model.rectangle((-10, ground_y, 6), (20, 0, 0), (0, 0, -4), (20, 4), GROUND)
    return model


def number(x):
    text = f"{x:.6f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def obj_text(model, mtl_path):
    lines = [
        "# Hollowvista sample: a brick house and two crates behind a cobbled pavement.",
        "# Made by scripts/make_sample.py; texture coordinate v counts from the picture's bottom.",
        f"mtllib {mtl_path}",
    ]
    lines += ["v " + " ".join(number(x) for x in p) for p in model.positions]
    lines += ["vt " + " ".join(number(x) for x in t) for t in model.tex_coords]
    lines += ["vn " + " ".join(number(x) for x in n) for n in model.normals]
    lines.append("usemtl sample")
    for name, faces in model.groups:
        lines.append(f"g {name}")
        for face in faces:
            lines.append("f " + " ".join(f"{p + 1}/{t + 1}/{n + 1}" for p, t, n in face))
    return "\n".join(lines) + "\n"


MTL_TEXT = """# Hollowvista sample material
newmtl sample
Ka 0.2 0.2 0.2
Kd 0.8 0.8 0.8
Ks 0 0 0
d 1
Ns 0
map_Kd sample.bmp
"""


# ---------------------------------------------------------------------------------------------
# Texture


class Picture:
    def __init__(self, size):
        self.size = size
        self.rgb = bytearray(size * size * 3)  # rows from the top

    def fill(self, left, top, right, bottom, colour):
        for y in range(max(top, 0), min(bottom, self.size)):
            for x in range(max(left, 0), min(right, self.size)):
                self.rgb[3 * (y * self.size + x) : 3 * (y * self.size + x) + 3] = bytes(colour)

    def bmp(self):
        """A 24-bit uncompressed BMP (rows stored bottom-up, BGR)."""
        row_bytes = self.size * 3  # a multiple of 4 for the sizes used here
        pixels = bytearray()
        for y in reversed(range(self.size)):
            row = self.rgb[y * row_bytes : (y + 1) * row_bytes]
            for x in range(self.size):
                pixels += bytes((row[3 * x + 2], row[3 * x + 1], row[3 * x]))
        header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.size, self.size, 1, 24, 0, len(pixels),
                           2835, 2835, 0, 0)
        return header + info + bytes(pixels)


def vary(colour, rng, amount):
    d = rng.randint(-amount, amount)
    return tuple(max(0, min(255, c + d)) for c in colour)


def bricks(pic, region, rng):
    left, top, width, height = region
    pic.fill(left, top, left + width, top + height, (200, 195, 185))  # mortar
    for row in range(0, height, 8):
        offset = 8 if (row // 8) % 2 else 0
        for col in range(-offset, width, 16):
            x0, x1 = max(col, 0) + left, min(col + 15, width) + left
            pic.fill(x0, top + row, x1, top + min(row + 7, height), vary((150, 62, 45), rng, 18))


def window(pic, left, top, width, height):
    pic.fill(left - 2, top + height, left + width + 2, top + height + 4, (225, 225, 220))  # sill
    pic.fill(left, top, left + width, top + height, (240, 240, 235))  # frame
    pic.fill(left + 4, top + 4, left + width - 4, top + height - 4, (60, 95, 135))  # glass
    for k in range(min(width, height) - 8):  # a reflection streak
        pic.fill(left + 6 + k // 2, top + height - 6 - k, left + 9 + k // 2, top + height - 5 - k,
                 (120, 160, 195))
    pic.fill(left + width // 2 - 2, top, left + width // 2 + 2, top + height, (240, 240, 235))
    pic.fill(left, top + height // 2 - 2, left + width, top + height // 2 + 2, (240, 240, 235))


def door(pic, left, top, width, height):
    pic.fill(left - 4, top - 4, left + width + 4, top + height, (235, 230, 220))
    pic.fill(left, top, left + width, top + height, (105, 62, 35))
    for x in range(left + 8, left + width, 10):
        pic.fill(x, top + 2, x + 1, top + height, (80, 45, 25))
    pic.fill(left + width - 10, top + height // 2, left + width - 5, top + height // 2 + 5,
             (230, 190, 60))


def roof(pic, region, rng):
    left, top, width, height = region
    for row in range(0, height, 12):
        offset = 8 if (row // 12) % 2 else 0
        for col in range(-offset, width, 16):
            base = vary((165, 55, 40), rng, 15)
            x0, x1 = max(col, 0) + left, min(col + 16, width) + left
            pic.fill(x0, top + row, x1, top + min(row + 12, height), base)
            pic.fill(x0, top + min(row + 9, height), x1, top + min(row + 12, height),
                     tuple(c * 3 // 5 for c in base))
            pic.fill(x0, top + row, x0 + 1, top + min(row + 12, height), (90, 30, 20))
    pic.fill(left, top, left + width, top + 6, (90, 35, 28))  # ridge


def crate(pic, region, rng):
    left, top, width, height = region
    for row in range(0, height, 16):
        plank = vary((185, 135, 75), rng, 12)
        pic.fill(left, top + row, left + width, top + row + 16, plank)
        pic.fill(left, top + row + 15, left + width, top + row + 16, (110, 75, 40))
        for _ in range(4):  # grain
            x, y = left + rng.randrange(width - 30), top + row + 3 + rng.randrange(10)
            pic.fill(x, y, x + 20 + rng.randrange(10), y + 1, tuple(c - 25 for c in plank))
    frame = (125, 85, 45)
    pic.fill(left, top, left + width, top + 12, frame)
    pic.fill(left, top + height - 12, left + width, top + height, frame)
    pic.fill(left, top, left + 12, top + height, frame)
    pic.fill(left + width - 12, top, left + width, top + height, frame)
    for k in range(12, width - 12):  # the diagonal brace, bottom left to top right
        pic.fill(left + k - 5, top + height - k, left + k + 6, top + height - k + 1, frame)
    for x, y in ((6, 6), (width - 7, 6), (6, height - 7), (width - 7, height - 7)):
        pic.fill(left + x - 1, top + y - 1, left + x + 2, top + y + 2, (60, 60, 65))


def cobbles(pic, region, rng):
    left, top, width, height = region
    pic.fill(left, top, left + width, top + height, (85, 90, 70))  # gaps with moss
    for row in range(0, height, 12):
        offset = rng.randrange(12)
        for col in range(-offset, width, 14):
            x0, x1 = max(col + 1, 0) + left, min(col + 13, width) + left
            pic.fill(x0, top + row + 1, x1, top + min(row + 11, height), vary((135, 130, 120), rng, 20))


def build_texture():
    rng = random.Random(20240601)
    pic = Picture(ATLAS)
    pic.fill(0, 0, ATLAS, ATLAS, (128, 128, 128))
    for region in (FRONT, BACK, SIDE, GABLE):
        bricks(pic, region, rng)
    # Front: a door between two windows; back: two windows; sides: one window; gable: a vent.
    door(pic, FRONT[0] + 108, FRONT[1] + 64, 40, 96)
    for x in (24, 176):
        window(pic, FRONT[0] + x, FRONT[1] + 40, 56, 56)
        window(pic, BACK[0] + x, BACK[1] + 40, 56, 56)
    window(pic, SIDE[0] + 68, SIDE[1] + 40, 56, 56)
    window(pic, GABLE[0] + 84, GABLE[1] + 48, 24, 24)
    roof(pic, ROOF, rng)
    crate(pic, CRATE, rng)
    cobbles(pic, GROUND, rng)
    # The program draws back faces in grey times the texel at texture coordinate (0, 0), the
    # picture's bottom-left corner (unused by the model): it takes the brick colour of the
    # top-left corner, which back faces showed when v was counted from the top.
    corner = tuple(pic.rgb[0:3])
    pic.fill(0, ATLAS - 8, 8, ATLAS, corner)
    return pic


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else "Mesh")
    folder.mkdir(parents=True, exist_ok=True)
    model = build_model()
    (folder / "sample.obj").write_text(obj_text(model, "sample.mtl"))
    (folder / "sample.mtl").write_text(MTL_TEXT)
    (folder / "sample.bmp").write_bytes(build_texture().bmp())
    faces = sum(len(f) for _, f in model.groups)
    print(f"{folder}/sample.obj: {len(model.positions)} positions, {faces} triangles")


if __name__ == "__main__":
    main()
