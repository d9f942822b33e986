"""Exercise: an inverse model written by hand, checked against the simulator's on 100 poses.

The student's model below is numeric: Newton's method on the simulator's direct model
(r.mgd), with a Jacobian by finite differences. Each pose comes from joints drawn at random
within the limits; the student's joints must bring the wrist to it, as r.mgi's do.

Run from the scenes folder, with the build folder on the path:
    cd scenes && PYTHONPATH=../build /usr/bin/python3 ../exemples/verifie_mgi.py
"""
import sys

import numpy as np

import brakmor


def mgi_maison(r, pose, depart):
    """Joints (degrees) that bring the wrist (x, y, z, theta) of robot r to `pose`, from the
    joints `depart`."""
    q = np.array(depart, dtype=float)
    bas, haut = r.limites[:, 0], r.limites[:, 1]
    for _ in range(100):
        ecart = np.asarray(pose) - r.mgd(q)
        if np.abs(ecart).max() < 1e-3:
            return q
        jacobien = np.empty((4, 4))
        for k in range(4):
            dq = np.zeros(4)
            dq[k] = 1e-2 if q[k] + 1e-2 <= haut[k] else -1e-2
            jacobien[:, k] = (r.mgd(q + dq) - r.mgd(q)) / dq[k]
        q = np.clip(q + np.linalg.lstsq(jacobien, ecart, rcond=None)[0], bas, haut)
    return q


def main():
    scene = brakmor.Scene("demo.txt")
    r = scene.robots["brakmor"]
    hasard = np.random.default_rng(30)
    bas, haut = r.limites[:, 0], r.limites[:, 1]
    essais = reussis = 0
    pire = 0.0
    while essais < 100:
        q = hasard.uniform(bas, haut)
        try:
            pose = r.mgd(q)
            attendu = r.mgi(pose)  # the simulator's answer
        except brakmor.Refus:
            continue  # under the floor, too close to the base: not a pose to ask for
        essais += 1
        # Newton's method finds the pose from some start: a few are tried.
        for depart in [r.articulations] + list(hasard.uniform(bas, haut, size=(20, 4))):
            trouve = mgi_maison(r, pose, depart)
            erreur = np.abs(r.mgd(trouve) - pose).max()
            if erreur < 1e-2:
                break
        pire = max(pire, erreur)
        # The same joints, angles taken modulo a turn.
        ecarts = (trouve - attendu + 180) % 360 - 180
        if erreur < 1e-2 and np.abs(ecarts).max() < 0.5:
            reussis += 1
    print(f"{reussis} poses sur {essais} retrouvées comme r.mgi (écart de pose au pire {pire:.2g})")
    return 0 if reussis >= 90 else 1


if __name__ == "__main__":
    sys.exit(main())
