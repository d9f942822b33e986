#!/usr/bin/env bash
# Meshes, floor and grids drawn from display lists give the very pixels of immediate mode
# (-immediat), with every option that changes what the lists hold; the frame
# benchmark measures both ways in one run.
source "$(dirname "$0")/commun.inc"
# The demo scene held still: metaballs without motion, nothing falling, so that two runs
# draw the same frame.
sed 's/"sin[XYZ]"/"fixe"/' demo.txt > fixe.txt
echo "gravite = 0.0;" >> fixe.txt
compare_modes() {
    local nom="$1"
    shift
    cp fixe.txt "$nom.txt"
    for instr in "$@"; do echo "$instr" >> "$nom.txt"; done
    "$BRAKMOR" -f "$nom.txt" -capture "$nom-listes.png" > /dev/null 2>&1 || echec "capture de $nom"
    "$BRAKMOR" -f "$nom.txt" -immediat -capture "$nom-immediat.png" > /dev/null 2>&1 ||
        echec "capture immédiate de $nom"
    [ "$(difference "$nom-listes.png" "$nom-immediat.png")" = "0" ] ||
        echec "$nom : les listes d'affichage changent l'image"
}
compare_modes normal
compare_modes plat "smoothshading = false;"
compare_modes sanstexture "texturage = false;"
compare_modes filaire "filaire = true;"
compare_modes points "points_seuls = true;"
compare_modes grilles "grilleX = true;" "grilleY = true;" "grillePos = (10.0, 20.0, 5.0);" "grillePas = 20;"
compare_modes boites "boite_englobante = true;" "ombrage = false;"
# The lists are not a no-op: a different option does change the image.
[ "$(difference normal-listes.png plat-listes.png)" -gt 0 ] || echec "l'ombrage plat ne change rien"

"$BRAKMOR" -f fixe.txt -bench 20 > bench.txt 2>&1 || echec "-bench"
grep -q "bench : 20 images en mode immédiat, moyenne [0-9.]* ms, mediane [0-9.]* ms$" bench.txt ||
    echec "temps du mode immédiat absents"
grep -q "bench : 20 images avec listes d'affichage, moyenne [0-9.]* ms, mediane [0-9.]* ms$" bench.txt ||
    echec "temps des listes absents"
grep -q "bench : rapport immédiat / listes : moyenne [0-9.]*, mediane [0-9.]*$" bench.txt ||
    echec "rapport absent"
echo "listes : OK"
