#!/usr/bin/env bash
# Headless check of scene files: exit statuses, boxes on standard error, the JSON dump.
source "$(dirname "$0")/commun.inc"
"$BRAKMOR" -check -f demo.txt -dump scene.json > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 0 ] || { cat erreurs.txt; echec "la scène de démonstration devrait se charger sans erreur (statut $statut)"; }
python3 - <<'PY' || echec "dump JSON invalide ou incomplet"
import json, math
d = json.load(open("scene.json"))
types = [e["type"] for e in d["entites"]]
assert types.count("robot") == 1, types
assert "metaballzone" in types
assert len(d["instances"]) >= 5
assert len(d["lumieres"]) == 2
assert len(d["options"]) == 34
assert d["options"]["ombrage"]["valeur"] is True
robot = [e for e in d["entites"] if e["type"] == "robot"][0]
assert robot["THETA2"] == 40 and robot["THETA3"] == -70
PY

# The motion aids are display options a lesson's scene sets, shown in the dump.
{ cat demo.txt; printf 'trajectoire_outil = true;\nespace_travail = true;\ncourbes = true;\n'; } > aides.txt
"$BRAKMOR" -check -f aides.txt -dump aides.json > sortie.txt 2> erreurs.txt ||
    { cat erreurs.txt; echec "la scène qui règle les aides devrait se charger"; }
python3 - <<'PY' || echec "aides au mouvement absentes des options du dump"
import json
o = json.load(open("aides.json"))["options"]
assert o["trajectoire_outil"]["valeur"] is True and o["espace_travail"]["valeur"] is True
assert o["courbes"]["valeur"] is True and o["cible_fantome"]["valeur"] is False
PY

printf 'x = rgb(1, 2);\ny = inconnue;\n' > faute.txt
"$BRAKMOR" -check -f faute.txt > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 1 ] || echec "une scène fautive doit donner le statut 1 (statut $statut)"
grep -q "Tu fournis 2 paramètre(s) à la fonction \"rgb\" qui en attend 3" erreurs.txt || echec "boîte du nombre de paramètres absente"

"$BRAKMOR" -check -f absente.txt > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 3 ] || echec "un fichier absent doit donner le statut 3 (statut $statut)"
grep -q "impossible d'ouvrir le fichier" sortie.txt || echec "ligne rouge du fichier absent manquante"

# A console error line alone (an include of a missing file) fails the check too; it is placed
# on standard error and listed in the dump.
printf 'a = 1;\n#include absente.txt\n' > include.txt
"$BRAKMOR" -check -f include.txt -dump include.json > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 1 ] || echec "une ligne rouge au chargement doit donner le statut 1 (statut $statut)"
grep -q "^include.txt:2: (Script::aux_lit_fichier) impossible d'ouvrir le fichier absente.txt" erreurs.txt ||
    { cat erreurs.txt; echec "ligne rouge non située sur la sortie d'erreur"; }
python3 - <<'PY' || echec "diagnostics du dump"
import json
d = json.load(open("include.json"))["diagnostics"]
assert d == [{"fichier": "include.txt", "ligne": 2, "genre": "console", "titre": None,
              "message": "(Script::aux_lit_fichier) impossible d'ouvrir le fichier absente.txt"}], d
PY

# A joint beyond its limits in a scene file is refused aloud, placed, and fails the check.
variante limites.txt 'setRobotCoordArticulaires(&brakmor, 90, 200, -70, 0);'
ligne=$(wc -l < limites.txt)
"$BRAKMOR" -check -f limites.txt -dump limites.json > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 1 ] || echec "une articulation hors limites doit donner le statut 1 (statut $statut)"
grep -q "^limites.txt:$ligne: " erreurs.txt || { cat erreurs.txt; echec "refus de la pose non situé"; }
grep -q "THETA2 vaut 200, hors de ses limites (de 0 à 145)" erreurs.txt ||
    { cat erreurs.txt; echec "le refus doit nommer l'articulation, sa valeur et ses limites"; }
python3 - <<'PY' || echec "la pose refusée ne doit pas changer le robot"
import json
robot = [e for e in json.load(open("limites.json"))["entites"] if e["type"] == "robot"][0]
assert robot["THETA2"] == 40 and robot["THETA3"] == -70, robot
PY

# What the number grammar and the byte 255 drop is told in placed notes, which fail nothing.
printf 'a = 1e308;\nb = 2.5x;\nc = 3;\n\377\nd = 4;\n' > notes.txt
"$BRAKMOR" -check -f notes.txt -dump notes.json > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 0 ] || { cat erreurs.txt; echec "des notes seules doivent donner le statut 0 (statut $statut)"; }
grep -q "^notes.txt:1: note : « 1e308 » est lu comme le nombre 1 : « e308 » est ignoré" erreurs.txt ||
    { cat erreurs.txt; echec "note du nombre tronqué absente"; }
grep -q "^notes.txt:2: note : « 2.5x » est lu comme le nombre 2.5" erreurs.txt ||
    echec "note du réel tronqué absente"
grep -q "^notes.txt:4: note : l'octet 255 de la ligne 4 termine la lecture du fichier" erreurs.txt ||
    echec "note de l'octet 255 absente"
grep -q "note : « 1e308 »" sortie.txt || echec "la note n'est pas sur la console"
python3 - <<'PY' || echec "dump des notes"
import json
d = json.load(open("notes.json"))
assert d["diagnostics"] == [], d["diagnostics"]
assert d["variables"]["a"]["valeur"] == 1 and "d" not in d["variables"], d["variables"]
PY

# Simulated time lets the dropped cube come to rest on its pillar.
"$BRAKMOR" -check -f demo.txt -simule 3 -dump apres.json > /dev/null 2>&1 || echec "simulation"
python3 - <<'PY' || echec "le cube lâché devrait reposer sur le pilier"
import json
d = json.load(open("apres.json"))
hauts = sorted(i["boiteMin"][2] for i in d["instances"] if i["type"] == "entite" and i["boiteMin"][0] > 60 and i["boiteMin"][1] < -30)
assert len(hauts) == 2 and abs(hauts[1] - 12.0) < 1e-3, hauts
PY
echo "verification : OK"
