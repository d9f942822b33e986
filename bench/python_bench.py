"""The Python module's speed: simulation steps a second (the demo with a motion queued,
against the program's -check -simule on the same scene) and the milliseconds of one
image(640, 480) after the first. Run from the repository with the build folder given:
    /usr/bin/python3 bench/python_bench.py build
"""
import os
import statistics
import subprocess
import sys
import time

CONSTRUCTION = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
SCENES = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "scenes")
sys.path.insert(0, CONSTRUCTION)
os.chdir(SCENES)
os.environ.pop("DISPLAY", None)
import brakmor  # noqa: E402

SECONDES = 100  # 10 000 steps of 10 ms


def scene_en_mouvement():
    s = brakmor.Scene("demo.txt")
    r = s.robots["brakmor"]
    # Back and forth between two poses for the whole run: a motion is always queued.
    for _ in range(60):
        r.deplace_articulaire(0, 90, -90, 0)
        r.deplace_articulaire(90, 40, -70, 0)
    return s


def pas_par_seconde():
    mesures = []
    for _ in range(5):
        s = scene_en_mouvement()
        debut = time.perf_counter()
        s.simule(SECONDES)
        mesures.append(SECONDES * 100 / (time.perf_counter() - debut))
        assert s.robots["brakmor"].commandes > 0
    return statistics.median(mesures)


def pas_par_seconde_programme():
    # The same motion from a scene file: the program loads it, then simulates; its load
    # alone (-simule 0) is taken off.
    texte = "#include demo.txt\n" + "".join(
        "deplaceArticulaire(&brakmor, 0, 90, -90, 0);\ndeplaceArticulaire(&brakmor, 90, 40, -70, 0);\n"
        for _ in range(60))
    chemin = os.path.join(SCENES, ".bench_python.txt")
    with open(chemin, "w") as f:
        f.write(texte)
    try:
        def duree(s):
            mesures = []
            for _ in range(5):
                debut = time.perf_counter()
                subprocess.run([os.path.join(CONSTRUCTION, "brakmor"), "-check", "-simule", str(s),
                                "-f", chemin], capture_output=True, check=True)
                mesures.append(time.perf_counter() - debut)
            return statistics.median(mesures)
        return SECONDES * 100 / (duree(SECONDES) - duree(0))
    finally:
        os.remove(chemin)


def millisecondes_par_image():
    s = brakmor.Scene("demo.txt")
    s.image(640, 480)
    mesures = []
    for _ in range(50):
        debut = time.perf_counter()
        s.image(640, 480)
        mesures.append((time.perf_counter() - debut) * 1000)
    return statistics.median(mesures), statistics.mean(mesures)


python = pas_par_seconde()
programme = pas_par_seconde_programme()
mediane, moyenne = millisecondes_par_image()
print(f"simule : {python:,.0f} pas/s depuis Python, {programme:,.0f} pas/s par -check -simule")
print(f"image(640, 480) : médiane {mediane:.1f} ms, moyenne {moyenne:.1f} ms")
