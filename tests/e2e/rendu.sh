#!/usr/bin/env bash
# What the demo scene shows: robot, objects, floor, metaballs, shadows, wire frame.
source "$(dirname "$0")/commun.inc"
capture() { "$BRAKMOR" -f "$1" -capture "$2" > /dev/null 2>&1 || echec "capture de $1"; }
capture demo.txt normal.png
[ "$(identify -format %wx%h normal.png)" = "800x650" ] || echec "taille de fenêtre inattendue"
# The orange arm stands in the middle of the view: red well above blue there.
r=$(moyenne normal.png 30x30+370+330 r); b=$(moyenne normal.png 30x30+370+330 b)
python3 -c "import sys; sys.exit(0 if $r > $b + 0.15 else 1)" || echec "bras orange absent (r=$r b=$b)"
# The floor is light grey below the robot.
g=$(moyenne normal.png 80x30+250+580 g)
python3 -c "import sys; sys.exit(0 if $g > 0.45 else 1)" || echec "sol absent (g=$g)"
# The panels are drawn on both sides.
[ "$(difference normal.png normal.png)" = "0" ] || echec "compare"

variante sansombre.txt "ombrage = false;"
capture sansombre.txt sansombre.png
[ "$(difference normal.png sansombre.png)" -gt 2000 ] || echec "les ombres ne changent rien"

variante filaire.txt "filaire = true;"
capture filaire.txt filaire.png
[ "$(difference normal.png filaire.png)" -gt 20000 ] || echec "le fil de fer ne change rien"

variante sanslumiere.txt "afficher_sol = false;"
capture sanslumiere.txt sanssol.png
g=$(moyenne sanssol.png 80x30+250+580 g)
python3 -c "import sys; sys.exit(0 if $g < 0.45 else 1)" || echec "le sol devrait disparaître (g=$g)"

# -shadowmap sizes are accepted at both ends; a scene without lights renders.
"$BRAKMOR" -f demo.txt -shadowmap 2 -capture petit.png > /dev/null 2>&1 || echec "-shadowmap 2"
"$BRAKMOR" -f demo.txt -shadowmap 12 -capture grand.png > /dev/null 2>&1 || echec "-shadowmap 12"
grep -v insertLumiere demo.txt | grep -v '^ *rgb\|^ *0.0, 180' > noir.txt
capture noir.txt noir.png
echo "rendu : OK"
