#!/usr/bin/env bash
# Meshes drawn from vertex buffers (the default) and meshes, floor and grids drawn from display
# lists (-listes) give the very pixels of immediate mode (-immediat), with every option that
# changes what the lists or buffers hold; the frame benchmark measures the four ways in one
# run.
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
    "$BRAKMOR" -f "$nom.txt" -listes -capture "$nom-listes.png" > /dev/null 2>&1 ||
        echec "capture de $nom"
    "$BRAKMOR" -f "$nom.txt" -immediat -capture "$nom-immediat.png" > /dev/null 2>&1 ||
        echec "capture immédiate de $nom"
    "$BRAKMOR" -f "$nom.txt" -capture "$nom-tampons.png" > /dev/null 2>&1 ||
        echec "capture de $nom avec tampons"
    [ "$(difference "$nom-listes.png" "$nom-immediat.png")" = "0" ] ||
        echec "$nom : les listes d'affichage changent l'image"
    [ "$(difference "$nom-tampons.png" "$nom-immediat.png")" = "0" ] ||
        echec "$nom : les tampons de sommets changent l'image"
}
compare_modes normal
compare_modes plat "smoothshading = false;"
compare_modes sanstexture "texturage = false;"
compare_modes filaire "filaire = true;"
compare_modes points "points_seuls = true;"
compare_modes grilles "grilleX = true;" "grilleY = true;" "grillePos = (10.0, 20.0, 5.0);" "grillePas = 20;"
compare_modes boites "boite_englobante = true;" "ombrage = false;"
# A smooth mesh of quadrilaterals whose file has no normals (the reader smooths it): the
# buffers share its vertices and cut its polygons into triangles; big enough (20 400
# triangles) for its runs turned away to be left out and for its shadow to be kept.
awk 'BEGIN { U = 170; V = 60; R = 18; r = 7; pi = atan2(0, -1)
  for (i = 0; i < U; i++) for (j = 0; j < V; j++) {
    a = 2 * pi * i / U; b = 2 * pi * j / V
    printf "v %.6f %.6f %.6f\n", (R + r * cos(b)) * cos(a), (R + r * cos(b)) * sin(a), r * sin(b) }
  for (i = 0; i < U; i++) for (j = 0; j < V; j++)
    printf "f %d %d %d %d\n", i * V + j + 1, ((i + 1) % U) * V + j + 1,
      ((i + 1) % U) * V + (j + 1) % V + 1, i * V + (j + 1) % V + 1 }' > lisse.obj
compare_modes lisse 'lisse = chargeWaveFront("lisse.obj", true);' 'setMaterial(&lisse, vert);' \
    'objetLisse = instancieEntite(&lisse);' 'matriceTranslate(&objetLisse, (-20.0, -45.0, 10.0));' \
    'subitGravite(&objetLisse, false);'
[ "$(difference normal-tampons.png lisse-tampons.png)" -gt 1000 ] || echec "le mesh lisse n'apparaît pas"
# The lists are not a no-op: a different option does change the image.
[ "$(difference normal-listes.png plat-listes.png)" -gt 0 ] || echec "l'ombrage plat ne change rien"

"$BRAKMOR" -f fixe.txt -bench 20 > bench.txt 2>&1 || echec "-bench"
for facon in "mode immédiat" "listes d'affichage" "tampons de sommets" "tampons, omissions"; do
    grep -q "bench : 20 images en $facon, moyenne [0-9.]* ms, mediane [0-9.]* ms$" bench.txt ||
        echec "temps en $facon absents"
done
grep -q "bench : rapport tampons de sommets / tampons, omissions : moyenne [0-9.]*, mediane [0-9.]*$" \
    bench.txt || echec "rapport absent"
echo "listes : OK"
