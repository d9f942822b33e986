#!/usr/bin/env bash
# Shadows: an object in another's shadow keeps the ambient light and the other lights, a
# textured mesh keeps its texture, and the floor's shadows keep the shape of the original
# (black) ones.
source "$(dirname "$0")/commun.inc"
capture() { "$BRAKMOR" -f "$1" -capture "$2" > /dev/null 2>&1 || echec "capture de $1"; }
# Mean grey level (0..1) over a rectangle WxH+X+Y.
gris() { convert "$1" -crop "$2" +repage -colorspace gray -format "%[fx:mean]" info:; }
vrai() { python3 -c "import sys; sys.exit(0 if $1 else 1)"; }
# A copy of a scene file with statements appended: source, nom, statements...
copie() {
    local source="$1" nom="$2"
    shift 2
    cp "$source" "$nom"
    for instr in "$@"; do echo "$instr" >> "$nom"; done
}

# The demo held still (metaballs without motion), so that its captures compare.
sed 's/"sin[XYZ]"/"fixe"/' demo.txt > fixe.txt
# The same with light 0 bringing only its ambient light: all that a shadow should leave.
sed 's/rgb(235, 228, 215), rgb(255, 255, 255)/rgb(0, 0, 0), rgb(0, 0, 0)/' fixe.txt > noir0.txt
grep -q "rgb(45, 45, 45), rgb(0, 0, 0), rgb(0, 0, 0)," noir0.txt || echec "lumière 0 de la démo introuvable"

# A wall between light 0 (at (-106, 0, 106), aimed at the origin) and a 20-unit cube, and a
# second cube beside them in the light.
MUR=(
    'gris = creerMaterial(rgb(150, 150, 150), rgb(200, 200, 200), rgb(0, 0, 0), rgb(40, 40, 40), 10.0);'
    'mur = chargeWaveFront("demo/cube.obj", true);'
    'setMaterial(&mur, gris);'
    'matriceScale(&mur, (0.5, 6.0, 8.0));'
    'murI = instancieEntite(&mur);'
    'matriceTranslate(&murI, (-10.0, -72.0, 0.0));'
    'grand = chargeWaveFront("demo/cube.obj", true);'
    'setMaterial(&grand, gris);'
    'matriceScale(&grand, (2.5, 2.5, 2.5));'
    'cubeOmbre = instancieEntite(&grand);'
    'matriceTranslate(&cubeOmbre, (20.0, -90.0, 0.0));'
    'cubeLumiere = instancieEntite(&grand);'
    'matriceTranslate(&cubeLumiere, (20.0, -30.0, 0.0));'
)
copie fixe.txt mur.txt "${MUR[@]}"
copie noir0.txt mur_noir0.txt "${MUR[@]}"
capture mur.txt mur.png
capture mur_noir0.txt mur_noir0.png
# The tops of the two cubes.
ombre=$(gris mur.png 20x10+247+465)
lumiere=$(gris mur.png 20x8+370+376)
sansLumiere0=$(gris mur_noir0.png 20x10+247+465)
vrai "$ombre < 0.75 * $lumiere" ||
    echec "le cube à l'ombre du mur devrait être plus sombre (ombre $ombre, lumière $lumiere)"
vrai "$sansLumiere0 > 0.1 and abs($ombre - $sansLumiere0) < 0.03" ||
    echec "l'ombre devrait garder l'ambiante et la lumière 1 (ombre $ombre, sans lumière 0 $sansLumiere0)"

# The checkerboard cube keeps its yellow and blue squares with shadows on: its blue channel
# varies as without shadows, and the capture barely differs from the one without.
copie fixe.txt sansombre.txt "ombrage = false;"
capture fixe.txt ombre.png
capture sansombre.txt sansombre.png
DAMIER=10x12+399+279
ecartBleu() { convert "$1" -crop $DAMIER +repage -channel B -separate -format "%[fx:standard_deviation]" info:; }
e=$(ecartBleu ombre.png)
e0=$(ecartBleu sansombre.png)
vrai "$e > 0.7 * $e0 and $e0 > 0.05" || echec "damier sans ses cases sous les ombres (écart $e, sans ombres $e0)"
convert ombre.png -crop $DAMIER +repage damier.png
convert sansombre.png -crop $DAMIER +repage damier0.png
rmse=$(compare -metric RMSE damier.png damier0.png null: 2>&1 | sed 's/.*(\(.*\))/\1/')
vrai "$rmse < 0.06" || echec "damier changé par les ombres (RMSE $rmse)"

# The floor's shadows keep their shape. Without spot.tga light 0 lights evenly, so on each
# floor pixel the shadow test's result s (0..1) reads back from captures of the 3D view:
# original look = s x (without shadows); new look = (without light 0) + s x (light 0's part).
# The floor is where hiding it changes the pixel, and light 0 brings something there.
rm -f spot.tga
copie fixe.txt ancien.txt "ombrage_ancien = true;"
copie fixe.txt sanssol.txt "ombrage = false;" "afficher_sol = false;"
copie noir0.txt noir0_sansombre.txt "ombrage = false;"
for n in fixe ancien sansombre sanssol noir0_sansombre; do
    capture $n.txt $n.png
    convert $n.png -crop 390x650+190+0 +repage -colorspace gray v_$n.png
done
VUES=(v_fixe.png v_ancien.png v_sansombre.png v_sanssol.png v_noir0_sansombre.png)
SOL='abs(u[2] - u[3]) > 0.02 && u[2] - u[4] > 0.1'
convert "${VUES[@]}" -fx "($SOL && u[0] - u[4] < 0.5 * (u[2] - u[4])) ? 1 : 0" masque.png
convert "${VUES[@]}" -fx "($SOL && u[1] < 0.5 * u[2]) ? 1 : 0" masque_ancien.png
n=$(convert masque.png -format "%[fx:round(mean * w * h)]" info:)
nAncien=$(convert masque_ancien.png -format "%[fx:round(mean * w * h)]" info:)
ecart=$(difference masque.png masque_ancien.png)
# At most 5 % of the original shadow's pixels may change side (soft edges, depth offset).
vrai "$nAncien > 3000 and $ecart <= 0.05 * $nAncien" ||
    echec "ombres du sol déformées : $ecart pixels changent sur $nAncien (nouvelles : $n)"
echo "ombres : OK"
