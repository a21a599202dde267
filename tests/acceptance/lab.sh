#!/usr/bin/env bash
# The experimenter's window in a real X display, driven by keys: a version's goal line typed
# as a value the rules refuse (Save names the rule's message), then as a good value, saved,
# and seen stored when the window opens the study again; then the study exported from the Data
# tab, file for file as fluxmere-db exports it.
#   lab.sh FLUXMERE-LAB FLUXMERE-DB
set -uo pipefail

SCENARIO=lab
LAB=$1
TOOL=$2
source "$(dirname "$0")/lib.sh"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/fluxmere-acceptance.XXXXXX")
trap cleanup EXIT

# The window on the study, with settings of its own (the recent studies) in the work folder.
start_lab() {
    step "open the study in the lab window"
    mkdir -p -m 700 "$WORK/runtime"
    (cd "$WORK" && HOME="$WORK" XDG_CONFIG_HOME="$WORK/config" XDG_RUNTIME_DIR="$WORK/runtime" \
        QT_QPA_PLATFORM=xcb exec "$LAB" "$DB" >>"$WORK/fluxmere.log" 2>&1) &
    PROGRAM_PID=$!
    wait_window ' - Fluxmere Lab$'
    LAB_WINDOW=$WINDOW
    focus "$LAB_WINDOW"
}

# The versions list (Alt+N), a version typed to choose it, then the goal line: the second
# setting of the "Stock and goal" box (Alt+G).
go_to_goal_line() {
    local version=$1
    step "choose $version and go to its goal line"
    press alt+n
    type_text "$version"
    sleep 0.5
    press alt+g Tab
}

# What Ctrl+A and Ctrl+C copy from the focused control.
copied() {
    press ctrl+a ctrl+c
    sleep 0.2
    timeout 5 xclip -o -selection clipboard 2>/dev/null
}

quit_lab() {
    step "quit with Ctrl+Q"
    focus "$LAB_WINDOW"
    press ctrl+q
    wait_program_end 0
}

command -v xdotool >/dev/null || fail "xdotool is not installed (scripts/install-deps.sh)"
command -v xclip >/dev/null || fail "xclip is not installed (scripts/install-deps.sh)"
start_display
DB="$WORK/study.mdb"
"$TOOL" demo "$DB" >/dev/null || fail "fluxmere-db demo"

start_lab
go_to_goal_line TankP
step "type a goal line the rules refuse and save"
press ctrl+a
type_text "6O"
press ctrl+s
wait_window '^Fluxmere Lab$'
box=$WINDOW
focus "$box"
# The message is read back as the experimenter copies it: a click into its text first.
click "$box" 120 18
said=$(copied)
expected="Version 'TankP' is not saved: column GoalLinePoisition: '6O' is not a number"
grep -qF "$expected" <<<"$said" || fail "the message box says: $said"
press Return
wait_window_gone "$box"
expect_query "select GoalLinePoisition from tblSetup where Version='TankP'" "60.0"

step "type a good goal line and save"
focus "$LAB_WINDOW"
press ctrl+a
type_text "45"
press ctrl+s
wait_query "select GoalLinePoisition from tblSetup where Version='TankP'" "45.0"
quit_lab

start_lab
go_to_goal_line TankP
step "see the stored goal line"
shown=$(copied)
[ "$shown" = "45" ] || fail "the goal line shows '$shown'"

step "export from the Data tab into a folder typed in the folder dialog"
mkdir "$WORK/from-lab"
press alt+d alt+e
wait_window '^Export into the folder$'
focus "$WINDOW"
type_text "$WORK/from-lab"
press Return
for _ in $(seq $((WAIT_SECONDS * 10))); do
    [ -e "$WORK/from-lab/codebook.md" ] && break
    sleep 0.1
done
[ -e "$WORK/from-lab/codebook.md" ] || fail "no export in $WORK/from-lab"
"$TOOL" export "$DB" "$WORK/from-tool" >/dev/null || fail "fluxmere-db export"
# The codebook says when it was written; everything else is the same.
diff -r -I '^- Exported at: ' "$WORK/from-tool" "$WORK/from-lab" >&2 || fail "the window's export differs from the tool's"
quit_lab
echo "ACCEPTANCE PASSED [$SCENARIO]"
