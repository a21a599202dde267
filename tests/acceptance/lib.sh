# Helpers of the whole-program runs: a private X display, a test database with short
# intervals, the program started beside it, and keys and clicks sent as a person would.
# Sourced by run.sh, which sets PROGRAM, TOOL, CLOSE_WINDOW and SCENARIO.

readonly DB_KEY='KvNp_*R*_z'
readonly WAIT_SECONDS=20
# No single X request may hang a run.
readonly XDO="timeout 10 xdotool"
# A screen on which the forms keep their design size (15 twips a pixel).
readonly SCREEN_WIDTH=1088 SCREEN_HEIGHT=800
readonly SCREEN_SIZE=${SCREEN_WIDTH}x${SCREEN_HEIGHT}x24

WORK=""
XVFB_PID=""
PROGRAM_PID=""
STEP="start"

step() {
    STEP="$*"
    echo "-- [$SCENARIO] $STEP"
}

fail() {
    echo "ACCEPTANCE FAILED [$SCENARIO] at step: $STEP${1:+: $1}" >&2
    if [ -n "$WORK" ] && [ -n "${DISPLAY:-}" ]; then
        import -display "$DISPLAY" -window root "$WORK/failure.png" 2>/dev/null &&
            echo "   screen at the failure: $WORK/failure.png" >&2
    fi
    [ -s "$WORK/fluxmere.log" ] && sed 's/^/   program: /' "$WORK/fluxmere.log" >&2
    KEEP_WORK=1
    exit 1
}

cleanup() {
    [ -n "$PROGRAM_PID" ] && kill -9 "$PROGRAM_PID" 2>/dev/null
    release_write_lock
    drop_server_database
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    if [ -n "$WORK" ] && [ -z "${KEEP_WORK:-}" ]; then rm -rf "$WORK"; fi
}

# A display of our own: Xvfb picks a free number and tells it through a file descriptor.
# No reset when the last client leaves: a program started right after a killed one would
# otherwise race the server's reset and find no display.
start_display() {
    step "start a private X display"
    "$(command -v Xvfb)" -displayfd 5 -screen 0 "$SCREEN_SIZE" -nolisten tcp -noreset \
        5>"$WORK/display" 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$WORK/display" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$WORK/display")"
}

# The demo database with three periods (or PERIODS) and pauses of tens of milliseconds; the
# time-driven versions open a period every PERIOD_MS.
make_database() {
    local period_ms=$1 periods=${2:-3}
    step "build the test database"
    mkdir -p "$WORK/data" "$WORK/csv" "$WORK/setup"
    DB="$WORK/data/Hydrovat.mdb"
    if [ -n "$SERVER_DB" ]; then
        DB="postgresql://postgres:$DB_KEY@/$SERVER_DB?host=$FLUXMERE_TEST_PGHOST"
    fi
    "$TOOL" demo "$DB" >/dev/null || fail "fluxmere-db demo"
    "$TOOL" export "$DB" "$WORK/csv" >/dev/null || fail "fluxmere-db export"
    awk -F, -v OFS=, -v period="$period_ms" -v periods="$periods" '
        { sub(/\r$/, "") }
        NR == 1 { for (i = 1; i <= NF; i++) col[$i] = i; print; next }
        {
            $col["MaxTrial"] = periods
            $col["userDelay"] = 20; $col["envDelay"] = 20
            $col["UsrMv"] = 20; $col["EnvMv"] = 20
            $col["TimeBetweenEnvTries"] = period
            print
        }' "$WORK/csv/tblSetup.csv" >"$WORK/setup/tblSetup.csv"
    "$TOOL" import "$DB" "$WORK/setup" --replace >/dev/null || fail "fluxmere-db import"
    cp "$PROGRAM" "$WORK/fluxmere"
    if [ -n "$SERVER_DB" ]; then
        step "give the station a login of its own and point the station at it"
        STATION_ROLE="${SERVER_DB}_station"
        server_sql postgres "CREATE ROLE $STATION_ROLE LOGIN PASSWORD '$STATION_PASSWORD'" ||
            fail "creating the station's login"
        "$TOOL" grant "$DB" "$STATION_ROLE" >/dev/null || fail "fluxmere-db grant"
        "$TOOL" create "$WORK/data/Hydrovat.mdb" >/dev/null || fail "fluxmere-db create"
        "$TOOL" station "$WORK/data/Hydrovat.mdb" \
            "postgresql://$STATION_ROLE:$STATION_PASSWORD@/$SERVER_DB?host=$FLUXMERE_TEST_PGHOST" \
            >/dev/null || fail "fluxmere-db station"
    fi
}

# The write lock of the test database, held by the sqlcipher shell (as an import would hold
# it) until release_write_lock.
LOCK_PID=""
hold_write_lock() {
    step "another program holds the database's write lock"
    mkfifo "$WORK/lock.fifo"
    sqlcipher -batch "$DB" <"$WORK/lock.fifo" >/dev/null 2>&1 &
    LOCK_PID=$!
    exec 7>"$WORK/lock.fifo"
    printf "PRAGMA key='%s';\nBEGIN IMMEDIATE;\nSELECT count(*) FROM tblSetup;\n" "$DB_KEY" >&7
    sleep 0.5
}

release_write_lock() {
    [ -n "$LOCK_PID" ] || return 0
    exec 7>&-
    wait "$LOCK_PID" 2>/dev/null
    LOCK_PID=""
}

# One statement as the server's superuser, in the named database.
server_sql() {
    PGPASSWORD="$DB_KEY" psql -h "$FLUXMERE_TEST_PGHOST" -U postgres -d "$1" -qc "$2" \
        >/dev/null 2>&1
}

# The server's database of this run goes with it, and then the station's login.
drop_server_database() {
    [ -n "$SERVER_DB" ] || return 0
    server_sql postgres "DROP DATABASE IF EXISTS $SERVER_DB WITH (FORCE)"
    [ -n "$STATION_ROLE" ] && server_sql postgres "DROP ROLE IF EXISTS $STATION_ROLE"
}

# The database as the experiment's tables are made: the demo, with three periods and short
# pauses (see make_database), on the test server when the run points the station at it. The
# station then logs in as a login of its own with a station's rights.
SERVER_DB=""
STATION_ROLE=""
readonly STATION_PASSWORD='Station-Pw-7'


# One value (or rows, "|" between columns) from the test database. On the server the tables
# keep their names' letter case, which its SQL wants quoted.
query() {
    if [ -n "$SERVER_DB" ]; then
        local names='datExperimentTrials|datSubject|datTrialSummary|datUserTimesSummary|Subject'
        names+='|Version|eventType|Trial|EventID|UserInFlow|UserOutFlow|Condition|Major|Gender|Age'
        names+='|datRunClaims|Released|TakenOver'
        PGPASSWORD="$DB_KEY" psql -h "$FLUXMERE_TEST_PGHOST" -U postgres -d "$SERVER_DB" -qAt \
            -F '|' -c "$(sed -E "s/\b($names)\b/\"\1\"/g" <<<"$1")"
    else
        printf "PRAGMA key='%s';\n.headers off\n%s;\n" "$DB_KEY" "$1" | sqlcipher -batch "$DB"
    fi
}

expect_query() {
    local sql=$1 expected=$2 actual
    actual=$(query "$sql")
    [ "$actual" = "$expected" ] || fail "$sql: expected '$expected', got '$actual'"
}

# Waits until the query gives the expected value (the program records as it goes).
wait_query() {
    local sql=$1 expected=$2 actual=""
    for _ in $(seq $((WAIT_SECONDS * 10))); do
        actual=$(query "$sql" 2>/dev/null)
        [ "$actual" = "$expected" ] && return 0
        program_alive || fail "the program ended while waiting for: $sql"
        sleep 0.1
    done
    fail "$sql: expected '$expected', still '$actual' after ${WAIT_SECONDS}s"
}

# start_program [ARGUMENT...]: the program on the whole screen unless told --windowed.
start_program() {
    step "start the program $*"
    # A session's runtime folder, as a desktop login would give (Qt warns without one).
    mkdir -p -m 700 "$WORK/runtime"
    (cd "$WORK" && XDG_RUNTIME_DIR="$WORK/runtime" QT_QPA_PLATFORM=xcb exec ./fluxmere "$@" \
        >>"$WORK/fluxmere.log" 2>&1) &
    PROGRAM_PID=$!
}

program_alive() {
    [ -n "$PROGRAM_PID" ] && kill -0 "$PROGRAM_PID" 2>/dev/null
}

# Visible windows whose title matches the pattern, one id a line.
windows_named() {
    $XDO search --onlyvisible --name "$1" 2>/dev/null
}

# Sets WINDOW to the first visible window whose title matches, once it is there.
wait_window() {
    local pattern=$1
    WINDOW=""
    for _ in $(seq $((WAIT_SECONDS * 10))); do
        WINDOW=$(windows_named "$pattern" | head -n1)
        [ -n "$WINDOW" ] && return 0
        program_alive || fail "the program ended before a window '$pattern' appeared"
        sleep 0.1
    done
    fail "no window '$pattern' after ${WAIT_SECONDS}s"
}

wait_window_gone() {
    local window=$1
    for _ in $(seq $((WAIT_SECONDS * 10))); do
        $XDO getwindowname "$window" >/dev/null 2>&1 || return 0
        windows_named . | grep -qx "$window" || return 0
        sleep 0.1
    done
    fail "window $window still open after ${WAIT_SECONDS}s"
}

# Keyboard input goes to a window once it has the focus; there is no window manager.
focus() {
    $XDO windowfocus --sync "$1" || fail "cannot focus window $1"
    sleep 0.1
}

click() {
    $XDO mousemove --window "$1" "$2" "$3" click 1 || fail "click at $2,$3"
    sleep 0.1
}

type_text() {
    $XDO type --delay 30 "$1" || fail "typing '$1'"
}

press() {
    $XDO key --delay 30 "$@" || fail "keys $*"
}

wait_program_end() {
    local expected_status=$1 status
    for _ in $(seq $((WAIT_SECONDS * 10))); do
        program_alive || break
        sleep 0.1
    done
    program_alive && fail "the program is still running after ${WAIT_SECONDS}s"
    wait "$PROGRAM_PID"
    status=$?
    PROGRAM_PID=""
    [ "$status" = "$expected_status" ] || fail "the program ended with status $status"
}
