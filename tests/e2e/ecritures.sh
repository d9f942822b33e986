#!/usr/bin/env bash
# What the program writes (trace, dump, capture) never replaces a file the scene reads, a
# folder, a pipe or a device; a file already there is kept as .bak; a dump that cannot be
# written fails the check with status 4.
source "$(dirname "$0")/commun.inc"
# Everything in the folder but the files the test made itself: what the program left behind.
restes() {
    ls -A | grep -v -x -e demo -e spot.tga -e demo.txt -e sortie.txt -e erreurs.txt -e brakmor.log "$@"
}

# The trace asked over the scene file itself: refused in red, the scene intact.
cp demo.txt pp.txt
"$BRAKMOR" -check -simule 1 -f pp.txt -trace pp.txt > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 0 ] || { cat sortie.txt erreurs.txt; echec "trace refusée : statut $statut au lieu de 0"; }
cmp -s pp.txt demo.txt || echec "la trace a remplacé le fichier de scène"
grep -q "trace : pp.txt est un fichier lu par la scène chargée" sortie.txt ||
    { cat sortie.txt; echec "refus de la trace non signalé"; }
[ -z "$(restes -e pp.txt)" ] || echec "fichiers laissés par la trace refusée : $(restes -e pp.txt)"
rm pp.txt

# The dump over an include named another way, and over a mesh's material library.
cp "$SOURCE/tests/data/sc_cube.obj" "$SOURCE/tests/data/sc_cube.mtl" .
printf 'm = chargeWaveFront("sc_cube.obj", true);\n#include inclus.txt\n' > maillage.txt
printf 'b = 2;\n' > inclus.txt
cp inclus.txt inclus.orig
cp sc_cube.mtl mtl.orig
for cible in ./inclus.txt sc_cube.mtl; do
    "$BRAKMOR" -check -f maillage.txt -dump "$cible" > sortie.txt 2> erreurs.txt
    statut=$?
    [ "$statut" -eq 4 ] || { cat sortie.txt erreurs.txt; echec "dump sur $cible : statut $statut au lieu de 4"; }
    grep -q "dump : $cible est un fichier lu par la scène chargée" sortie.txt ||
        { cat sortie.txt; echec "refus du dump sur $cible non signalé"; }
done
cmp -s inclus.txt inclus.orig && cmp -s sc_cube.mtl mtl.orig || echec "le dump a remplacé un fichier de la scène"
[ ! -e inclus.txt.bak ] && [ ! -e sc_cube.mtl.bak ] || echec "un fichier de la scène a été renommé"

# A private "full" device node, a pipe, a folder, a folder that does not exist: status 4,
# the path named in red, nothing moved.
mkdir dossier
mkfifo tube
mknod plein c 1 7 || echec "mknod"
for cible in plein tube dossier absent/scene.json; do
    "$BRAKMOR" -check -f demo.txt -dump "$cible" > sortie.txt 2> erreurs.txt
    statut=$?
    [ "$statut" -eq 4 ] || { cat sortie.txt erreurs.txt; echec "dump sur $cible : statut $statut au lieu de 4"; }
    grep -q "dump : .*$cible" sortie.txt || { cat sortie.txt; echec "échec du dump sur $cible non signalé"; }
done
[ -c plein ] && [ -p tube ] && [ -d dossier ] || echec "un fichier spécial a été remplacé"
[ ! -e plein.bak ] && [ ! -e tube.bak ] && [ ! -e dossier.bak ] || echec "un fichier spécial a été renommé"

# Over a file already there: the old one kept as .bak, the new one whole.
echo ancien > scene.json
"$BRAKMOR" -check -f demo.txt -dump scene.json > /dev/null 2>&1 || echec "dump sur un fichier existant"
[ "$(cat scene.json.bak)" = ancien ] || echec "l'ancien dump n'est pas gardé en .bak"
python3 -c 'import json; json.load(open("scene.json"))' || echec "nouveau dump illisible"
# A write that fails half-way (files limited to 1 kB): status 4, the old file untouched.
cp scene.json complet.json
(ulimit -f 1; trap '' XFSZ; exec "$BRAKMOR" -check -f demo.txt -simule 0.5 -dump scene.json) > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 4 ] || { cat sortie.txt erreurs.txt; echec "dump interrompu : statut $statut au lieu de 4"; }
grep -q "dump : écriture impossible dans scene.json" sortie.txt || { cat sortie.txt; echec "dump interrompu non signalé"; }
cmp -s scene.json complet.json || echec "un dump interrompu a touché le fichier en place"
[ -z "$(restes -e inclus.txt -e inclus.orig -e sc_cube.obj -e sc_cube.mtl -e mtl.orig -e maillage.txt \
    -e dossier -e tube -e plein -e scene.json -e scene.json.bak -e complet.json)" ] ||
    echec "fichiers temporaires laissés : $(restes)"

# The window's capture over the scene file: refused, status 1; with the window, a dump that
# cannot be written at the end is said in red.
cp demo.txt capture.txt
"$BRAKMOR" -f capture.txt -capture capture.txt -dump dossier > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 1 ] || { cat sortie.txt erreurs.txt; echec "capture sur la scène : statut $statut au lieu de 1"; }
cmp -s capture.txt demo.txt || echec "la capture a remplacé le fichier de scène"
grep -q "capture : capture.txt est un fichier lu par la scène chargée" sortie.txt ||
    { cat sortie.txt; echec "refus de la capture non signalé"; }
grep -q "dump : dossier est un dossier" sortie.txt || { cat sortie.txt; echec "échec du dump de la fenêtre non signalé"; }
echo "ecritures : OK"
