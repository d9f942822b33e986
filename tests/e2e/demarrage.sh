#!/usr/bin/env bash
# The program starts with no argument: banner, red no-robot line, extension line in the
# log, and it keeps running.
source "$(dirname "$0")/commun.inc"
"$BRAKMOR" > sortie.txt 2> erreurs.txt &
pid=$!
sleep 2
kill -0 "$pid" 2>/dev/null || { cat sortie.txt erreurs.txt; echec "le programme s'est arrêté"; }
kill -TERM "$pid"
wait "$pid" || true
grep -q $'\033\[32mBrakmor' sortie.txt || echec "bannière verte absente"
grep -q $'\033\[31mErreur: Aucune robot n\'a été défini dans le fichier de scène !' sortie.txt || echec "ligne rouge absente"
grep -q "ImGui version" sortie.txt || echec "version de la bibliothèque du panneau absente"
grep -q "^Extensions supportées :GL_" brakmor.log || echec "ligne des extensions absente du journal"
[ "$(grep -c '^Extensions supportées :' brakmor.log)" -ge 2 ] || echec "deux lignes d'extensions attendues"
echo "demarrage : OK"
