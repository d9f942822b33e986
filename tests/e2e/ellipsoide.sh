#!/usr/bin/env bash
# The manipulability ellipsoid: near a singularity it is drawn red at the tool, and the
# status line says which configuration is near singular.
source "$(dirname "$0")/commun.inc"
# Share (0..1) of the pixels of an image that are a saturated red.
rouge() { convert "$1" -fx "r>0.8 && g<0.3 && b<0.3" -format "%[fx:mean]" info:; }

cp "$SOURCE/scenes/lecon_singularites.txt" .
sed 's/^ellipsoide_manipulabilite = true;/ellipsoide_manipulabilite = false;/' \
    lecon_singularites.txt > sans.txt
grep -q "ellipsoide_manipulabilite = false" sans.txt || echec "option absente de la leçon"
"$BRAKMOR" -simule 30 -capture avec.png -f lecon_singularites.txt > sortie.txt 2>&1 ||
    echec "capture avec l'ellipsoïde"
"$BRAKMOR" -simule 30 -capture sans.png -f sans.txt > /dev/null 2>&1 || echec "capture sans"
avec=$(rouge avec.png) sans=$(rouge sans.png)
python3 -c "import sys; sys.exit(0 if $avec > $sans + 0.0004 else 1)" ||
    echec "pas d'ellipsoïde rouge à la singularité ($avec contre $sans)"
"$BRAKMOR" -check -simule 30 -dump d.json -f lecon_singularites.txt > /dev/null 2>&1 ||
    echec "leçon en échec"
python3 - <<'PY' || echec "mesures du dump"
import json
r = [e for e in json.load(open("d.json"))["entites"] if e["type"] == "robot"][0]
assert r["conditionnement"] < 0.02 and r["manipulabilite"] > 0, r
PY

echo "ellipsoide : OK"
