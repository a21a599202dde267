#!/usr/bin/env bash
# Builds the stations' Debian package, checks what it holds, installs it, runs the installed
# tool, gives a participant's account a try at the database folder, and removes and purges the
# package, checking that nothing of it stays but the lab's database.
#   run.sh BUILD_DIR
# The package goes into the machine itself: runs take turns on one lock, and the machine is
# left as it was found, also when a check fails or an earlier run was killed.
set -euo pipefail

BUILD=$1
readonly HOME_DIR=/opt/fluxmere DATA=/opt/fluxmere/data
readonly LOCK=/var/lock/fluxmere-package-test.lock
# What a run has changed in the machine, kept where a killed run's successor finds it.
readonly STATE=/var/tmp/fluxmere-package-test
WORK=$(mktemp -d "${TMPDIR:-/tmp}/fluxmere-package.XXXXXX")
PROGRAM_PID="" XVFB_PID="" LOCKED=""

step() { echo "== $*"; }
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# dpkg, waiting its turn while another package manager holds dpkg's lock.
dpkg_waiting() {
    local tries=0 output
    until output=$(dpkg "$@" 2>&1); do
        if ! grep -q 'lock' <<<"$output" || ((++tries > 150)); then
            echo "$output" >&2
            return 1
        fi
        sleep 2
    done
    echo "$output"
}

restore_machine() {
    [ -d "$STATE" ] || return 0
    dpkg_waiting --purge fluxmere >/dev/null || true
    dpkg-statoverride --remove "$DATA" >/dev/null 2>&1 || true
    rm -rf "$HOME_DIR"
    if [ -e "$STATE/group-added" ]; then groupdel fluxmere || true; fi
    rm -rf "$STATE"
}

finish() {
    local status=$?
    for pid in "$PROGRAM_PID" "$XVFB_PID"; do [ -z "$pid" ] || kill "$pid" 2>/dev/null || true; done
    # Without the lock, what the machine holds may be another run's.
    [ -z "$LOCKED" ] || restore_machine
    rm -rf "$WORK"
    exit "$status"
}
trap finish EXIT

[ "$(id -u)" -eq 0 ] || fail "the package test installs into the machine and must run as root"
exec 9>"$LOCK"
flock -w 1200 9 || fail "another package test held $LOCK for 20 minutes"
LOCKED=1
if [ -d "$STATE" ]; then
    step "an earlier run was stopped before it cleaned up: undoing what it installed"
    restore_machine
fi
if dpkg-query -W fluxmere >/dev/null 2>&1 || [ -e "$HOME_DIR" ]; then
    fail "fluxmere is already installed on this machine ($HOME_DIR); the test leaves it alone"
fi

step "build the package"
(cd "$WORK" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/cpack") \
    >"$WORK/cpack.log" 2>&1 || {
    cat "$WORK/cpack.log"
    fail "cpack failed"
}
DEB=$(echo "$WORK"/cpack/fluxmere_*.deb)
[ -f "$DEB" ] || fail "cpack made no fluxmere_*.deb: $(ls "$WORK/cpack")"
echo "$DEB"

step "its files"
# One line per entry: type and mode, owner, path (and a link's target).
dpkg-deb -c "$DEB" | awk '{ $3 = $4 = $5 = ""; print }' | tr -s ' ' | sed 's| \./| /|' \
    >"$WORK/entries"
grep -v '^d' "$WORK/entries" | sort >"$WORK/files"
sort >"$WORK/expected-files" <<'LIST'
-rwxr-xr-x root/root /opt/fluxmere/fluxmere
-rwxr-xr-x root/root /opt/fluxmere/fluxmere-db
-rwxr-xr-x root/root /opt/fluxmere/fluxmere-lab
-rwxr-xr-x root/root /opt/fluxmere/fluxmere-monitor
lrwxrwxrwx root/root /usr/bin/fluxmere -> ../../opt/fluxmere/fluxmere
lrwxrwxrwx root/root /usr/bin/fluxmere-db -> ../../opt/fluxmere/fluxmere-db
lrwxrwxrwx root/root /usr/bin/fluxmere-lab -> ../../opt/fluxmere/fluxmere-lab
-rw-r--r-- root/root /usr/share/applications/fluxmere-lab.desktop
-rw-r--r-- root/root /usr/share/applications/fluxmere.desktop
-rw-r--r-- root/root /usr/share/icons/hicolor/scalable/apps/fluxmere.svg
-rw-r--r-- root/root /usr/share/man/man1/fluxmere-db.1.gz
-rw-r--r-- root/root /usr/share/man/man1/fluxmere-lab.1.gz
-rw-r--r-- root/root /usr/share/man/man1/fluxmere.1.gz
LIST
diff -u "$WORK/expected-files" "$WORK/files" || fail "the package holds other files than these"
grep -qx 'drwxr-xr-x root/root /opt/fluxmere/data/' "$WORK/entries" ||
    fail "the package has no data/ folder beside the program"
awk '{ print $3 }' "$WORK/entries" | sed 's|/$||' | grep -v '^$' >"$WORK/paths"

step "its control data"
field() { dpkg-deb -f "$DEB" "$1"; }
[ "$(field Package)" = fluxmere ] || fail "package name $(field Package)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] ||
    fail "architecture $(field Architecture)"
depends=$(field Depends)
echo "Depends: $depends"
depended=$(tr ',' '\n' <<<"$depends" | sed 's/(.*//; s/ //g')
for needed in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libsqlcipher0 libssl3 \
    fonts-liberation fonts-noto-cjk passwd; do
    grep -qxF "$needed" <<<"$depended" || fail "Depends lacks $needed"
done
control=$(dpkg-deb -I "$DEB")
for script in postinst postrm; do
    grep -Eq "^ +[0-9]+ bytes, +[0-9]+ lines +\* +$script " <<<"$control" ||
        fail "no executable $script"
done

step "its desktop entry, manual pages and programs, unpacked"
dpkg-deb -x "$DEB" "$WORK/root"
for entry in fluxmere fluxmere-lab; do
    desktop-file-validate "$WORK/root/usr/share/applications/$entry.desktop" ||
        fail "desktop entry $entry"
done
grep -qx 'Exec=fluxmere' "$WORK/root/usr/share/applications/fluxmere.desktop" ||
    fail "the desktop entry does not start fluxmere"
grep -qx 'Name=Fluxmere Lab' "$WORK/root/usr/share/applications/fluxmere-lab.desktop" &&
    grep -qx 'Exec=fluxmere-lab %f' "$WORK/root/usr/share/applications/fluxmere-lab.desktop" ||
    fail "the menu entry Fluxmere Lab does not start fluxmere-lab"
[[ "$(file "$WORK/root/opt/fluxmere/fluxmere-monitor")" == *", stripped"* ]] ||
    fail "fluxmere-monitor is not stripped"
for program in fluxmere fluxmere-db fluxmere-lab; do
    [[ "$(file "$WORK/root/opt/fluxmere/$program")" == *", stripped"* ]] ||
        fail "$program is not stripped"
    page="$WORK/root/usr/share/man/man1/$program.1.gz"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 \
        >/dev/null)
    [ -z "$warnings" ] || fail "manual page $program.1: $warnings"
done
# Every command the tool lists has its block in the manual page.
LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$WORK/root/usr/share/man/man1/fluxmere-db.1.gz" >"$WORK/manual"
overview=$("$WORK/root/opt/fluxmere/fluxmere-db" --help)
commands=$(sed -n 's/^  fluxmere-db \([a-z-]*\).*/\1/p' <<<"$overview" | sort -u)
[ -n "$commands" ] || fail "fluxmere-db --help lists no commands"
for command in $commands; do
    grep -q "^   $command\b" "$WORK/manual" ||
        fail "the manual page lacks '$command': give it a block in packaging/fluxmere-db.1"
done

# Which of the package's paths the machine has before it is installed, to compare after removal.
present() {
    while read -r path; do
        if [ -e "$path" ] || [ -L "$path" ]; then echo "$path"; fi
    done <"$WORK/paths"
}
present >"$WORK/present-before"
left_behind() { # paths of the package present after removal that were not before, but for $1
    present | grep -vxF -f "$WORK/present-before" | grep -vx "${1:-}" || true
}

install_package() {
    mkdir -p "$STATE"
    getent group fluxmere >/dev/null || touch "$STATE/group-added"
    dpkg_waiting --install "$DEB" >/dev/null || fail "dpkg --install"
    [ "$(dpkg-query -W -f '${Status}' fluxmere)" = 'install ok installed' ] || fail "not installed"
}

step "install, run the installed tool, remove and purge"
install_package
[ "$(readlink -f /usr/bin/fluxmere)" = "$HOME_DIR/fluxmere" ] || fail "/usr/bin/fluxmere"
[ "$(stat -c '%U:%G %a' "$DATA")" = "root:fluxmere 2775" ] ||
    fail "data/ is $(stat -c '%U:%G %a' "$DATA"), not writable by the group fluxmere"
for tool in "$HOME_DIR/fluxmere-db" /usr/bin/fluxmere-db; do
    help=$("$tool" --help) || fail "$tool --help"
    grep -q "^fluxmere-db $(field Version):" <<<"$help" || fail "$tool --help: $help"
done
/usr/bin/fluxmere-db demo "$WORK/demo.mdb" || fail "fluxmere-db demo"
# The demo's participant-paced versions change their delays under the re-aiming rule: warned.
/usr/bin/fluxmere-db check "$WORK/demo.mdb" | tail -n 1 | grep -qx 'no problems found; 7 warnings' ||
    fail "fluxmere-db check on the demo"
dpkg_waiting --remove fluxmere >/dev/null || fail "dpkg --remove"
gone=$(left_behind)
[ -z "$gone" ] || fail "left behind after removal: $gone"
dpkg_waiting --purge fluxmere >/dev/null || fail "dpkg --purge"
! dpkg-statoverride --list "$DATA" >/dev/null || fail "purge left the setting for $DATA"
! dpkg-query -W fluxmere >/dev/null 2>&1 || fail "dpkg still knows fluxmere after purge"

step "a participant's account in the group records into the lab's database"
install_package
# The lab's set-up, as README says.
/usr/bin/fluxmere-db demo "$DATA/Hydrovat.mdb" >/dev/null
chmod 660 "$DATA/Hydrovat.mdb"
[ "$(stat -c %G "$DATA/Hydrovat.mdb")" = fluxmere ] ||
    fail "a database put into data/ is not the group's"
# A participant's account: nobody, given the group or not, with a runtime folder of its own.
chmod 711 "$WORK"
mkdir -m 700 "$WORK/runtime" && chown nobody "$WORK/runtime"
# One process all along (env and setpriv exec), so that its id is the program's.
as_participant=(env HOME=/nonexistent XDG_RUNTIME_DIR="$WORK/runtime" QT_QPA_PLATFORM=xcb
    setpriv --reuid=nobody --regid=nogroup)
add_account() {
    "${as_participant[@]}" "$@" /usr/bin/fluxmere-db passwd "$DATA/Hydrovat.mdb" assistant <<<secret
}
add_account --groups=fluxmere >/dev/null || fail "a member of the group fluxmere cannot write"
! add_account --clear-groups 2>"$WORK/outsider" ||
    fail "an account outside the group could write"
grep -q 'may read and write it' "$WORK/outsider" ||
    fail "an outsider was refused for another reason: $(cat "$WORK/outsider")"

step "the program, started from its link by a participant, finds its database: the login shows"
# Background processes never hold the lock.
Xvfb -displayfd 5 -screen 0 1088x800x24 -nolisten tcp 5>"$WORK/display" 2>/dev/null 9>&- &
XVFB_PID=$!
for _ in $(seq 100); do [ -s "$WORK/display" ] && break || sleep 0.1; done
[ -s "$WORK/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$WORK/display")"
"${as_participant[@]}" --groups=fluxmere /usr/bin/fluxmere >"$WORK/fluxmere.log" 2>&1 9>&- &
PROGRAM_PID=$!
# Without its database the program shows a message box instead.
timeout 30 xdotool search --sync --name '^Welcome$' >/dev/null ||
    fail "no login window; the program said: $(cat "$WORK/fluxmere.log")"
kill "$PROGRAM_PID"
wait "$PROGRAM_PID" 2>/dev/null || true
PROGRAM_PID=""
fingerprint=$(sha256sum <"$DATA/Hydrovat.mdb")

step "remove and purge keep the lab's database"
removal=$(dpkg_waiting --remove fluxmere) || fail "dpkg --remove"
grep -q "$DATA holds the lab's experiment data and is kept" <<<"$removal" ||
    fail "removal does not say the data is kept: $removal"
gone=$(left_behind "$DATA")
[ "$gone" = "$HOME_DIR" ] || fail "left behind after removal besides the data: $gone"
dpkg_waiting --purge fluxmere >/dev/null || fail "dpkg --purge"
[ "$(sha256sum <"$DATA/Hydrovat.mdb")" = "$fingerprint" ] || fail "the lab's database changed"
[ "$(ls -A "$DATA")" = Hydrovat.mdb ] || fail "data/ holds $(ls -A "$DATA")"
echo "package test passed"
