# The experimenter's guide run as written: every command of its chapters 1 to 7, in order, in a
# scratch folder laid out as a build (build/bin/fluxmere, fluxmere-db on the PATH). The one step
# that is a person, the participant's session, is played in the real program's window as the
# guide walks through it. A command or option the tool lacks, or an output the guide quotes that
# changed, fails the run. Sourced by run.sh, which provides the window helpers.

readonly GUIDE="$(dirname "$0")/../../docs/guide.md"

# The commands of chapters 1-7: the lines of the code blocks (indented four spaces, six in a list) that
# run a program, continuation lines joined.
guide_commands() {
    awk '
        /^## 1\./ { inside = 1 } /^## 8\./ { inside = 0 }
        !inside { next }
        {
            text = pending == "" ? $0 : pending " " $0
            pending = ""
            if (text ~ /\\$/) { sub(/\\$/, "", text); pending = text; next }
            if (text ~ /^    (  )?(fluxmere-db|build\/bin\/fluxmere|cp|mkdir)( |$)/) {
                sub(/^ +/, "", text); gsub(/ +/, " ", text); print text
            }
        }
    ' "$GUIDE"
}

# The lines the guide shows as the output of its random pilot (the summary below the runs).
guide_pilot_summary() {
    awk '/The second command above prints/ { inside = 1; next }
         inside && /^    +(mean|spread|minimum|maximum) / { gsub(/ +/, " "); sub(/^ /, ""); print }
         inside && /^per run/ { exit }' "$GUIDE"
}

squeeze() { tr -s ' ' <<<"$1" | sed 's/^ //'; }

expect_output() {
    local wanted=$1
    grep -qF -- "$wanted" <<<"$(squeeze "$OUTPUT")" || fail "the output lacks '$wanted':
$OUTPUT"
}

run_guide_command() {
    local command=$1 status
    OUTPUT=$(cd "$WORK" && eval "$command" 2>&1 </dev/null)
    status=$?
    [ "$status" = 0 ] || fail "exit status $status:
$OUTPUT"
}

# A window that is still open after a few seconds: the command is running as it should.
run_until_stopped() {
    local command=$1 status
    OUTPUT=$(cd "$WORK" && eval "timeout 3 $command" 2>&1 </dev/null)
    status=$?
    [ "$status" = 124 ] || fail "ended by itself with status $status:
$OUTPUT"
}

# Ann plays TankP to the earnings message, ordering 3 in and 1 out each period.
play_participant_session() {
    local periods period
    periods=$(query "select MaxTrial from tblSetup where Version='TankP'")
    (cd "$WORK" && XDG_RUNTIME_DIR="$WORK/runtime" QT_QPA_PLATFORM=xcb exec build/bin/fluxmere \
        >>"$WORK/fluxmere.log" 2>&1) &
    PROGRAM_PID=$!
    log_in Ann TankP
    register Ann
    simulation_window
    for period in $(seq "$periods"); do
        enter_orders 3 1 Enter
        wait_periods_scored Ann "$period"
    done
    earnings_message_ends_the_program
}

run_guide_step() {
    local command=$1
    step "guide: $command"
    case "$command" in
        build/bin/fluxmere) play_participant_session ;;
        *" passwd "*)
            OUTPUT=$(cd "$WORK" && eval "$command" 2>&1 <<<"guide-password-1") ||
                fail "passwd: $OUTPUT" ;;
        *" --watch"* | *" monitor "*) run_until_stopped "$command" ;;
        *" merge study.mdb station1.mdb"*)
            # The stations' files as a lab brings them back after the session.
            for station in 1 2 3; do cp "$DB" "$WORK/station$station.mdb"; done
            run_guide_command "$command" ;;
        *) run_guide_command "$command" ;;
    esac
    case "$command" in
        "fluxmere-db check study.mdb") expect_output "no problems found; 7 warnings" ;;
        "fluxmere-db simulate study.mdb TankP") expect_output "1 1 46.000 8 7.00 15.000" ;;
        *" --strategy random "*)
            while read -r line; do expect_output "$line"; done < <(guide_pilot_summary) ;;
        *" status build/bin/data/Hydrovat.mdb #"*)
            expect_output "STATION PARTICIPANT VERSION PERIOD AMOUNT GOAL BONUS QUIET(S) STATE"
            expect_output "TankP 20/20" ;;
        *" replay "*) expect_output "version TankT, strategy replay, 1 run, 20 periods" ;;
    esac
}

scenario_guide() {
    local commands count
    step "lay out a build in the scratch folder"
    mkdir -p "$WORK/build/bin" "$WORK/path"
    mkdir -m 700 "$WORK/runtime"
    cp "$PROGRAM" "$WORK/build/bin/fluxmere"
    ln -s "$TOOL" "$WORK/path/fluxmere-db"
    export PATH="$WORK/path:$PATH"
    DB="$WORK/build/bin/data/Hydrovat.mdb"
    mapfile -t commands < <(guide_commands)
    count=${#commands[@]}
    [ "$count" -ge 20 ] || fail "only $count commands found in the guide's chapters 1-7"
    [ "$(guide_pilot_summary | wc -l)" = 4 ] || fail "the guide's pilot summary was not found"
    for command in "${commands[@]}"; do run_guide_step "$command"; done
    step "the study holds Ann's run and the export holds what the study holds"
    DB="$WORK/study.mdb"
    expect_query "select count(*) from datTrialSummary where Subject='Ann'" 20
    [ -s "$WORK/ann.png" ] || fail "no plot ann.png"
    [ "$(grep -c '^Ann,' "$WORK/results-ann/datTrialSummary.csv")" = 20 ] ||
        fail "the export of Ann lacks periods"
}
