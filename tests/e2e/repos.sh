#!/usr/bin/env bash
# A window where nothing moves waits for events instead of burning a core; a moving scene
# is drawn at most at the -fps rate, which the title gives only while something moves; a
# signal ends the program while a warning box is open, with the dump still written. CPU
# figures are printed for the record; the bounds asserted are loose so that a loaded machine
# does not fail them.
source "$(dirname "$0")/commun.inc"

# Percent of one core that process $1 used over the next $2 seconds.
cpu() {
    local t0 t1 d0 d1
    t0=$(awk '{print $14 + $15}' "/proc/$1/stat")
    d0=$(date +%s%N)
    sleep "$2"
    t1=$(awk '{print $14 + $15}' "/proc/$1/stat")
    d1=$(date +%s%N)
    python3 -c "print(round(100.0 * ($t1 - $t0) / $(getconf CLK_TCK) / (($d1 - $d0) / 1e9), 1))"
}
# Waits up to $2 seconds for process $1 to end; false if it is still running.
finit() {
    for _ in $(seq 1 $(($2 * 10))); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}
arrete() {
    kill -TERM "$1" 2>/dev/null
    wait "$1" || true
}

# The demo with its metaballs still: once the dropped cube rests, nothing moves.
sed -e 's/"sin[XYZ]"/""/' demo.txt > immobile.txt
"$BRAKMOR" -f immobile.txt > sortie.txt 2> erreurs.txt &
PID=$!
attendFenetre 6
pourcent=$(cpu "$PID" 10)
echo "repos : scène immobile, ${pourcent} % d'un cœur sur 10 s"
kill -0 "$PID" 2>/dev/null || echec "le programme s'est arrêté"
titre=$(xdotool getwindowname "$FENETRE")
arrete "$PID"
# Frames only follow events now: the title gives no rate, least of all the last one seen.
case "$titre" in *images/s*) echec "scène immobile, le titre donne une cadence : $titre" ;; esac
python3 -c "import sys; sys.exit(0 if $pourcent < 30 else 1)" ||
    echec "fenêtre immobile : ${pourcent} % d'un cœur (au plus 30 % attendus)"

# The demo as shipped moves all the time (its metaballs): -fps 5 caps the frame rate that
# the title shows.
"$BRAKMOR" -f demo.txt -fps 5 > sortie.txt 2> erreurs.txt &
PID=$!
attendFenetre 3
pourcent=$(cpu "$PID" 5)
titre=$(xdotool getwindowname "$FENETRE")
arrete "$PID"
images=$(sed -n 's/.* - \([0-9]*\) images\/s$/\1/p' <<< "$titre")
echo "repos : démo animée avec -fps 5, ${images:-?} images/s, ${pourcent} % d'un cœur sur 5 s"
[ -n "$images" ] || echec "le titre ne donne pas la cadence : $titre"
[ "$images" -ge 1 ] && [ "$images" -le 6 ] || echec "cadence $images images/s avec -fps 5"

# A scene with an error: while its box is open the program sleeps, and SIGTERM or SIGINT
# ends it at once with the dump written.
printf 'couleur = rgb(1, 2);\n' > faute.txt
for signal in TERM INT; do
    rm -f faute.json
    "$BRAKMOR" -f faute.txt -dump faute.json > sortie.txt 2> erreurs.txt &
    PID=$!
    attendFenetre 2
    grep -q "Tu fournis 2 paramètre(s)" erreurs.txt || echec "la boîte n'a pas été signalée"
    if [ "$signal" = TERM ]; then
        pourcent=$(cpu "$PID" 3)
        echo "repos : boîte ouverte, ${pourcent} % d'un cœur sur 3 s"
        python3 -c "import sys; sys.exit(0 if $pourcent < 30 else 1)" ||
            echec "boîte ouverte : ${pourcent} % d'un cœur (au plus 30 % attendus)"
    fi
    kill -"$signal" "$PID"
    finit "$PID" 5 || {
        kill -KILL "$PID"
        echec "SIG$signal n'a pas arrêté le programme pendant la boîte"
    }
    wait "$PID"
    statut=$?
    [ "$statut" -eq 0 ] || echec "SIG$signal pendant la boîte : statut $statut au lieu de 0"
    python3 -c "import json; json.load(open('faute.json'))" ||
        echec "SIG$signal pendant la boîte : dump absent ou illisible"
done
echo "repos : OK"
