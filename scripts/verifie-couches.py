#!/usr/bin/env python3
"""Checks the layers of src/: each folder is one layer, includes only from its own layer and
those below, and only dessin/ and app/ include OpenGL, GLUT or the panel library.

Layers, bottom up: commun, geometrie, scene, robot and metaball (side by side), script,
dessin, app; above them the Python module (python/ beside src/), which may include any layer
but no graphics header: it draws through dessin/ and app/. Prints every breach as file:line
and exits 1 if there is one."""
import os
import re
import sys

NIVEAUX = {"commun": 0, "geometrie": 1, "scene": 2, "robot": 3, "metaball": 3, "script": 4,
           "dessin": 5, "app": 6, "python": 7}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
GRAPHIQUE = re.compile(r"^(GL/|GLES|EGL/|imgui|stb/stb_image_write)")
AVEC_GL = ("dessin", "app")


def couche(relatif):
    """The layer of a file given relative to src/: its folder (None for main.cpp)."""
    dossier = relatif.split("/")[0]
    return dossier if dossier in NIVEAUX else None


def fichiers_sources(racine):
    """(path, path relative to src/ or python/..., layer) of every source file: those of src/,
    then those of the Python module's folder."""
    for dossier, _, fichiers in os.walk(racine):
        for nom in sorted(fichiers):
            if nom.endswith((".cpp", ".h")):
                chemin = os.path.join(dossier, nom)
                relatif = os.path.relpath(chemin, racine).replace(os.sep, "/")
                yield chemin, relatif, couche(relatif)
    module = os.path.join(racine, os.pardir, "python")
    if os.path.isdir(module):
        for nom in sorted(os.listdir(module)):
            if nom.endswith((".cpp", ".h")):
                yield os.path.join(module, nom), "python/" + nom, "python"


def main(racine):
    fautes = []
    for chemin, relatif, ici in fichiers_sources(racine):
        nom = relatif.split("/")[-1]
        if relatif.count("/") != (0 if ici is None else 1) or (ici is None and nom != "main.cpp"):
            # Each folder of src/ is one library: a file elsewhere would be built by none.
            fautes.append(f"{relatif}: hors des dossiers des couches")
            continue
        with open(chemin, encoding="utf-8", errors="replace") as f:
            for numero, ligne in enumerate(f, 1):
                m = INCLUDE.match(ligne)
                if not m:
                    continue
                genre, cible = m.groups()
                if genre == "<":
                    if GRAPHIQUE.match(cible) and ici not in AVEC_GL:
                        fautes.append(f"{relatif}:{numero}: <{cible}> hors de dessin/ et app/")
                    continue
                if ici is None:
                    continue
                la = couche(cible)
                if la is not None and NIVEAUX[la] > NIVEAUX[ici]:
                    fautes.append(f"{relatif}:{numero}: \"{cible}\" ({la}) inclus depuis la couche {ici}")
                elif la is not None and NIVEAUX[la] == NIVEAUX[ici] and la != ici:
                    fautes.append(f"{relatif}:{numero}: \"{cible}\" ({la}) inclus depuis la couche voisine {ici}")
    for f in fautes:
        print(f)
    return 1 if fautes else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "src"))
