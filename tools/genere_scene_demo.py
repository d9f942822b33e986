#!/usr/bin/env python3
"""Generates the demo scene's meshes and images (the generated files are committed).

Each robot link is modelled in the frame the robot draws it in:
  - socle: robot frame, z up, origin on the floor;
  - tourelle, bielle: turret frame, x along the arm's vertical plane, z up, origin on the
    base axis at shoulder height;
  - bras, barreEpaule, barreCoude, avantBras, barreAvantBras, barreBras, poignet: frames
    where x runs along the link, y is "up" in the arm's vertical plane and z is lateral
    (pointing to the robot's -y side);
  - pince: z points down, x and y horizontal.
The robot's numbers (L0 ... L8) below must match the call in scenes/demo.txt.
"""
import math
import os
import struct

L0, L1, L2, L3, L4, L5, L6, L7, L8 = 6.0, 12.0, 55.0, 50.0, -4.0, 5.0, 8.0, 10.0, 14.0

ICI = os.path.dirname(os.path.abspath(__file__))
SORTIE = os.path.join(ICI, "..", "scenes", "demo")


class Maillage:
    def __init__(self):
        self.sommets = []
        self.faces = []
        self.coords = []  # texture coordinates
        self.faces_tex = []

    def quad(self, a, b, c, d):
        self.faces.append([a, b, c, d])

    def boite(self, x0, x1, y0, y1, z0, z1):
        """Axis-aligned box; faces wound counter-clockwise seen from outside."""
        n = len(self.sommets)
        for i in range(8):
            self.sommets.append((x1 if i & 1 else x0, y1 if i & 2 else y0, z1 if i & 4 else z0))
        for f in ((0, 2, 3, 1), (4, 5, 7, 6), (0, 1, 5, 4), (2, 6, 7, 3), (0, 4, 6, 2), (1, 3, 7, 5)):
            self.faces.append([n + k for k in f])

    def cylindre(self, axe, centre, rayon, debut, fin, segments=20):
        """Closed cylinder along axis 'x', 'y' or 'z' through `centre` (the two other
        coordinates), from `debut` to `fin` along the axis."""
        # The angle turns about the +axis direction, so that faces wind outwards.
        def point(t, a):
            c, s = rayon * math.cos(a), rayon * math.sin(a)
            if axe == "z":
                return (centre[0] + c, centre[1] + s, t)  # centre = (x, y)
            if axe == "x":
                return (t, centre[0] + c, centre[1] + s)  # centre = (y, z)
            return (centre[0] + s, t, centre[1] + c)  # y axis, centre = (x, z)

        n = len(self.sommets)
        for i in range(segments):
            a = 2 * math.pi * i / segments
            self.sommets.append(point(debut, a))
            self.sommets.append(point(fin, a))
        for i in range(segments):
            j = (i + 1) % segments
            self.faces.append([n + 2 * i, n + 2 * j, n + 2 * j + 1, n + 2 * i + 1])
        self.faces.append([n + 2 * i + 1 for i in range(segments)])
        self.faces.append([n + 2 * i for i in reversed(range(segments))])

    def ecrit(self, nom, entete):
        with open(os.path.join(SORTIE, nom), "w") as f:
            f.write("# %s\n" % entete)
            for s in self.sommets:
                f.write("v %.4f %.4f %.4f\n" % s)
            for t in self.coords:
                f.write("vt %.4f %.4f\n" % t)
            if self.faces_tex:
                for face, tex in zip(self.faces, self.faces_tex):
                    f.write("f " + " ".join("%d/%d" % (s + 1, t + 1) for s, t in zip(face, tex)) + "\n")
            else:
                for face in self.faces:
                    f.write("f " + " ".join(str(s + 1) for s in face) + "\n")


def lateral(y0, y1):
    """Link-frame z range for a band of the robot's lateral axis y (z points to -y)."""
    return (-y1, -y0)


def liens():
    m = {}
    # Fixed base: a wide disc and a column up to the turret.
    s = Maillage()
    s.cylindre("z", (0, 0), 18, 0, 3)
    s.cylindre("z", (0, 0), 11, 3, 10)
    m["socle"] = s
    # Turret: a drum sitting on the base (its bottom 5 below the shoulder plane), the
    # shoulder cheeks, the post of the shoulder bar and the post of the rear rod.
    t = Maillage()
    t.cylindre("z", (0, 0), 12, -5, 1)
    t.boite(-2, 11, 3.0, 4.2, -5, 3.5)
    t.boite(-2, 11, -4.2, -3.0, -5, 3.5)
    t.boite(L4 - 2.5, L4 + 2.5, 6.0, 7.5, -5, L6 + 2)
    t.boite(-L8 - 2.5, -L8 + 2.5, -7.5, -6.0, -5, 2.5)
    t.boite(-L8 - 2.5, 0, -7.5, -4.2, -5, -2)
    m["tourelle"] = t
    # Upper arm: the beam from the shoulder to the elbow, and the lever to the rear rod.
    b = Maillage()
    b.boite(-3, L2 + 3, -2.5, 2.5, -3, 3)
    b.boite(-1.5, 1.5, 2.5, L7 + 1.5, *lateral(-4.5, -3.0))
    b.cylindre("z", (0, L7), 1.2, *lateral(-4.5, -3.0))
    m["bras"] = b
    # Shoulder bar: parallel to the upper arm, on the +y side.
    e = Maillage()
    e.boite(-1.5, L2 + 1.5, -1, 1, *lateral(4.5, 6.0))
    m["barreEpaule"] = e
    # Elbow plate: pivots on the elbow, carries the ends of both parallel bars.
    c = Maillage()
    c.boite(L4 - L0 - 1.5, L5 + 1.5, L6 - 1.5, L6 + 1.5, *lateral(3.0, 4.4))
    c.boite(-1.5, 1.5, -1.5, L6, *lateral(3.0, 4.4))
    m["barreCoude"] = c
    # Forearm.
    a = Maillage()
    a.boite(-3, L3 + 2, -2, 2, -2.5, 2.5)
    m["avantBras"] = a
    # Forearm bar: parallel to the forearm, from the elbow plate to the wrist.
    f = Maillage()
    f.boite(-1.5, L3 + 1.5, -1, 1, *lateral(4.5, 6.0))
    m["barreAvantBras"] = f
    # Wrist: a level block around the wrist axis (its lateral half-width is also how far
    # the gripper hangs below the axis), with the ear that takes the forearm bar.
    p = Maillage()
    p.boite(-4, L1 + 4, -4.4, 3, -4.4, 4.4)
    p.boite(L5 - 1.5, L5 + 1.5, 3, L6 + 1.5, *lateral(3.0, 4.4))
    m["poignet"] = p
    # Gripper: a hub rising into the wrist (its height is how far the tool point lies below
    # the wrist), a palm, and two fingers reaching past the tool point around the object.
    g = Maillage()
    g.cylindre("z", (0, 0), 3, -6, 0)
    g.boite(-6, 6, -2.5, 2.5, 0, 2)
    g.boite(4.6, 6, -2, 2, 2, 14)
    g.boite(-6, -4.6, -2, 2, 2, 14)
    m["pince"] = g
    # Rear gas spring: the rod from the turret's rear post and the sleeve on the arm's lever.
    r = Maillage()
    r.cylindre("x", (-5.25, 0), 0.8, -1.5, 10.5)
    m["bielle"] = r
    s2 = Maillage()
    s2.cylindre("y", (0, 5.25), 1.4, 0, 12.5)  # sleeve from the lever towards the rod's pivot
    m["barreBras"] = s2
    return m


def cube_texture(cote):
    """A cube of side `cote` standing on z = 0, with texture coordinates on every face."""
    c = Maillage()
    h = cote / 2
    for i in range(8):
        c.sommets.append((h if i & 1 else -h, h if i & 2 else -h, cote if i & 4 else 0))
    c.coords = [(0, 0), (1, 0), (1, 1), (0, 1)]
    for f in ((0, 2, 3, 1), (4, 5, 7, 6), (0, 1, 5, 4), (2, 6, 7, 3), (0, 4, 6, 2), (1, 3, 7, 5)):
        c.faces.append(list(f))
        c.faces_tex.append([0, 1, 2, 3])
    return c


def cube(cote):
    c = Maillage()
    h = cote / 2
    c.boite(-h, h, -h, h, 0, cote)
    return c


def tga(nom, largeur, hauteur, pixel):
    """Uncompressed 24-bit TGA (BGR order in the file for image viewers; the spot reader
    uses the bytes as they are, so the spot image is grey and order does not matter)."""
    with open(os.path.join(SORTIE, nom), "wb") as f:
        f.write(struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, largeur, hauteur, 24, 0))
        for y in range(hauteur):
            ligne = bytearray()
            for x in range(largeur):
                r, g, b = pixel(x, y)
                ligne += bytes((b, g, r))
            f.write(ligne)


def spot(x, y):
    d = math.hypot(x - 127.5, y - 127.5) / 128.0
    v = 255 if d < 0.55 else max(0, int(255 * (1 - (d - 0.55) / 0.45)))
    v = max(v, 40)
    return v, v, v


def damier(x, y):
    if ((x // 16) + (y // 16)) % 2:
        return 230, 190, 40
    return 40, 70, 160


def main():
    os.makedirs(SORTIE, exist_ok=True)
    for nom, maillage in liens().items():
        maillage.ecrit(nom + ".obj", "Brakmor demo robot link: " + nom)
    cube(8).ecrit("cube.obj", "8-unit cube standing on z = 0")
    cube(12).ecrit("socle_objets.obj", "12-unit cube standing on z = 0")
    cube_texture(8).ecrit("cube_texture.obj", "8-unit textured cube standing on z = 0")
    tga(os.path.join("..", "spot.tga"), 256, 256, spot)
    tga("damier.tga", 128, 128, damier)


if __name__ == "__main__":
    main()
