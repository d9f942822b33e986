#!/usr/bin/env bash
# Robot descriptions in a scene, checked headlessly: the KR5 and the WAM with their named
# joints, limits and tool positions in the dump; the four-joint arm's joints and tool beside
# its old fields; an invalid description and a missing mesh reported at their scene lines.
source "$(dirname "$0")/commun.inc"
ln -s "$SOURCE/tests/urdf-dart" urdf-dart
[ -f "urdf-dart/KR5/KR5 sixx R650.urdf" ] || echec "robots de test absents : lancer scripts/install-deps.sh"
cat > robots.txt <<'SCENE'
kr5 = robotURDF("urdf-dart/KR5/KR5 sixx R650.urdf", 100.0);
wam = robotURDF("urdf-dart/wam/wam.urdf", 100.0);
i1 = instancieEntite(&kr5);
i2 = instancieEntite(&wam);
SCENE
"$BRAKMOR" -check -f robots.txt -dump robots.json > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 0 ] || { cat erreurs.txt; echec "la scène des deux robots devrait se charger sans erreur (statut $statut)"; }
python3 - <<'PY' || echec "dump des robots faux"
import json, math
d = json.load(open("robots.json"))
robots = {e["modele"] + str(len(e["articulations"])): e for e in d["entites"] if e["type"] == "robot"}
assert set(robots) == {"urdf6", "urdf7"}, robots.keys()
kr5, wam = robots["urdf6"], robots["urdf7"]
assert [a["nom"] for a in kr5["articulations"]][:2] == ["shoulder_yaw", "shoulder_pitch"]
assert wam["articulations"][6]["nom"] == "/j7"
# Limits in degrees: -1.745329252 to 2.35619449 rad.
assert abs(kr5["articulations"][1]["min"] + 100) < 1e-4 and abs(kr5["articulations"][1]["max"] - 135) < 1e-4
assert all(a["min"] < a["valeur"] < a["max"] for r in (kr5, wam) for a in r["articulations"])
# At all joints 0: the KR5's palm and the WAM's /wam7, in metres times the scale of 100.
for r, attendu in ((kr5, (42.0, 19.3, 0.0552)), (wam, (22.0, 14.0, 119.6))):
    p = r["outil"]["position"]
    assert math.dist(p, attendu) < 1e-4, (r["nom"], p)
    m = r["outil"]["rotation"]
    assert len(m) == 9 and abs(sum(x * x for x in m) - 3) < 1e-4, m
PY

"$BRAKMOR" -check -f demo.txt -dump demo.json > sortie.txt 2> erreurs.txt || echec "la démonstration devrait se charger"
python3 - <<'PY' || echec "dump du bras à quatre axes faux"
import json, math
d = json.load(open("demo.json"))
r = [e for e in d["entites"] if e["type"] == "robot"][0]
assert r["modele"] == "brakmor" and r["THETA2"] == 40
assert [(a["nom"], a["valeur"], a["min"], a["max"]) for a in r["articulations"]][1] == ("THETA2", 40, 0, 145)
assert math.dist(r["outil"]["position"], (r["X"], r["Y"], r["Z"])) < 1e-3
PY

printf 'x = 1;\nr = robotURDF("urdf-dart/test/invalid.urdf", 100.0);\n' > invalide.txt
"$BRAKMOR" -check -f invalide.txt > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 1 ] || echec "une description invalide doit donner le statut 1 (statut $statut)"
grep -q "invalide.txt:2" erreurs.txt || { cat erreurs.txt; echec "l'erreur de la description n'est pas située dans la scène"; }
grep -q "invalid.urdf" erreurs.txt || echec "l'erreur ne nomme pas la description"

printf 'r = robotURDF("urdf-dart/test/missing_mesh.urdf", 100.0);\ni = instancieEntite(&r);\n' > maillage.txt
"$BRAKMOR" -check -f maillage.txt -dump maillage.json > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 1 ] || echec "un maillage absent doit faire échouer la vérification (statut $statut)"
grep -q "maillage.txt:1" erreurs.txt || { cat erreurs.txt; echec "l'avertissement du maillage absent n'est pas situé"; }
python3 -c "import json; d = json.load(open('maillage.json')); assert any(e['type'] == 'robot' for e in d['entites'])" \
    || echec "le robot au maillage absent doit se charger quand même"
exit 0
