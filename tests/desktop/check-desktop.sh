#!/usr/bin/env bash
# Starts the built program as a user would, under a real X server, and checks what is on
# the screen: the first start (message, installer, end), the second start (the wait window
# gone, only the main window mapped, its outer size), the search page, each statistics
# window and the Info window mapped above the main window, and an import in edit mode
# whose result box is on top and takes Return. Screenshots of each state go to the log
# folder.
#
#   tests/desktop/check-desktop.sh DISC_DIR LOG_DIR openbox|none
#
# Needs Xvfb, openbox, xdotool, xwininfo/xprop (x11-utils) and import (imagemagick).
set -euo pipefail

disc=$(realpath "$1")
logs=$(realpath -m "$2")
wm=${3:-openbox}
here=$(dirname "$(realpath "$0")")
mkdir -p "$logs"

failures=0
fail() {
    echo "FAIL [$wm]: $*" >&2
    failures=$((failures + 1))
}
pass() { echo "ok   [$wm]: $*"; }

# A copy of the disc folder and a home of its own, so nothing of the machine or of the
# build is touched and the first start really is the first.
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
cp -a "$disc" "$work/disc"
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"

# As root the installer would record the engine for the whole machine; a user without
# privileges keeps it in the private home.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$work"
    chmod 755 "$work"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi

export HOME=$work/home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
export XDG_CACHE_HOME=$HOME/.cache XDG_RUNTIME_DIR=$work/runtime
export QT_QPA_PLATFORM=xcb LANG=C.UTF-8
unset QT_SCALE_FACTOR SESSION_MANAGER

# The server picks a free display number and writes it out once it accepts connections. It
# must not reset when its last client goes: without a window manager that happens between the
# first and the second start, and a program connecting meanwhile finds no display.
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -ac -nolisten tcp 3>"$work/display" \
    >"$logs/xvfb-$wm.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -1 "$work/display")
xdpyinfo >/dev/null 2>&1 || { echo "no X server on $DISPLAY" >&2; exit 1; }

if [ "$wm" = openbox ]; then
    openbox --config-file "$here/openbox-rc.xml" >"$logs/openbox.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.1
    done
fi

shot() { import -window root "$logs/$wm-$1.png" 2>/dev/null || true; }

# Mapped top-level windows, bottom to top, one line each: "id<TAB>name". Under a window
# manager the root's children are frames; the client with a name inside stands for it.
# xwininfo lists the root's children from the top down.
stack() {
    # Windows of one pixel (the window manager's own, the toolkit's hidden ones) are left out.
    xwininfo -root -children | grep -vE ' 1x1\+' | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p' |
        while read -r top; do
        xwininfo -id "$top" 2>/dev/null | grep -q 'Map State: IsViewable' || continue
        local line
        line=$(xwininfo -id "$top" -tree 2>/dev/null |
            grep -m1 -E '^ *0x[0-9a-f]+ "|^xwininfo: Window id: 0x[0-9a-f]+ "' || true)
        [ -n "$line" ] || continue
        local id name
        id=$(echo "$line" | grep -oE '0x[0-9a-f]+' | head -1)
        name=$(echo "$line" | sed -E 's/^[^"]*"([^"]*)".*/\1/')
        printf '%s\t%s\n' "$id" "$name"
    done | tac
}
names() { stack | cut -f2-; }
topmost() { stack | tail -1 | cut -f2-; }
# Position of a window in the stack (1 = bottom); 0 when not mapped.
level() { stack | cut -f2- | grep -nxF -- "$1" | tail -1 | cut -d: -f1 || echo 0; }
window_id() { stack | awk -F'\t' -v n="$1" '$2 == n { id = $1 } END { print id }'; }

# Waits up to $2 seconds for a window named $1 to be mapped (or unmapped).
wait_mapped() {
    local until=$((SECONDS + ${2:-20}))
    while [ "$SECONDS" -lt "$until" ]; do
        [ -n "$(window_id "$1")" ] && return 0
        sleep 0.2
    done
    return 1
}
wait_unmapped() {
    local until=$((SECONDS + ${2:-20}))
    while [ "$SECONDS" -lt "$until" ]; do
        [ -z "$(window_id "$1")" ] && return 0
        sleep 0.2
    done
    return 1
}

# Clicks at a point of a window's client area.
click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1 || true
    sleep 0.5
}
# Gives a window the keyboard focus and presses a key there.
press_in() {
    xdotool windowfocus "$1" || true
    sleep 0.2
    xdotool key "$2" || true
}

above_main() {
    local what=$1 main=$2
    if ! wait_mapped "$what" 10; then
        fail "\"$what\" is not mapped"
        return 1
    fi
    sleep 0.5
    shot "$3"
    local a m
    a=$(level "$what")
    m=$(level "$main")
    if [ "$a" -gt "$m" ]; then pass "\"$what\" is mapped above the main window"
    else fail "\"$what\" is mapped below the main window ($a <= $m): $(names | tr '\n' '|')"; fi
}

# A tool window asks the window manager for a frame without minimising or maximising: its
# frame hints allow moving, and closing only where the window has a close button ($2 "close";
# the search page and the statistics windows are left through their own buttons). Under
# openbox, which keeps its buttons against such hints and goes by the window's type, the
# actions it allows must not include minimising or maximising either.
no_buttons() {
    local id hints flags functions allowed close=0 want="a title bar only"
    [ "${2:-}" = close ] && close=32 want="a close button only"
    id=$(window_id "$1")
    hints=$(xprop -id "$id" _MOTIF_WM_HINTS 2>/dev/null | sed -n 's/.*= //p')
    IFS=', ' read -r flags functions _ <<<"$hints"
    if [ -n "$functions" ] && (((flags & 1) && !(functions & (1 | 8 | 16)) && (functions & 32) == close)); then
        pass "\"$1\" asks for a frame with $want ($hints)"
    else
        fail "\"$1\" does not ask for a frame with $want (${hints:-no frame hints})"
    fi
    if [ "$wm" = openbox ]; then
        allowed=$(xprop -id "$id" _NET_WM_ALLOWED_ACTIONS 2>/dev/null | sed -n 's/.*= //p')
        if echo "$allowed" | grep -qE 'MINIMIZE|MAXIMIZE'; then
            fail "the window manager offers to minimise or maximise \"$1\": $allowed"
        else
            pass "the window manager offers neither minimising nor maximising \"$1\""
        fi
    fi
    return 0
}

program() {
    cd "$work/disc"
    "${as_user[@]}" env HOME="$HOME" DISPLAY="$DISPLAY" "./$1" >>"$logs/$wm-program.log" 2>&1
}

# ---- first start: message, installer, end
program vantora &
first=$!
if wait_mapped Vantora 20; then
    sleep 1
    shot first-start-message
    if [ "$(topmost)" = Vantora ]; then pass "the engine message is on top"
    else fail "the engine message is covered: $(names | tr '\n' '|')"; fi
    press_in "$(window_id Vantora)" Return
else
    fail "no engine message at the first start"
fi
if wait_mapped Vantora-Engine 20; then
    shot first-start-installer
    press_in "$(window_id Vantora-Engine)" Return
else
    fail "the installer showed nothing"
fi
status=0
wait "$first" || status=$?
if [ "$status" -eq 2 ]; then pass "the first start ends after the installer"
else fail "the first start ended with $status"; fi
wait_unmapped Vantora-Engine 10 || true

# ---- second start: only the main window remains
program vantora &
pids+=($!)
second=$!
wait_mapped Vantora 30 || fail "no main window at the second start"
main=$(window_id Vantora)
wait_unmapped "Bitte warten..." 10 || true
sleep 1
shot second-start
mapped=$(names | tr '\n' '|')
if [ "$mapped" = "Vantora|" ]; then pass "only the main window is mapped"
else fail "mapped after the start: $mapped"; fi
if xdotool search --name '^Bitte warten\.\.\.$' >/dev/null 2>&1; then
    fail "the wait window still exists"
else
    pass "the wait window is destroyed"
fi
if [ "$wm" = openbox ]; then
    frame=$(xwininfo -id "$main" -frame | awk '/^  Width/ {w=$2} /^  Height/ {h=$2} END {print w "x" h}')
    extents=$(xprop -id "$main" _NET_FRAME_EXTENTS | grep -oE '[0-9]+' | tr '\n' ' ')
    read -r l r t b <<<"$extents"
    size=$(xwininfo -id "$main" | awk '/^  Width/ {w=$2} /^  Height/ {h=$2} END {print w " " h}')
    read -r w h <<<"$size"
    outer="$((w + l + r))x$((h + t + b))"
    if [ "$outer" = 640x487 ]; then pass "the main window's outer size is 640x487"
    else fail "the main window's outer size is $outer (client ${w}x$h, frame $frame)"; fi
fi

# ---- from the keyboard alone: a window opened by its key takes the keys at once, an open
# list keeps Esc to itself, and minimising a statistics window leaves the main window be
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
press_in "$main" F3
if wait_mapped Auswahl-Modul 10; then
    sleep 0.5
    xdotool key Escape || true
    if wait_unmapped Auswahl-Modul 5; then pass "F3 then Esc closes the search page"
    else fail "F3 then Esc left the search page open: the keys went elsewhere"; fi
else
    fail "F3 did not open the search page"
fi
press_in "$main" F3
if wait_mapped Auswahl-Modul 10; then
    sleep 0.5
    # From the title box to the rating list, whose list opens with Alt+Down.
    xdotool key Tab || true
    for k in Escape Return; do
        xdotool key alt+Down || true
        sleep 0.5
        shot "search-list-open-$k"
        xdotool key "$k" || true
        sleep 0.5
        if [ -n "$(window_id Auswahl-Modul)" ]; then pass "$k in an open list closes only the list"
        else fail "$k in an open list closed the search page"; break; fi
    done
    xdotool key Escape || true
    wait_unmapped Auswahl-Modul 5 || fail "Esc after the list was closed did not close the page"
fi
press_in "$main" F4
if wait_mapped "Statistik / Spiele" 10; then
    sleep 0.5
    xdotool key Escape || true
    if wait_unmapped "Statistik / Spiele" 5; then pass "F4 then Esc closes the statistics window"
    else fail "F4 then Esc left the statistics window open: the keys went elsewhere"; fi
else
    fail "F4 did not open the statistics window"
fi
press_in "$main" F4
if wait_mapped "Statistik / Spiele" 10; then
    sleep 0.5
    xdotool windowminimize "$(window_id "Statistik / Spiele")" || true
    sleep 1
    shot stats-minimised
    if viewable "$main"; then pass "minimising a statistics window leaves the main window mapped"
    else fail "minimising a statistics window took the main window with it"; fi
    # Its key brings it back, and Esc closes it.
    press_in "$main" F4
    if wait_mapped "Statistik / Spiele" 10; then
        sleep 0.5
        xdotool key Escape || true
    fi
    wait_unmapped "Statistik / Spiele" 5 || fail "the statistics window did not come back and close"
fi
press_in "$main" F1
if wait_mapped Info 10; then
    sleep 0.5
    # "Ok" has the focus: Enter presses it.
    xdotool key Return || true
    if wait_unmapped Info 5; then pass "F1 then Enter closes Info"
    else
        fail "F1 then Enter left Info open"
        click "$(window_id Info)" 381 196
    fi
else
    fail "F1 did not open Info"
fi

# ---- the search page and the statistics windows above the main window
click "$main" 57 246
above_main Auswahl-Modul Vantora search-page
no_buttons Auswahl-Modul
sp=$(window_id Auswahl-Modul)
[ -n "$sp" ] && click "$sp" 84 192
wait_unmapped Auswahl-Modul 5 || fail "the search page's OK did not close it"

for view in "57 140:Statistik / Spiele:stats-games" "57 165:Statistik / CD & DVD-Inhalt:stats-disc" \
    "57 190:Statistik / Tipps:stats-tips"; do
    IFS=: read -r at title name <<<"$view"
    read -r x y <<<"$at"
    click "$main" "$x" "$y"
    click "$main" 57 339
    above_main "$title" Vantora "$name" || continue
    no_buttons "$title"
    id=$(window_id "$title")
    # "Ok" of the statistics frame.
    top=204
    [ "$name" = stats-disc ] && top=236
    click "$id" 498 $((top + 12))
    wait_unmapped "$title" 5 || fail "\"$title\" did not close through its Ok"
done

# ---- Info
click "$main" 36 413
above_main Info Vantora info
no_buttons Info close
info=$(window_id Info)
[ -n "$info" ] && click "$info" 381 196
wait_unmapped Info 5 || fail "Info did not close through its Ok"

# ---- an import in edit mode: the result box on top, answered with Return
printf 'Schwarzer Kasten\t2002/05\tDemo\tCD\r\n' >"$work/home/import.txt"
chown --reference="$work/home" "$work/home/import.txt"
click "$main" 57 165 # disc contents
xdotool keydown ctrl alt || true
xdotool mousemove --window "$main" 60 40 click 1 || true
xdotool keyup ctrl alt || true
sleep 1
edit=$(names | grep -c '^EDIT-Modus' || true)
if [ "$edit" -ge 1 ]; then pass "edit mode is on"; else fail "edit mode did not come on"; fi
main_title=$(names | grep '^EDIT-Modus' | head -1)
click "$main" 36 413
if wait_mapped Info 10; then
    info=$(window_id Info)
    click "$info" 244 196 # "ASCII-Import (.txt)"
    # The toolkit's file dialog speaks German and opens above Info.
    if wait_mapped "Öffnen" 10; then
        if [ "$(level "Öffnen")" -gt "$(level Info)" ]; then pass "the file dialog opens above Info"
        else fail "the file dialog opens below Info: $(names | tr '\n' '|')"; fi
    else
        fail "no file dialog titled \"Öffnen\": $(names | tr '\n' '|')"
    fi
    sleep 1
    shot import-dialog
    xdotool type --delay 20 "$work/home/import.txt" || true
    xdotool key Return || true
    if wait_mapped Vantora 15; then
        sleep 1
        shot import-result
        if [ "$(topmost)" = Vantora ]; then pass "the import's result box is on top"
        else fail "the import's result box is covered: $(names | tr '\n' '|')"; fi
        # Return goes to whichever window has the focus: it must be the box.
        xdotool key Return || true
        if wait_unmapped Vantora 5; then pass "the result box took Return"
        else fail "the result box did not take Return"; fi
    else
        fail "no result box after the import"
    fi
    info=$(window_id Info)
    [ -n "$info" ] && click "$info" 381 196
    wait_unmapped Info 5 || fail "Info did not close after the import"
else
    fail "Info did not open in edit mode"
fi
shot end
[ -n "$main_title" ] || main_title=Vantora

# ---- Ende
main=$(window_id "$main_title")
[ -n "$main" ] && click "$main" 94 413
status=0
until=$((SECONDS + 10))
while [ "$SECONDS" -lt "$until" ] && kill -0 "$second" 2>/dev/null; do sleep 0.2; done
if kill -0 "$second" 2>/dev/null; then fail "the program did not end through \"Ende\""
else wait "$second" || status=$?; [ "$status" -eq 0 ] || fail "the program ended with $status"; fi

if [ "$failures" -gt 0 ]; then
    echo "desktop check [$wm]: $failures failed (screenshots in $logs)"
    exit 1
fi
echo "desktop check [$wm]: passed (screenshots in $logs)"
