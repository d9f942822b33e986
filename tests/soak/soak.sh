#!/usr/bin/env bash
# Soak test: the demo scene runs for a long time (10 minutes by default) while a user keeps
# clicking objects for the robot to fetch (along straight lines), pressing joint and wrist
# keys, queuing "Atteint" moves and releasing what the gripper holds, so that objects are
# carried and fall again and again. Passes when the program still draws new frames to the
# end, its resident memory at the end is within 5 % of what it was after the first minute,
# and the dump written at exit holds every object of the scene with finite coordinates.
#
#   xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash tests/soak/soak.sh BUILD/brakmor [SOURCE] [SECONDS]
#
# Not part of the test suite (it takes minutes); the figures go to standard output.
set -u
BRAKMOR="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
SOURCE="${2:-$(cd "$(dirname "$0")/../.." && pwd)}"
DUREE="${3:-600}"
TRAVAIL="$(mktemp -d)"
# SOAK_GARDE=FOLDER keeps the program's output and the memory series there.
garde() {
    [ -n "${SOAK_GARDE:-}" ] && cp "$TRAVAIL"/{sortie.txt,erreurs.txt,rss.txt} "$SOAK_GARDE"/ 2>/dev/null
    rm -rf "$TRAVAIL"
}
trap 'kill -TERM "$PID" 2>/dev/null; garde' EXIT
PID=""
cd "$TRAVAIL"
ln -s "$SOURCE/scenes/demo" demo
cp "$SOURCE/scenes/spot.tga" spot.tga
cp "$SOURCE/scenes/demo.txt" demo.txt
[ -n "${DISPLAY:-}" ] || { echo "pas de DISPLAY : lancer sous xvfb-run" >&2; exit 1; }
echec() {
    echo "ECHEC : $*" >&2
    exit 1
}
source "$SOURCE/tests/e2e/fenetre.inc"
rss() { awk '/^VmRSS:/ {print $2}' "/proc/$PID/status" 2>/dev/null; }
# Resident kB by kind of mapping: the malloc heap, other anonymous memory (large blocks,
# the GL driver's buffers and compiled code), files.
zones() {
    awk '/^[0-9a-f]+-[0-9a-f]+ / {z = ($6 == "[heap]") ? "tas" : ($6 == "" ? "anonyme" : "fichiers")}
         /^Rss:/ {k[z] += $2}
         END {printf "tas %d, anonyme %d, fichiers %d", k["tas"], k["anonyme"], k["fichiers"]}' \
        "/proc/$PID/smaps" 2>/dev/null
}

# The scene as loaded, for the count of objects.
"$BRAKMOR" -check -f demo.txt -dump initial.json > /dev/null 2>&1
NB_INSTANCES=$(python3 -c "import json; print(len(json.load(open('initial.json'))['instances']))") ||
    echec "la scène de démonstration ne se charge pas"

"$BRAKMOR" -f demo.txt -dump final.json > sortie.txt 2> erreurs.txt &
PID=$!
attendFenetre 2
clic() { xdotool mousemove --window "$FENETRE" "$1" "$2" click 1; }
touches() { xdotool key --delay 120 "$@"; }

# Window pixels of the 800 x 650 demo window: the three cubes and the pillar's cube, the
# "Deplacement rectiligne" box, "Atteint", and the "+" of the target X' and Y' spinners.
OBJETS=("523 317" "568 390" "527 458" "220 268")
clic 596 413  # straight lines from now on

DEBUT=$(date +%s)
RSS_MINUTE=""
ZONES_MINUTE=""
RSS_MAX=0
ACTIONS=0
IMAGES_FIGEES=0
CAPTURES=0
derniere=""
cycle=0
while :; do
    ecoule=$(($(date +%s) - DEBUT))
    [ "$ecoule" -ge "$DUREE" ] && break
    kill -0 "$PID" 2>/dev/null || echec "le programme s'est arrêté après ${ecoule} s"
    case $((cycle % 6)) in
        0 | 3)  # fetch an object, let the robot carry it a while, release it: it falls
            read -r x y <<< "${OBJETS[$(((cycle / 3) % ${#OBJETS[@]}))]}"
            clic "$x" "$y"
            sleep 8
            touches space
            ;;
        1)  # joint keys, then empty the queue
            touches a a s z d e f r q
            sleep 2
            touches p
            ;;
        2)  # wrist keys (arrows, page keys)
            touches Right Right Up Prior Down Next Left Home End
            ;;
        4)  # a straight-line move to a changed target
            clic 768 345
            clic 786 362
            clic 630 430
            ;;
        5)  # the gripper on its own
            clic 727 430
            sleep 1
            clic 727 430
            ;;
    esac
    ACTIONS=$((ACTIONS + 1))
    cycle=$((cycle + 1))
    sleep 2
    r=$(rss)
    [ -n "$r" ] && [ "$r" -gt "$RSS_MAX" ] && RSS_MAX=$r
    echo "$(($(date +%s) - DEBUT)) $r" >> rss.txt
    if [ -z "$RSS_MINUTE" ] && [ $(($(date +%s) - DEBUT)) -ge 60 ]; then
        RSS_MINUTE=$r
        ZONES_MINUTE=$(zones)
    fi
    # Every few cycles the window must show a new frame (the metaballs move all the time).
    if [ $((cycle % 4)) -eq 0 ]; then
        import -window "$FENETRE" capture.png 2>/dev/null || echec "capture impossible"
        somme=$(md5sum < capture.png)
        CAPTURES=$((CAPTURES + 1))
        [ "$somme" = "$derniere" ] && IMAGES_FIGEES=$((IMAGES_FIGEES + 1))
        derniere=$somme
    fi
done
RSS_FIN=$(rss)
ZONES_FIN=$(zones)
kill -0 "$PID" 2>/dev/null || echec "le programme s'est arrêté"
import -window "$FENETRE" fin.png 2>/dev/null
[ "$(md5sum < fin.png)" != "$derniere" ] || IMAGES_FIGEES=$((IMAGES_FIGEES + 1))
kill -TERM "$PID"
wait "$PID"
STATUT=$?
PID=""

echo "durée : ${DUREE} s, actions : ${ACTIONS}, captures : ${CAPTURES}, images figées : ${IMAGES_FIGEES}"
echo "mémoire résidente : ${RSS_MINUTE} ko après 1 min, ${RSS_FIN} ko à la fin, ${RSS_MAX} ko au plus"
echo "  après 1 min : ${ZONES_MINUTE:-}"
echo "  à la fin    : ${ZONES_FIN}"
# Resident memory once a minute (seconds, kB), to tell a steady leak from a warm-up.
echo "mémoire par minute : $(awk '$1 >= m * 60 {printf "%d:%d ", $1, $2; m++}' rss.txt)"
echo "boîtes et erreurs : $(wc -l < erreurs.txt) ligne(s) sur la sortie d'erreur, dont :"
sort erreurs.txt | uniq -c | sort -rn | head -5
[ "$STATUT" -eq 0 ] || echec "statut de sortie $STATUT"
[ "$IMAGES_FIGEES" -eq 0 ] || echec "$IMAGES_FIGEES capture(s) identique(s) à la précédente : le programme ne répond plus"
[ -n "$RSS_MINUTE" ] && [ -n "$RSS_FIN" ] || echec "mémoire non mesurée"
python3 - "$RSS_MINUTE" "$RSS_FIN" << 'EOF' || echec "la mémoire a varié de plus de 5 %"
import sys
minute, fin = (int(v) for v in sys.argv[1:3])
ecart = (fin - minute) / minute * 100
print(f"écart : {ecart:+.2f} %")
sys.exit(0 if abs(ecart) <= 5 else 1)
EOF
python3 - final.json "$NB_INSTANCES" << 'EOF' || echec "le dump final est incomplet ou non fini"
import json, math, sys

def rejette(texte):
    raise ValueError("nombre non fini : " + texte)

d = json.load(open(sys.argv[1]), parse_constant=rejette)
attendu = int(sys.argv[2])
instances = d["instances"]
print(f"instances : {len(instances)} à la fin, {attendu} au chargement")
if len(instances) != attendu:
    sys.exit(1)

def finis(v):
    if isinstance(v, list):
        return all(finis(x) for x in v)
    return isinstance(v, (int, float)) and math.isfinite(v)

for i in instances:
    for cle in ("matrice", "boiteMin", "boiteMax", "vitesse"):
        if not finis(i[cle]):
            print(f"instance {i['indice']} : {cle} = {i[cle]}")
            sys.exit(1)
    if i["boiteMin"][2] < -1e-3 and i["type"] != "metaball":
        print(f"instance {i['indice']} sous le sol : {i['boiteMin']}")
        sys.exit(1)
print("toutes les coordonnées sont finies")
EOF
echo "soak : OK"
