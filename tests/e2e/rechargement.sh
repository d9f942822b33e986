#!/usr/bin/env bash
# Live reload as a scene author meets it: with -surveille, a faulty edit shows its box and
# keeps the running scene; a sound edit replaces it; F5 reloads too; a file emptied while it
# is saved never replaces the scene, and the file saved again in UTF-16 is read.
source "$(dirname "$0")/commun.inc"

json() {  # file, python expression on d
    python3 -c "import json,sys; d=json.load(open('$1')); sys.exit(0 if ($2) else 1)"
}
rechargees() { grep -c "scène rechargée" sortie.txt; }

cp demo.txt original.txt
"$BRAKMOR" -check -f demo.txt -dump demo.json > /dev/null 2>&1 || echec "la démo ne se charge pas"
instances=$(python3 -c "import json; print(len(json.load(open('demo.json'))['instances']))")

"$BRAKMOR" -f demo.txt -surveille -dump fin.json > sortie.txt 2> erreurs.txt &
PID=$!
attendFenetre 1.5

# A faulty edit: its box is shown; once it is closed the scene goes on as it was.
echo 'x = rgb(1, 2);' >> demo.txt
sleep 3
xdotool key Return
sleep 1
grep -q "scène non rechargée (1 erreur" sortie.txt || echec "l'erreur du rechargement n'est pas dite"
kill -0 "$PID" 2>/dev/null || echec "le programme s'est arrêté"

# The fix, with a new option value: reloaded once the file has settled.
sed -i '$d' demo.txt
echo 'grilleTaille = 100;' >> demo.txt
sleep 3
[ "$(rechargees)" = 1 ] || echec "la scène corrigée n'a pas été rechargée"

# F5 reloads without a change.
xdotool key F5
sleep 1.5
[ "$(rechargees)" = 2 ] || echec "F5 n'a pas rechargé la scène"

# An editor empties the file before it writes it again: the empty file is refused...
: > demo.txt
sleep 3
grep -q "scène non rechargée (demo.txt est vide" sortie.txt || echec "le fichier vide n'est pas refusé"
[ "$(rechargees)" = 2 ] || echec "le fichier vide a remplacé la scène"
# ... and the file written again, in UTF-16 with its byte-order mark this time, is read.
{ cat original.txt; echo 'grilleTaille = 100;'; } | iconv -f UTF-8 -t UTF-16 > demo.txt
sleep 3
[ "$(rechargees)" = 3 ] || { cat erreurs.txt; echec "le fichier en UTF-16 n'a pas été rechargé"; }

kill -TERM "$PID"
wait "$PID" || true
json fin.json "d['options']['grilleTaille']['valeur'] == 100 and len(d['instances']) == $instances" ||
    echec "la scène finale n'est pas la scène corrigée"
