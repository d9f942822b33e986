#!/usr/bin/env bash
# The command line as the shell hands it over: paths holding blanks and line ends taken
# whole, bad numbers refused with the status 2, an oversized window clamped, and the long
# runs without the main loop (simulated time, capture, benchmark) ended by a signal within
# a second, their dump written.
source "$(dirname "$0")/commun.inc"

# Paths are taken whole: the scene, the dump and the trace hold blanks and a line end.
scene=$'ma scène\nv2.txt'
cp demo.txt "$scene"
"$BRAKMOR" -check -f "$scene" -simule 0.1 -dump "mon dump.json" -trace "a b.csv" \
    > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 0 ] || { cat erreurs.txt; echec "scène au nom à blancs non chargée (statut $statut)"; }
python3 -c 'import json; json.load(open("mon dump.json"))' || echec "dump au nom à blanc invalide"
[ -s "a b.csv" ] || echec "trace au nom à blanc non écrite"
for morceau in ma mon a b.csv; do
    [ ! -e "$morceau" ] || echec "un morceau de chemin a été écrit : $morceau"
done

# A bad number stops the program before anything is loaded or written.
"$BRAKMOR" -check -f demo.txt -fps 2.5 -dump refuse.json > sortie.txt 2> erreurs.txt
statut=$?
[ "$statut" -eq 2 ] || echec "-fps 2.5 doit être refusé avec le statut 2 (statut $statut)"
grep -q -- "-fps : valeur « 2.5 » refusée" erreurs.txt || { cat erreurs.txt; echec "message de -fps 2.5 absent"; }
[ ! -e refuse.json ] || echec "un dump a été écrit malgré la ligne de commande refusée"

# A window larger than the screen is clamped to it, and says so; the PNG has its size.
largeurEcran=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1] }')
"$BRAKMOR" -f demo.txt -res 70000x100 -capture large.png > sortie.txt 2> erreurs.txt ||
    { cat erreurs.txt; echec "-res 70000x100 a échoué"; }
grep -q "fenêtre ramenée à ${largeurEcran}x100" sortie.txt || { cat sortie.txt; echec "message de la fenêtre ramenée absent"; }
python3 - "$largeurEcran" <<'PY' || echec "capture d'une fenêtre ramenée de la mauvaise taille"
import struct, sys
with open("large.png", "rb") as f:
    l, h = struct.unpack(">II", f.read(24)[16:24])
assert (l, h) == (int(sys.argv[1]), 100), (l, h)
PY
"$BRAKMOR" -f demo.txt -res 40000x40000 -capture enorme.png > sortie.txt 2> erreurs.txt ||
    { cat erreurs.txt; echec "-res 40000x40000 a échoué"; }

# A long run ends within a second of SIGTERM or SIGINT, with 128 + the signal's number and
# its dump: signal, expected status, then the arguments.
interromps() {
    local signal="$1" attendu="$2"
    shift 2
    rm -f long.json
    "$BRAKMOR" -f demo.txt -dump long.json "$@" > sortie.txt 2> erreurs.txt &
    local pid=$! statut
    sleep 1.5
    kill "-$signal" "$pid"
    local debut=$(date +%s%N)
    for _ in $(seq 1 30); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    local ms=$((($(date +%s%N) - debut) / 1000000))
    if kill -0 "$pid" 2>/dev/null; then
        kill -KILL "$pid"
        echec "$* : toujours en marche 3 s après $signal"
    fi
    wait "$pid"
    statut=$?
    echo "$* : fini ${ms} ms après $signal"
    [ "$statut" -eq "$attendu" ] || { cat erreurs.txt; echec "$* : statut $statut au lieu de $attendu"; }
    python3 -c 'import json; json.load(open("long.json"))' || echec "$* : dump absent ou invalide"
}
interromps TERM 143 -check -simule 1e9
interromps INT 130 -capture long.png -simule 1e9
interromps TERM 143 -bench 100000
[ ! -e long.png ] || echec "capture écrite alors que la simulation a été interrompue"
echo "ligne_commande : OK"
