#!/usr/bin/env python3
"""Writes the scenes of the frame benchmark (brakmor -bench) into a folder: the demo plus a
smooth 125 000-triangle mesh whose file has no normals (the reader smooths it), and the demo
plus the 1 000 000-triangle torus of the loading benchmark (f v/t, no normals). The meshes are
generated here rather than kept in the repository (the torus file is about 70 MB).

usage: genere_scenes_rendu.py DOSSIER   (then: cd DOSSIER && brakmor -f demo_lisse.txt -bench N)
"""
import math
import os
import sys

RACINE = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def tore(chemin, U, V, R, r, relief, coords_texture):
    """A torus of U x V quadrilaterals cut into 2 U V triangles; r varies with `relief` so
    that the surface is smooth but not a plain torus."""
    with open(chemin, "w") as f:
        f.write("# tore de %d triangles, sans normales\n" % (2 * U * V))
        for i in range(U):
            a = 2 * math.pi * i / U
            ca, sa = math.cos(a), math.sin(a)
            lignes = []
            for j in range(V):
                b = 2 * math.pi * j / V
                rr = r * (1 + relief * math.sin(5 * a) * math.sin(3 * b))
                lignes.append("v %.6f %.6f %.6f\n" % ((R + rr * math.cos(b)) * ca,
                                                      (R + rr * math.cos(b)) * sa,
                                                      rr * math.sin(b)))
            f.write("".join(lignes))
        if coords_texture:
            for i in range(U):
                f.write("".join("vt %.6f %.6f\n" % (i / U, j / V) for j in range(V)))
        for i in range(U):
            lignes = []
            for j in range(V):
                k = [((ii % U) * V + (jj % V) + 1) for ii, jj in
                     ((i, j), (i + 1, j), (i + 1, j + 1), (i, j + 1))]
                if coords_texture:
                    c = ["%d/%d" % (x, x) for x in k]
                else:
                    c = ["%d" % x for x in k]
                lignes.append("f %s %s %s\nf %s %s %s\n" % (c[0], c[1], c[2], c[0], c[2], c[3]))
            f.write("".join(lignes))


SCENE = """#include demo.txt
grosMesh = chargeWaveFront("%s", true);
setMaterial(&grosMesh, %s);
grosObjet = instancieEntite(&grosMesh);
matriceTranslate(&grosObjet, (%s));
subitGravite(&grosObjet, false);
"""


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    dossier = sys.argv[1]
    os.makedirs(dossier, exist_ok=True)
    for nom in ("demo", "demo.txt", "spot.tga"):
        lien = os.path.join(dossier, nom)
        if not os.path.lexists(lien):
            os.symlink(os.path.join(RACINE, "scenes", nom), lien)
    # 250 x 250 quadrilaterals: 125 000 triangles, 62 500 vertices, each in six triangles.
    tore(os.path.join(dossier, "lisse_125k.obj"), 250, 250, 18.0, 7.0, 0.25, False)
    # The loading benchmark's torus: 1000 x 500 quadrilaterals, texture coordinates.
    tore(os.path.join(dossier, "tore_1M.obj"), 1000, 500, 18.0, 6.0, 0.0, True)
    with open(os.path.join(dossier, "demo_lisse.txt"), "w") as f:
        f.write(SCENE % ("lisse_125k.obj", "vert", "-15.0, -50.0, 10.0"))
    with open(os.path.join(dossier, "demo_tore.txt"), "w") as f:
        f.write(SCENE % ("tore_1M.obj", "bleu", "-15.0, -50.0, 8.0"))


if __name__ == "__main__":
    main()
