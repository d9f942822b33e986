"""The Python module against the program itself: the same load, the same simulation bit for
bit, the same pixels as -capture, the same refusals as the builtins; and what a module in a
long-running interpreter must hold (independent scenes, nothing kept after the last
reference, bad input refused without a crash).

Run from any folder with BRAKMOR_BUILD (the build folder, holding the module and the
program) and BRAKMOR_SOURCE (the repository) set, as ctest does."""
import csv
import json
import math
import os
import subprocess
import tempfile
import unittest

import numpy as np

CONSTRUCTION = os.environ["BRAKMOR_BUILD"]
SOURCE = os.environ["BRAKMOR_SOURCE"]
SCENES = os.path.join(SOURCE, "scenes")
PROGRAMME = os.path.join(CONSTRUCTION, "brakmor")
# The module draws without a display server: none is offered to it.
AFFICHAGE = os.environ.pop("DISPLAY", None)

import brakmor  # noqa: E402  (found through PYTHONPATH)

# The demo's own calls, in the order pick_and_place.txt writes them.
PRISE_ET_DEPOSE = [
    ("deplace_poignet", (70.0, 25.0, 20.0, 0), False),
    ("deplace_poignet", (70.0, 25.0, 8.0, 0), True),
    ("saisis",),
    ("deplace_poignet", (70.0, 25.0, 25.0, 0), True),
    ("deplace_poignet", (45.0, 55.0, 25.0, 0), False),
    ("deplace_poignet", (45.0, 55.0, 8.5, 0), True),
    ("lache",),
    ("attends", 0.5),
    ("deplace_poignet", (45.0, 55.0, 25.0, 0), True),
    ("deplace_articulaire", (90, 40, -70, 0)),
]


def programme(*arguments, affichage=None):
    env = dict(os.environ)
    # The program carries its own sanitizer run-time when it has one.
    env.pop("LD_PRELOAD", None)
    if affichage:
        env["DISPLAY"] = affichage
    return subprocess.run([PROGRAMME, *arguments], cwd=SCENES, env=env, capture_output=True,
                          timeout=120)


def png(chemin):
    import matplotlib.image
    return (matplotlib.image.imread(chemin)[:, :, :3] * 255).round().astype(np.uint8)


class DansLesScenes(unittest.TestCase):
    def setUp(self):
        self.ancien = os.getcwd()
        os.chdir(SCENES)  # the demo's projector image is read from the working folder

    def tearDown(self):
        os.chdir(self.ancien)


class SimulationCommeLaLigneDeCommande(DansLesScenes):
    def test_simule_et_trace_reproduisent_le_programme_bit_pour_bit(self):
        with tempfile.TemporaryDirectory() as d:
            dump, trace = os.path.join(d, "pp.json"), os.path.join(d, "pp.csv")
            r = programme("-check", "-simule", "20", "-dump", dump, "-trace", trace, "-f",
                          "pick_and_place.txt")
            self.assertEqual(r.returncode, 0, r.stderr)
            with open(dump) as f:
                attendu = json.load(f)
            with open(trace) as f:
                lignes = list(csv.DictReader(f))
        s = brakmor.Scene("pick_and_place.txt")
        colonnes = s.simule(20, trace=True)
        self.assertEqual(s.dump(), attendu)
        # The same columns, by the trace header's names.
        self.assertEqual(set(colonnes), set(lignes[0]))
        self.assertEqual(len(colonnes["temps_s"]), len(lignes))
        for cle in ("THETA1_deg", "THETA2_deg", "THETA3_deg", "THETA5_deg", "X_u", "Y_u", "Z_u",
                    "THETA_deg"):
            lues = np.array([float(l[cle]) for l in lignes], dtype=np.float32)
            np.testing.assert_array_equal(colonnes[cle].astype(np.float32), lues, cle)
        self.assertEqual(list(colonnes["objet_tenu"]), [l["objet_tenu"] for l in lignes])
        self.assertEqual(list(colonnes["commandes"]), [int(l["commandes"]) for l in lignes])
        # The cube was carried: held by the robot and put down where the scene says.
        self.assertIn("objet1", set(colonnes["objet_tenu"]))

    def test_commandes_donnees_de_python_comme_celles_du_fichier(self):
        attendu = brakmor.Scene("pick_and_place.txt")
        attendu.simule(10)
        attendu.simule(10)  # two calls: the clock goes on where the first left it
        s = brakmor.Scene("demo.txt")
        r = s.robots["brakmor"]
        for c in PRISE_ET_DEPOSE:
            if c[0] == "deplace_poignet":
                r.deplace_poignet(c[1], rectiligne=c[2])
            else:
                getattr(r, c[0])(*c[1:])
        self.assertEqual(r.commandes, len(PRISE_ET_DEPOSE))
        s.simule(20)
        fin, voulu = s.dump(), attendu.dump()
        self.assertEqual(fin["instances"], voulu["instances"])
        self.assertEqual(fin["entites"], voulu["entites"])
        self.assertEqual(r.commandes, 0)
        np.testing.assert_array_equal(r.articulations, [90, 40, -70, 0])


class ImageSansAffichage(DansLesScenes):
    def compare_a_la_capture(self, scene, largeur, hauteur):
        if not AFFICHAGE:
            self.skipTest("-capture a besoin d'un serveur X (xvfb-run)")
        with tempfile.TemporaryDirectory() as d:
            chemin = os.path.join(d, "capture.png")
            r = programme("-sanspanneaux", "-res", f"{largeur}x{hauteur}", "-capture", chemin,
                          "-f", scene, affichage=AFFICHAGE)
            self.assertEqual(r.returncode, 0, r.stderr)
            attendue = png(chemin)
        s = brakmor.Scene(scene)
        image = s.image(largeur, hauteur)
        self.assertEqual((image.shape, image.dtype), ((hauteur, largeur, 3), np.uint8))
        # The next frame of the same state is the same.
        np.testing.assert_array_equal(s.image(largeur, hauteur), image)
        return image, attendue

    def test_memes_pixels_que_la_capture_sans_ombres(self):
        with tempfile.NamedTemporaryFile("w", suffix=".txt", dir=SCENES) as f:
            f.write("#include demo.txt\nombrage = false;\n")
            f.flush()
            image, attendue = self.compare_a_la_capture(os.path.basename(f.name), 640, 480)
        np.testing.assert_array_equal(image, attendue)

    def test_demo_avec_ombres_comme_la_capture(self):
        image, attendue = self.compare_a_la_capture("demo.txt", 640, 480)
        # Shadows included: the off-screen depth buffer is the window's (the shadow map's
        # offset and comparisons follow its precision).
        np.testing.assert_array_equal(image, attendue)

    def test_camera_et_options_changent_l_image_seulement_quand_demande(self):
        s = brakmor.Scene("demo.txt")
        avant = s.image(160, 120)
        autre = s.image(160, 120, camera={"position": (0, -20, -300), "rotation": (60, 30, 0)})
        self.assertTrue((autre != avant).any())
        np.testing.assert_array_equal(s.image(160, 120), avant)
        s.options["couleurfond"] = (1, 0, 0, 1)
        s.options["afficher_sol"] = False
        coin = s.image(160, 120)[0, 0]
        np.testing.assert_array_equal(coin, [255, 0, 0])


class Refus(DansLesScenes):
    def test_erreurs_de_chargement_placees(self):
        with self.assertRaises(brakmor.ErreurScene) as e:
            brakmor.Scene.depuis_texte("a = rgb(1, 0, 0);\nb = inconnue(2);\n", SCENES)
        d = e.exception.diagnostics
        self.assertTrue(d)
        self.assertEqual((d[0]["fichier"], d[0]["ligne"]), ("<texte>", 2))
        self.assertIn("<texte>:2:", str(e.exception))
        with self.assertRaises(IsADirectoryError):
            brakmor.Scene(SCENES)
        with self.assertRaises(FileNotFoundError):
            brakmor.Scene("absente.txt")
        with self.assertRaises(NotADirectoryError):
            brakmor.Scene.depuis_texte("", os.path.join(SCENES, "demo.txt"))
        # Includes are read beside the text, in the folder given.
        s = brakmor.Scene.depuis_texte("#include demo.txt\n", SCENES)
        self.assertIn("brakmor", s.robots)

    def test_commandes_refusees_avec_les_mots_des_builtins(self):
        s = brakmor.Scene("demo.txt")
        r = s.robots["brakmor"]
        with self.assertRaisesRegex(brakmor.Refus, "THETA2 vaut 200, hors de ses limites"):
            r.deplace_articulaire(90, 200, -70, 0)
        with self.assertRaisesRegex(brakmor.Refus, "mouvement refusé"):
            r.deplace_poignet(500, 500, 10, 0)
        with self.assertRaisesRegex(brakmor.Refus, "attente refusée"):
            r.attends(-1)
        with self.assertRaisesRegex(ValueError, "ce n'est pas un nombre fini"):
            r.deplace_articulaire([90, float("nan"), -70, 0])
        with self.assertRaisesRegex(ValueError, "nombre fini"):
            r.deplace_poignet(math.inf, 0, 0, 0)
        with self.assertRaisesRegex(ValueError, "attente refusée : inf"):
            r.attends(1e300)  # beyond a float: infinite
        with self.assertRaisesRegex(TypeError, "Tu fournis 4 paramètre"):
            r.deplace_articulaire(90, 40, -70)
        with self.assertRaisesRegex(TypeError, "deplaceArticulaire"):
            r.deplace_articulaire(90, "quarante", -70, 0)
        with self.assertRaises(TypeError):
            r.deplace_poignet(1, 2, 3, 4, rectiligne="oui")
        self.assertEqual(r.commandes, 0)
        # Refused poses leave the arm where it was; the reason is the status line's.
        with self.assertRaisesRegex(brakmor.Refus, "THETA3 hors limites"):
            r.articulations = [90, 40, 30, 0]
        np.testing.assert_array_equal(r.articulations, [90, 40, -70, 0])
        with self.assertRaises(ValueError):
            r.articulations = [90, 40, -70]
        with self.assertRaises(ValueError):
            s.simule(float("nan"))
        with self.assertRaises(ValueError):
            s.simule(1, pas=0.0005)
        with self.assertRaises(ValueError):
            s.image(0, 10)
        with self.assertRaises(TypeError):
            s.options["afficher_sol"] = 3
        with self.assertRaises(ValueError):
            s.options["gravite"] = float("inf")
        with self.assertRaises(KeyError):
            s.options["inconnue"]

    def test_modeles_sans_bouger(self):
        s = brakmor.Scene("demo.txt")
        r = s.robots["brakmor"]
        avant = r.articulations.copy()
        q = np.array([60.0, 50.0, -60.0, 30.0])
        pose = r.mgd(q)
        np.testing.assert_allclose(r.mgd(r.mgi(pose)), pose, atol=1e-3)
        np.testing.assert_array_equal(r.articulations, avant)
        with self.assertRaisesRegex(brakmor.Refus, "THETA2 vaut 200"):
            r.mgd([0, 200, 0, 0])
        with self.assertRaises(brakmor.Refus):
            r.mgi([0, 0, -50, 0])
        self.assertEqual(r.limites.shape, (4, 2))


class VieDesScenes(DansLesScenes):
    def test_deux_scenes_independantes(self):
        a, b = brakmor.Scene("demo.txt"), brakmor.Scene("demo.txt")
        image_b = b.image(120, 90)
        a.robots["brakmor"].deplace_articulaire(0, 90, -90, 0)
        a.options["afficher_sol"] = False
        a.simule(5)
        self.assertTrue((a.image(120, 90) != image_b).any())
        np.testing.assert_array_equal(b.robots["brakmor"].articulations, [90, 40, -70, 0])
        self.assertTrue(b.options["afficher_sol"])
        np.testing.assert_array_equal(b.image(120, 90), image_b)
        del a
        np.testing.assert_array_equal(b.image(120, 90), image_b)

    def test_mille_chargements_sans_croissance(self):
        def memoire():
            with open("/proc/self/statm") as f:
                return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")

        def cycle(k):
            s = brakmor.Scene("pick_and_place.txt")
            robot = s.robots["brakmor"]  # a robot keeps its scene alive
            del s
            robot.deplace_articulaire(0, 90, -90, 0)
            robot.commandes
            if k % 100 == 0:
                brakmor.Scene("demo.txt").image(64, 48)

        for k in range(100):
            cycle(k)
        avant = memoire()
        for k in range(1000):
            cycle(k)
        self.assertLess(memoire() - avant, 8 << 20)

    def test_rien_laisse_dans_le_dossier_de_travail(self):
        # Importing, loading and drawing write no file (the program's log included) where
        # the interpreter runs.
        with tempfile.TemporaryDirectory() as d:
            r = subprocess.run(
                ["/usr/bin/python3", "-c",
                 "import brakmor\nbrakmor.Scene(%r).image(64, 48)" %
                 os.path.join(SCENES, "demo.txt")],
                cwd=d, capture_output=True, timeout=120)
            self.assertEqual(r.returncode, 0, r.stderr)
            self.assertEqual(os.listdir(d), [])


if __name__ == "__main__":
    unittest.main()
