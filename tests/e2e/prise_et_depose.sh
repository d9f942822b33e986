#!/usr/bin/env bash
# A scene that runs a pick-and-place by itself, checked without a window: after the simulated
# time the cube stands where the script put it down and the robot's queue is empty. The cube
# keeps its scene name in the trace and the dump while gravity reorders the instances.
source "$(dirname "$0")/commun.inc"
cp "$SOURCE/scenes/pick_and_place.txt" pick_and_place.txt
"$BRAKMOR" -check -simule 20 -dump pp.json -trace pp.csv -f pick_and_place.txt > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 0 ] || { cat erreurs.txt; echec "la scène de prise et dépose devrait se charger sans boîte (statut $statut)"; }
python3 - <<'PY' || echec "le cube rouge devrait reposer au sol en (45, 55), lâché par le robot"
import json
d = json.load(open("pp.json"))
robot = [e for e in d["entites"] if e["type"] == "robot"][0]
assert robot["commandes"] == 0 and robot["objetTenu"] is None, robot
# The red cube is the one the robot gripped (8 units wide and high).
cubes = [i for i in d["instances"] if i["tenuPar"] == robot["indice"]]
assert len(cubes) == 1, cubes
mn, mx = cubes[0]["boiteMin"], cubes[0]["boiteMax"]
centre = [(mn[k] + mx[k]) / 2 for k in range(2)]
assert abs(centre[0] - 45) < 0.5 and abs(centre[1] - 55) < 0.5, centre
assert abs(mn[2]) < 1e-3 and abs(mx[2] - 8) < 1e-3, (mn, mx)
PY
python3 - <<'PY' || echec "le cube tenu doit garder le nom de sa variable dans la trace et le dump"
import csv, json
d = json.load(open("pp.json"))
robot = [e for e in d["entites"] if e["type"] == "robot"][0]
assert robot["nom"] == "brakmor", robot["nom"]
cube = [i for i in d["instances"] if i["tenuPar"] == robot["indice"]][0]
assert cube["nom"] == "objet1", cube["nom"]
tenus = [r["objet_tenu"] for r in csv.DictReader(open("pp.csv"))]
assert set(t for t in tenus if t) == {"objet1"}, sorted(set(tenus))
assert tenus.count("objet1") > 50, tenus.count("objet1")
PY
echo "prise et dépose : OK"
