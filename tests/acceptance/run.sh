#!/usr/bin/env bash
# One whole-program run: the real fluxmere in a real X window, driven with keys and clicks as
# a participant and an experimenter would, then the recorded tables checked.
#   run.sh SCENARIO FLUXMERE FLUXMERE-DB CLOSE-WINDOW
# Scenarios: paced, timed, resume, second-copy, exit-password, close-cancel, database-failure,
# quit, german (every version in German), guide (the experimenter's guide's commands in order, see guide.sh), server and
# server-exit (the station pointed at the test server that ctest started, logging in with a
# station's own login).
# Each checks the program's exit status: 0 only for a finished experiment.
set -uo pipefail

SCENARIO=$1
PROGRAM=$2
TOOL=$3
CLOSE_WINDOW=$4
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/guide.sh"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/fluxmere-acceptance.XXXXXX")
trap cleanup EXIT

# Where the controls are, in pixels inside their window (15 twips a pixel).
readonly MAJOR_BOX="168 85" FEMALE="176 49" AGE_BOX="84 45"
readonly INFLOW_BOX="616 478" OUTFLOW_BOX="616 526" SUBMIT="728 528"
readonly USERNAME_BOX="216 56" PASSWORD_BOX="216 120" EXIT_BUTTON="88 176" CANCEL_BUTTON="228 176"
readonly AFTER_COST="eventType='After Cost Calculation'"

# log_in NAME VERSION [TITLE]: the login window is titled TITLE, English unless told.
log_in() {
    local name=$1 version=$2 title=${3:-Welcome} window
    step "log in as $name, version $version"
    wait_window "^$title\$"
    window=$WINDOW
    focus "$window"
    type_text "$name"
    press Tab
    type_text "$version"
    press Return
}

register() {
    local name=$1 window
    step "register $name: age 23, Female, Physics, Begin"
    wait_window "^Subject Info: $name\$"
    window=$WINDOW
    focus "$window"
    click "$window" $MAJOR_BOX
    press ctrl+a
    type_text Physics
    click "$window" $FEMALE
    click "$window" $AGE_BOX
    type_text 23
    press Return
}

simulation_window() {
    step "the simulation screen opens"
    wait_window '^Fluxmere$'
    SIM=$WINDOW
}

# Types the keys into the two order boxes (each starts at its end) and presses Submit by
# Enter or by a click.
enter_orders() {
    local inflow_keys=$1 outflow_keys=$2 how=$3
    step "period orders: inflow keys '$inflow_keys', outflow keys '$outflow_keys', Submit by $how"
    focus "$SIM"
    click "$SIM" $INFLOW_BOX
    press End
    type_text "$inflow_keys"
    click "$SIM" $OUTFLOW_BOX
    press End
    [ -n "$outflow_keys" ] && type_text "$outflow_keys"
    if [ "$how" = Enter ]; then press Return; else click "$SIM" $SUBMIT; fi
}

wait_periods_scored() {
    local subject=$1 count=$2
    step "period $count of $subject is scored"
    wait_query "select count(*) from datExperimentTrials where Subject='$subject' and $AFTER_COST" \
        "$count"
}

# The earnings message is a second window titled "Fluxmere"; OK on it ends the program.
earnings_message_ends_the_program() {
    local box=""
    step "the earnings message appears"
    for _ in $(seq $((WAIT_SECONDS * 10))); do
        box=$(windows_named '^Fluxmere$' | grep -vx "$SIM" | head -n1)
        [ -n "$box" ] && break
        program_alive || fail "the program ended without the earnings message"
        sleep 0.1
    done
    [ -n "$box" ] || fail "no earnings message after ${WAIT_SECONDS}s"
    step "OK on the earnings message ends the program"
    focus "$box"
    press Return
    wait_program_end 0
}

# However the program ended, it gave up the one claim it held on the run.
expect_claim_given_up() {
    step "check that the run's claim was given up as the program ended"
    expect_query "select count(*) from datRunClaims where Released = -1" 1
    expect_query "select count(*) from datRunClaims where Released = 0 and TakenOver = 0" 0
}

submit_rows() {
    query "select Trial, UserInFlow, UserOutFlow from datExperimentTrials
           where Subject='$1' and eventType='Submit Clicked' order by EventID"
}

expect_registered() {
    local name=$1 version=$2 condition=$3
    step "check datSubject for $name"
    expect_query "select Subject, Version, Condition, Major, Gender, Age from datSubject
                  where Subject='${name//\'/\'\'}'" "$name|$version|$condition|Physics|Female|23.0"
}

scenario_paced() {
    local name="Ann O'Brien" quoted="Ann O''Brien"
    make_database 700
    start_program
    log_in "$name" TankP
    register "$name"
    simulation_window
    # The filter leaves "2.5" of these keys; the outflow's zero is replaced by the 1.
    enter_orders "2.5.x-/" 1 Enter
    wait_periods_scored "$quoted" 1
    # An emptied box refuses a typed zero and Submit takes it as 0.
    enter_orders 3 $'\b0' click
    wait_periods_scored "$quoted" 2
    enter_orders 4 2 Enter
    wait_periods_scored "$quoted" 3
    earnings_message_ends_the_program
    expect_registered "$name" TankP continuous
    step "check the orders of every period"
    [ "$(submit_rows "$quoted")" = $'1|2.5|1.0\n2|3.0|0.0\n3|4.0|2.0' ] ||
        fail "Submit rows: $(submit_rows "$quoted" | tr '\n' ' ')"
    step "check one summary row and one Submit time per period"
    expect_query "select group_concat(Trial) from (select Trial from datTrialSummary
                  where Subject='$quoted' order by Trial)" "1,2,3"
    expect_query "select count(*) from datUserTimesSummary where Subject='$quoted'" 3
    expect_claim_given_up
}

scenario_timed() {
    make_database 2500  # time to type the orders and press twice within one period
    start_program
    log_in Ben TankT
    register Ben
    simulation_window
    step "the clock opens the first period"
    wait_query "select count(*) > 0 from datExperimentTrials
                where Subject='Ben' and eventType='Environment Effect'" 1
    enter_orders 5 2 Enter
    step "two more quick Submits in the same period, by Enter and by a click"
    press Return
    click "$SIM" $SUBMIT
    earnings_message_ends_the_program
    expect_registered Ben TankT continuous
    step "check that one order was taken, and that the clock ran every period"
    expect_query "select count(*) from datExperimentTrials where Subject='Ben'
                  and eventType='Submit Clicked'" 1
    expect_query "select Trial, UserInFlow, UserOutFlow from datExperimentTrials
                  where Subject='Ben' and eventType='Submit Clicked'" "1|5.0|2.0"
    expect_query "select max(Trial) from datExperimentTrials where Subject='Ben'" 3
    expect_query "select count(*) from datUserTimesSummary where Subject='Ben'" 1
    step "check that the order arrived once, in period 2 (delays of 2), and nothing is on order"
    expect_query "select count(*) from datExperimentTrials where Subject='Ben'
                  and eventType='User Inflow' and Trial=2" 1
    expect_query "select TotalBackOrder, TotalForwardDischarge from datExperimentTrials
                  where Subject='Ben' order by EventID desc limit 1" "0.0|0.0"
}

scenario_resume() {
    make_database 700
    start_program
    log_in Cleo StoreP
    register Cleo
    simulation_window
    # The store counts people: no decimal point.
    enter_orders 3.5 2 Enter
    wait_periods_scored Cleo 1
    step "the station fails: the program is killed after period 1"
    kill -9 "$PROGRAM_PID"
    wait "$PROGRAM_PID" 2>/dev/null
    PROGRAM_PID=""
    start_program
    log_in Cleo StoreP
    step "'Continue with Trial #2' answered Yes"
    local question
    wait_window '^Login Cleo already used$'
    question=$WINDOW
    focus "$question"
    press Return
    simulation_window
    enter_orders 1 1 Enter
    wait_periods_scored Cleo 2
    enter_orders 2 "" click
    wait_periods_scored Cleo 3
    earnings_message_ends_the_program
    expect_registered Cleo StoreP discrete
    step "check that the continued run recorded each period once"
    expect_query "select count(*) from datSubject where Subject='Cleo'" 1
    [ "$(submit_rows Cleo)" = $'1|35.0|2.0\n2|1.0|1.0\n3|2.0|0.0' ] ||
        fail "Submit rows: $(submit_rows Cleo | tr '\n' ' ')"
    expect_query "select group_concat(Trial) from (select Trial from datExperimentTrials
                  where Subject='Cleo' and $AFTER_COST order by EventID)" "1,2,3"
    step "check that the killed program's claim was taken over at once and the last one given up"
    expect_query "select group_concat(TakenOver || ' ' || Released, ',') from (select TakenOver,
                  Released from datRunClaims where Subject='Cleo' order by rowid)" "-1 0,0 -1"
}

# Two copies of the program on one computer, under one host name: the second refuses the
# participant the first plays and claims nothing; the first plays on to the end.
scenario_second_copy() {
    make_database 700
    start_program
    log_in Gil TankP
    register Gil
    simulation_window
    enter_orders 1 1 Enter
    wait_periods_scored Gil 1
    local first=$PROGRAM_PID first_sim=$SIM box
    start_program
    log_in Gil TankP
    step "the second copy refuses Gil, naming the station that plays the run"
    SIM=$first_sim
    for _ in $(seq $((WAIT_SECONDS * 10))); do
        box=$(windows_named '^Fluxmere$' | grep -vx "$first_sim" | head -n1)
        [ -n "$box" ] && break
        sleep 0.1
    done
    [ -n "$box" ] || fail "no refusal after ${WAIT_SECONDS}s"
    [ -z "$(windows_named '^Login Gil already used$')" ] || fail "the continuation was offered"
    focus "$box"
    press Return
    wait_window_gone "$box"
    expect_query "select count(*) from datRunClaims where Subject='Gil'" 1
    step "the second copy's login is closed"
    wait_window '^Welcome$'
    "$CLOSE_WINDOW" "$WINDOW" || fail "close-window"
    wait_program_end 5
    step "the first copy plays on"
    PROGRAM_PID=$first
    enter_orders 2 1 Enter
    wait_periods_scored Gil 2
    enter_orders 3 1 Enter
    wait_periods_scored Gil 3
    earnings_message_ends_the_program
    expect_query "select count(*) from datSubject where Subject='Gil'" 1
    expect_query "select count(*) = count(distinct EventID) from datExperimentTrials
                  where Subject='Gil'" 1
    expect_query "select Released from datRunClaims where Subject='Gil'" -1
}

# The paced run with the station pointed at the lab server: every row goes to the server,
# none into the station's own file.
scenario_server() {
    local name="Ann O'Brien" quoted="Ann O''Brien"
    SERVER_DB="fx_acceptance_$$"
    make_database 700
    start_program
    log_in "$name" TankP
    register "$name"
    simulation_window
    enter_orders 2.5 1 Enter
    wait_periods_scored "$quoted" 1
    enter_orders 3 $'\b0' click
    wait_periods_scored "$quoted" 2
    enter_orders 4 2 Enter
    wait_periods_scored "$quoted" 3
    earnings_message_ends_the_program
    step "check datSubject and the orders of every period on the server"
    expect_query "select Subject, Version, Condition, Major, Gender, Age from datSubject" \
        "$name|TankP|continuous|Physics|Female|23"
    [ "$(submit_rows "$quoted")" = $'1|2.5|1\n2|3|0\n3|4|2' ] ||
        fail "Submit rows: $(submit_rows "$quoted" | tr '\n' ' ')"
    expect_query "select count(*) from datTrialSummary where Subject='$quoted'" 3
    expect_query "select count(*) from datUserTimesSummary where Subject='$quoted'" 3
    expect_claim_given_up
    step "the station's own file recorded nothing"
    local server=$SERVER_DB
    SERVER_DB="" DB="$WORK/data/Hydrovat.mdb"
    expect_query "select count(*) from datSubject" 0
    SERVER_DB=$server
}

# A station with a login of its own on the server: a run killed after two periods is
# continued, its third period played, and the experimenter ends it with the password, which
# the server checks for the station.
scenario_server_exit() {
    SERVER_DB="fx_acceptance_exit_$$"
    make_database 700 5
    start_program
    log_in Dan TankP
    register Dan
    simulation_window
    enter_orders 1 1 Enter
    wait_periods_scored Dan 1
    enter_orders 2 1 Enter
    wait_periods_scored Dan 2
    step "the station fails: the program is killed after period 2"
    kill -9 "$PROGRAM_PID"
    wait "$PROGRAM_PID" 2>/dev/null
    PROGRAM_PID=""
    start_program
    log_in Dan TankP
    step "'Continue with Trial #3' answered Yes"
    local question
    wait_window '^Login Dan already used$'
    question=$WINDOW
    focus "$question"
    press Return
    simulation_window
    enter_orders 3 1 Enter
    wait_periods_scored Dan 3
    exit_key_opens_the_password_form
    try_password wrong
    step "the wrong password is refused"
    wait_window '^Password Incorrect$'
    focus "$WINDOW"
    press Return
    wait_window_gone "$WINDOW"
    try_password fluxmere
    step "the right password ends the program without the earnings message"
    wait_program_end 4
    step "check that every period was recorded once on the server"
    expect_query "select count(*) from datSubject where Subject='Dan'" 1
    [ "$(submit_rows Dan)" = $'1|1|1\n2|2|1\n3|3|1' ] ||
        fail "Submit rows: $(submit_rows Dan | tr '\n' ' ')"
    expect_query "select string_agg(Trial::text, ',' order by Trial) from datTrialSummary
                  where Subject='Dan'" "1,2,3"
    expect_query "select count(*) from datUserTimesSummary where Subject='Dan' and superseded = 0" 3
    expect_claim_given_up
}

# Ctrl+X in an order box brings the prompt; Escape answers No, Enter Yes.
exit_key_prompt() {
    local answer=$1 prompt
    step "Ctrl+X in the inflow box, answered $answer"
    focus "$SIM"
    click "$SIM" $INFLOW_BOX
    press ctrl+x
    wait_window '^Exit Application$'
    prompt=$WINDOW
    focus "$prompt"
    if [ "$answer" = No ]; then press Escape; else press Return; fi
    wait_window_gone "$prompt"
}

exit_key_opens_the_password_form() {
    exit_key_prompt Yes
    step "the password form opens"
    wait_window '^Authentication$'
    AUTH=$WINDOW
}

try_password() {
    local password=$1
    step "experimenter / '$password' on the password form"
    focus "$AUTH"
    click "$AUTH" $USERNAME_BOX
    type_text experimenter
    click "$AUTH" $PASSWORD_BOX
    type_text "$password"
    click "$AUTH" $EXIT_BUTTON
}

scenario_exit_password() {
    make_database 700
    start_program
    log_in Dan TankP
    register Dan
    simulation_window
    enter_orders 1 1 Enter
    wait_periods_scored Dan 1
    local rows
    rows=$(query "select count(*) from datExperimentTrials where Subject='Dan'")
    exit_key_prompt No
    step "No leaves the experiment as it was: no password form"
    sleep 0.5
    [ -z "$(windows_named '^Authentication$')" ] || fail "the password form opened after No"
    program_alive || fail "the program ended after No"
    exit_key_opens_the_password_form
    try_password wrong
    step "the wrong password is refused"
    local refused
    wait_window '^Password Incorrect$'
    refused=$WINDOW
    focus "$refused"
    press Return
    wait_window_gone "$refused"
    program_alive || fail "the program ended after a wrong password"
    try_password fluxmere
    step "the right password ends the program without the earnings message"
    wait_program_end 4
    expect_query "select count(*) from datExperimentTrials where Subject='Dan'" "$rows"
    expect_claim_given_up
}

cancel_keeps_the_simulation_window() {
    step "Cancel keeps the simulation window open"
    focus "$AUTH"
    click "$AUTH" $CANCEL_BUTTON
    wait_window_gone "$AUTH"
    windows_named '^Fluxmere$' | grep -qx "$SIM" || fail "the simulation window is gone"
    program_alive || fail "the program ended"
}

# X, Y, WIDTH and HEIGHT of a window.
window_geometry() {
    eval "$($XDO getwindowgeometry --shell "$1")" || fail "no geometry of window $1"
}

# On the whole screen the simulation window sits in the middle of the display.
expect_centred() {
    window_geometry "$1"
    [ $((X * 2 + WIDTH)) -eq "$SCREEN_WIDTH" ] && [ $((Y * 2 + HEIGHT)) -eq "$SCREEN_HEIGHT" ] ||
        fail "window $1 at $X,$Y ${WIDTH}x$HEIGHT is not centred on $SCREEN_SIZE"
}

# Whether the program's backdrop covers the whole display: yes or no.
expect_whole_screen() {
    local expected=$1 covered=no window
    for window in $(windows_named '^Fluxmere station$'); do
        window_geometry "$window"
        [ "$X,$Y,$WIDTH,$HEIGHT" = "0,0,$SCREEN_WIDTH,$SCREEN_HEIGHT" ] && covered=yes
    done
    [ "$covered" = "$expected" ] || fail "the program covers the whole screen: $covered"
}

scenario_close_cancel() {
    make_database 700
    start_program
    log_in Eve TankP
    register Eve
    simulation_window
    expect_whole_screen yes
    expect_centred "$SIM"
    step "the window's close command opens the password form"
    "$CLOSE_WINDOW" "$SIM" || fail "close-window"
    wait_window '^Authentication$'
    AUTH=$WINDOW
    cancel_keeps_the_simulation_window
    step "Alt+F4 opens the password form"
    focus "$SIM"
    click "$SIM" $INFLOW_BOX
    press alt+F4
    wait_window '^Authentication$'
    AUTH=$WINDOW
    cancel_keeps_the_simulation_window
    for period in 1 2 3; do
        enter_orders "$period" 1 Enter
        wait_periods_scored Eve "$period"
    done
    earnings_message_ends_the_program
    expect_query "select count(*) from datTrialSummary where Subject='Eve'" 3
}

# Escape answers No on a Yes/No question.
answer_no() {
    local title=$1 box
    step "'$title' answered No"
    wait_window "$title"
    box=$WINDOW
    focus "$box"
    press Escape
    wait_window_gone "$box"
}

scenario_database_failure() {
    make_database 700
    start_program
    log_in Fay TankP
    register Fay
    simulation_window
    enter_orders 1 1 Enter
    wait_periods_scored Fay 1
    hold_write_lock
    enter_orders 2 2 Enter
    answer_no '^Error 3050: Recording data$'
    answer_no '^Problems opening table$'
    step "the session ends saying the database stopped it, not with the earnings"
    wait_window '^Database problem$'
    local box=$WINDOW
    [ -z "$(windows_named '^Fluxmere$' | grep -vx "$SIM")" ] || fail "the earnings message showed"
    # The neighbour's write passes while the experimenter reads the message.
    release_write_lock
    focus "$box"
    press Return
    wait_program_end 3
    expect_query "select count(*) from datTrialSummary where Subject='Fay'" 1
    expect_claim_given_up
}

# Every version set to German: the program speaks German from the login to the Ctrl+X
# question and the password form, and records what it always records.
scenario_german() {
    make_database 700
    query "UPDATE tblSetup SET Language = 'de'" || fail "setting the versions' language"
    start_program
    log_in Eva TankP Willkommen
    step "the registration is German: age 23, Frau, Physik, Begin"
    wait_window '^Angaben zur Person: Eva$'
    focus "$WINDOW"
    click "$WINDOW" $MAJOR_BOX
    press ctrl+a
    type_text Physik
    click "$WINDOW" $FEMALE
    click "$WINDOW" $AGE_BOX
    type_text 23
    press Return
    simulation_window
    step "the Ctrl+X question is German, answered No"
    focus "$SIM"
    click "$SIM" $INFLOW_BOX
    press ctrl+x
    wait_window '^Programm beenden$'
    focus "$WINDOW"
    press Escape
    wait_window_gone "$WINDOW"
    step "Ctrl+X answered Yes opens the German password form"
    click "$SIM" $INFLOW_BOX
    press ctrl+x
    wait_window '^Programm beenden$'
    focus "$WINDOW"
    press Return
    wait_window '^Anmeldung$'
    AUTH=$WINDOW
    try_password fluxmere
    wait_program_end 4
    step "the participant is recorded as in English"
    expect_query "select Major || '|' || Gender from datSubject where Subject='Eva'" "Physics|Female"
}

scenario_quit() {
    make_database 700
    start_program --windowed
    step "the login window is closed"
    wait_window '^Welcome$'
    expect_whole_screen no
    "$CLOSE_WINDOW" "$WINDOW" || fail "close-window"
    wait_program_end 5
    expect_query "select count(*) from datSubject" 0
}

command -v xdotool >/dev/null || fail "xdotool is not installed (scripts/install-deps.sh)"
command -v sqlcipher >/dev/null || fail "sqlcipher is not installed (scripts/install-deps.sh)"
start_display
step "choose the scenario"
case "$SCENARIO" in
    paced) scenario_paced ;;
    timed) scenario_timed ;;
    resume) scenario_resume ;;
    second-copy) scenario_second_copy ;;
    exit-password) scenario_exit_password ;;
    close-cancel) scenario_close_cancel ;;
    database-failure) scenario_database_failure ;;
    quit) scenario_quit ;;
    german) scenario_german ;;
    server) scenario_server ;;
    server-exit) scenario_server_exit ;;
    guide) scenario_guide ;;
    *) fail "unknown scenario '$SCENARIO'" ;;
esac
echo "ACCEPTANCE PASSED [$SCENARIO]"
