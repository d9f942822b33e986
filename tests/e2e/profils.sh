#!/usr/bin/env bash
# Velocity profiles checked from the trace of a run without a window (10 ms steps): the
# figures a student can work out by hand for a trapezoid (THETA1 90 -> 150 at 60 °/s and
# 120 °/s²; a move too short for full speed; two joints synchronised), a quintic move, a
# straight line that speeds up and stops at rest on the line, and the refusals of
# setRobotProfil, placed on their line. The lessons on profiles and singularities run, and
# the dump gives the Jacobian with its measures.
source "$(dirname "$0")/commun.inc"

# trace nom secondes instructions...: runs the demo with the instructions appended.
trace() {
    local nom="$1" secondes="$2"
    shift 2
    variante "$nom.txt" "$@"
    "$BRAKMOR" -check -simule "$secondes" -f "$nom.txt" -trace "$nom.csv" > /dev/null 2> "$nom.err" ||
        { cat "$nom.err"; echec "$nom : la scène devrait se charger sans boîte"; }
}
trace trapeze 3 'setRobotProfil(&brakmor, "trapeze", 120);' \
    'deplaceArticulaire(&brakmor, 150, 40, -70, 0);'
trace triangle 3 'setRobotProfil(&brakmor, "trapeze", 120);' \
    'deplaceArticulaire(&brakmor, 102, 40, -70, 0);'
trace synchrone 3 'setRobotProfil(&brakmor, "trapeze", 120);' \
    'deplaceArticulaire(&brakmor, 150, 60, -70, 0);'
trace parjoint 3 'setRobotProfil(&brakmor, "trapeze", 120, 30, 120, 120);' \
    'deplaceArticulaire(&brakmor, 150, 60, -70, 0);'
trace quintique 3 'setRobotProfil(&brakmor, "quintique", 120);' \
    'deplaceArticulaire(&brakmor, 150, 40, -70, 0);'
trace ligne 8 'deplacePoignet(&brakmor, 70.0, 25.0, 20.0, 0, false);' \
    'setRobotProfil(&brakmor, "trapeze", 60);' \
    'deplacePoignet(&brakmor, 40.0, 60.0, 30.0, 45, true);'

python3 - <<'PY' || echec "les profils ne donnent pas les valeurs attendues dans la trace"
import csv, math, re

def lignes(nom):
    # The header names carry their units (temps_s, THETA1_deg, X_u): read them without.
    nu = lambda k: re.sub(r"_(s|deg|u)$", "", k)
    return [{nu(k): (v if k == "objet_tenu" else float(v)) for k, v in r.items()}
            for r in csv.DictReader(open(nom + ".csv"))]

def a(rows, t):
    return next(r for r in rows if abs(r["temps"] - t) < 1e-6)

def proche(v, attendu, nom, tol=1e-3):
    assert abs(v - attendu) <= tol, (nom, v, attendu)

# Trapezoid: 0.5 s speeding up (15°), 0.5 s at 60 °/s, 0.5 s slowing down.
t = lignes("trapeze")
for instant, attendu in ((0.25, 93.75), (0.75, 120.0), (1.25, 146.25), (1.5, 150.0)):
    proche(a(t, instant)["THETA1"], attendu, "trapeze %.2f s" % instant)
def trapeze(x):
    if x <= 0.5: return 90 + 60 * x * x
    if x <= 1.0: return 105 + 60 * (x - 0.5)
    return 150 - 60 * (1.5 - x) ** 2 if x < 1.5 else 150
for r in t:
    proche(r["THETA1"], trapeze(r["temps"]), "trapeze à %.2f s" % r["temps"])
assert a(t, 1.49)["commandes"] == 1, "la commande finit à 1,50 s, pas avant"
assert all(r["commandes"] == 0 for r in t if r["temps"] >= 1.5 - 1e-6), "file vide dès 1,50 s"
assert all(r["THETA1"] == 150 for r in t if r["temps"] >= 1.5 - 1e-6), "arrivée exacte"

# Too short for full speed: a triangle of 2 √(12 / 120) = 0.6325 s peaking at 37.95 °/s.
t = lignes("triangle")
duree = 2 * math.sqrt(12 / 120)
proche(duree, 0.6325, "durée", 1e-4)
proche(120 * duree / 2, 37.95, "vitesse de pointe", 1e-2)
for r in t:
    x = r["temps"]
    attendu = 90 + 60 * x * x if x <= duree / 2 else 102 - 60 * max(duree - x, 0) ** 2
    proche(r["THETA1"], attendu, "triangle à %.2f s" % x)
assert a(t, 0.63)["commandes"] == 1 and a(t, 0.64)["commandes"] == 0, "fin à 0,6325 s"
vitesses = [(q["THETA1"] - p["THETA1"]) / (q["temps"] - p["temps"]) for p, q in zip(t, t[1:])]
# Over 10 ms around the peak the mean speed is a little below it, never above.
assert 37.5 < max(vitesses) <= 37.95, max(vitesses)

# Synchronised: THETA2 (+20°) is stretched to THETA1's 1.5 s; both arrive together.
t = lignes("synchrone")
proche(a(t, 0.75)["THETA1"], 120, "THETA1 synchronisé")
proche(a(t, 0.75)["THETA2"], 50, "THETA2 à mi-course")
fin = a(t, 1.49)
assert fin["THETA1"] < 150 and fin["THETA2"] < 60 and fin["commandes"] == 1, fin
fin = a(t, 1.5)
assert fin["THETA1"] == 150 and fin["THETA2"] == 60 and fin["commandes"] == 0, fin
# One acceleration per joint: THETA2's 30 °/s² over 20° makes a triangle of 2·√(20/30) s,
# which now sets the duration; THETA1 is stretched to it.
t = lignes("parjoint")
duree = 2 * math.sqrt(20 / 30)
assert all(r["commandes"] == 1 for r in t if r["temps"] < duree - 0.01), "fin trop tôt"
assert all(r["commandes"] == 0 and r["THETA2"] == 60 for r in t if r["temps"] >= duree + 0.01)
q = [r["THETA2"] for r in t]
assert max(abs(c - 2 * b + a_) for a_, b, c in zip(q, q[1:], q[2:])) <= 30e-4 + 1e-4

# THETA2 at its own acceleration, cruising slower: never beyond 120 °/s² nor 60 °/s.
q = [r["THETA2"] for r in t]
assert max(abs(b - a_) for a_, b in zip(q, q[1:])) <= 0.6, "vitesse de THETA2"
assert max(abs(c - 2 * b + a_) for a_, b, c in zip(q, q[1:], q[2:])) <= 120e-4 + 1e-4

# Quintic: 60° at 60 °/s and 120 °/s² takes max(15/8 · 1, √(10/√3 · 60/120)) = 1.875 s.
t = lignes("quintique")
for r in t:
    u = min(r["temps"] / 1.875, 1)
    proche(r["THETA1"], 90 + 60 * u ** 3 * (10 - 15 * u + 6 * u * u), "quintique à %.2f s" % r["temps"])
assert a(t, 1.87)["commandes"] == 1 and a(t, 1.88)["commandes"] == 0

# Straight line under a trapezoid: on the line all the way, from rest to rest.
t = lignes("ligne")
debut = next(i for i, r in enumerate(t) if r["commandes"] == 1)
ligne = t[debut:]
p0, p1 = (70, 25, 20), (40, 60, 30)
d = [p1[k] - p0[k] for k in range(3)]
n = math.sqrt(sum(c * c for c in d))
for r in ligne:
    p = [r["X"] - p0[0], r["Y"] - p0[1], r["Z"] - p0[2]]
    s = sum(p[k] * d[k] for k in range(3)) / n
    ecart = math.sqrt(max(sum(c * c for c in p) - s * s, 0))
    assert ecart < 0.05 and -1e-3 < s < n + 1e-3, (r["temps"], ecart, s)
fin = next(r for r in ligne if r["commandes"] == 0)
assert math.dist((fin["X"], fin["Y"], fin["Z"]), p1) < 1e-3 and abs(fin["THETA"] - 45) < 1e-3, fin
pas = [math.dist((p["X"], p["Y"], p["Z"]), (q["X"], q["Y"], q["Z"])) for p, q in zip(ligne, ligne[1:])]
pas = pas[:pas.index(0)] if 0 in pas else pas
plus = max(pas)
assert pas[0] < plus / 5 and pas[-1] < plus / 5, (pas[:3], pas[-3:], plus)
PY

# Refusals, each a box placed on its line: -check fails.
for mauvais in '"sinus", 120' '"trapeze", 0' '"quintique", -5' '"trapeze", 1000000000000000000000000000000000000000.0' \
    '"trapeze", 120, 30' '"trapeze", 120, 30, -1, 5'; do
    variante refus.txt "setRobotProfil(&brakmor, $mauvais);"
    ligne=$(wc -l < refus.txt)
    "$BRAKMOR" -check -f refus.txt > /dev/null 2> refus.err
    statut=$?
    [ "$statut" -eq 1 ] || echec "setRobotProfil($mauvais) devrait faire échouer -check (statut $statut)"
    grep -q "refus.txt:$ligne" refus.err && grep -q "profil refusé" refus.err ||
        { cat refus.err; echec "setRobotProfil($mauvais) : message non placé sur sa ligne"; }
done
# The two lessons load and run without a box; the dump gives the Jacobian and its measures,
# the pose near singular at the end of the second one.
cp "$SOURCE/scenes/lecon_profils.txt" "$SOURCE/scenes/lecon_singularites.txt" .
"$BRAKMOR" -check -simule 15 -f lecon_profils.txt -dump profils.json > /dev/null 2> lecon.err ||
    { cat lecon.err; echec "lecon_profils.txt devrait se charger et tourner sans boîte"; }
"$BRAKMOR" -check -f lecon_singularites.txt -dump depart.json > /dev/null 2> lecon.err ||
    { cat lecon.err; echec "lecon_singularites.txt devrait se charger sans boîte"; }
"$BRAKMOR" -check -simule 20 -f lecon_singularites.txt -dump fin.json > /dev/null 2> lecon.err ||
    { cat lecon.err; echec "lecon_singularites.txt devrait tourner sans boîte"; }
python3 - <<'PY' || echec "le dump devrait donner le jacobien, la manipulabilité et le conditionnement"
import json
def robot(nom):
    return [e for e in json.load(open(nom))["entites"] if e["type"] == "robot"][0]
assert robot("profils.json")["commandes"] == 0
depart, fin = robot("depart.json"), robot("fin.json")
for r in (depart, fin):
    j = r["jacobien"]
    assert len(j) == 3 and all(len(ligne) == 4 for ligne in j), j
    # THETA1 turns the tool point about the vertical: (dX, dY) = (-Y, X) per radian.
    assert abs(j[0][0] + r["Y"]) < 1e-3 and abs(j[1][0] - r["X"]) < 1e-3, (j, r["X"], r["Y"])
    assert r["manipulabilite"] > 0
assert depart["conditionnement"] > 0.1, depart["conditionnement"]
assert fin["commandes"] == 0 and abs(fin["THETA3"] + 2) < 1e-6, fin
assert fin["conditionnement"] < 0.02, fin["conditionnement"]
assert fin["manipulabilite"] < depart["manipulabilite"] / 10
PY
echo "profils : OK"
