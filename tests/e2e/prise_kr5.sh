#!/usr/bin/env bash
# The KR5 scene picks its cube by itself, headlessly: held and carried mid-way, put down on
# the floor a quarter turn around at the end, the arm's queue then empty; the trace names
# one column per joint.
source "$(dirname "$0")/commun.inc"
[ -f "$SOURCE/tests/urdf-dart/KR5/KR5 sixx R650.urdf" ] || echec "robots de test absents : lancer scripts/install-deps.sh"
"$BRAKMOR" -check -f "$SOURCE/scenes/kr5.txt" -simule 3 -dump milieu.json > sortie.txt 2> erreurs.txt \
    || { cat erreurs.txt; echec "la scène du KR5 devrait se charger sans erreur"; }
"$BRAKMOR" -check -f "$SOURCE/scenes/kr5.txt" -simule 8 -dump fin.json -trace trace.csv > sortie.txt 2> erreurs.txt \
    || { cat erreurs.txt; echec "la scène du KR5 devrait se charger sans erreur"; }
python3 - <<'PY' || echec "le KR5 ne prend pas son cube"
import json, math
def etat(fichier):
    d = json.load(open(fichier))
    bras = [e for e in d["entites"] if e["type"] == "robot"][0]
    cube = [i for i in d["instances"] if i["nom"] == "objet1"][0]
    return d, bras, cube
d, bras, cube = etat("milieu.json")
assert bras["modele"] == "urdf" and bras["objetTenu"] == d["instances"].index(cube), bras["objetTenu"]
assert cube["tenuPar"] is not None and cube["matrice"][14] > 5, cube
# Held at the tool: the cube's top (8 above its base) at the tool point.
assert math.dist(bras["outil"]["position"], [cube["matrice"][12], cube["matrice"][13], cube["matrice"][14] + 8]) < 0.5
d, bras, cube = etat("fin.json")
assert bras["commandes"] == 0 and bras["objetTenu"] is None, bras
assert math.dist(cube["matrice"][12:15], (0, 45, 0)) < 0.01 and not cube["tombe"], cube["matrice"]
PY
head -1 trace.csv | grep -qx "temps_s,shoulder_yaw_deg,shoulder_pitch_deg,elbow_pitch_deg,elbow_roll_deg,wrist_pitch_deg,wrist_roll_deg,X_u,Y_u,Z_u,objet_tenu,commandes" \
    || { head -1 trace.csv; echec "l'en-tête de la trace ne nomme pas les articulations du KR5"; }
grep -q ",objet1,[0-9]*$" trace.csv || echec "la trace ne montre jamais le cube tenu"
exit 0
