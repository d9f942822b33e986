"""Runs the examples of exemples/ headless, as a student would from the scenes folder: the
script, then the notebook through nbclient (no display: matplotlib draws into the notebook).
BRAKMOR_SOURCE names the repository; the module is found through PYTHONPATH."""
import os
import subprocess
import sys

import nbclient
import nbformat

SOURCE = os.environ["BRAKMOR_SOURCE"]
SCENES = os.path.join(SOURCE, "scenes")
EXEMPLES = os.path.join(SOURCE, "exemples")

os.environ.pop("DISPLAY", None)
os.environ["MPLBACKEND"] = "module://matplotlib_inline.backend_inline"

subprocess.run([sys.executable, os.path.join(EXEMPLES, "verifie_mgi.py")], cwd=SCENES,
               check=True, timeout=300)
cahier = nbformat.read(os.path.join(EXEMPLES, "balayage_theta2.ipynb"), as_version=4)
nbclient.NotebookClient(cahier, timeout=300, kernel_name="python3",
                        resources={"metadata": {"path": SCENES}}).execute()
images = sum(1 for c in cahier.cells if c.cell_type == "code" for s in c.get("outputs", [])
             if "image/png" in s.get("data", {}))
if images < 2:
    sys.exit(f"le cahier n'a montré que {images} figure(s)")
print(f"exemples : script et cahier exécutés ({images} figures)")
