#!/usr/bin/env bash
# Builds the Debian package from a built tree, has lintian check it, unpacks
# it into a scratch root with dpkg and checks what it installs; then runs the unpacked client, in
# its unpacked working folder, against the unpacked simulator on the X server
# that CTest starts for it. Every check runs; each failure is named.
#
#   package_test.sh BUILD_DIR SOURCE_DIR VERSION SCRATCH_DIR QT_MAJOR
set -uo pipefail

build_dir=$1
source_dir=$2
version=$3
scratch=$4
qt_major=$5 # the Qt version the programs were built with, whose libraries they need

root=$scratch/root
control=$scratch/control
working_folder=$root/usr/share/radar-client
client_seconds=5 # the client's timeToLive: several target renewals and sweep turns
client_deadline=60 # seconds before a client that does not end by itself is stopped
sim_start_tenths=100 # tenths of a second for the simulator to start listening
failures=0
sim_pid=""
exec_words=() # the desktop entry's Exec line, word by word

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

stop_sim() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null
        wait "$sim_pid" 2>/dev/null
        sim_pid=""
    fi
}
trap stop_sim EXIT

build_and_unpack() {
    rm -rf "$scratch"
    mkdir -p "$scratch"
    if ! cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$scratch/cpack" \
        > "$scratch/cpack.log" 2>&1; then
        cat "$scratch/cpack.log" >&2
        echo "FAIL: cpack could not build the package" >&2
        exit 1
    fi
    deb=$scratch/cpack/radar-client_${version}_$(dpkg --print-architecture).deb
    if [ ! -f "$deb" ]; then
        echo "FAIL: no $(basename "$deb"); cpack made: $(ls "$scratch/cpack")" >&2
        exit 1
    fi
    dpkg -x "$deb" "$root" && dpkg-deb -e "$deb" "$control" || exit 1
}

# The one conffile is the client's settings; the rest of the test finds them
# through it.
find_settings() {
    settings=$(cat "$control/conffiles" 2>/dev/null)
    if [ "$(basename "$settings")" != clientSettings.xml ]; then
        echo "FAIL: the conffiles are '$settings', not the client's settings alone" >&2
        exit 1
    fi
}

check_control_fields() {
    local field expected
    for field in Maintainer Section Description; do
        [ -n "$(dpkg-deb -f "$deb" "$field")" ] || fail "the package has no $field"
    done
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    local qt_libraries
    if [ "$qt_major" = 6 ]; then
        qt_libraries=(libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6opengl6 libqt6xml6)
    else
        qt_libraries=(libqt5core5a libqt5gui5 libqt5widgets5 libqt5network5 libqt5opengl5 libqt5xml5)
    fi
    for expected in "${qt_libraries[@]}" 'libopengl0|libgl1' libglu1; do
        grep -Eq "(^|[ ,|])($expected)" <<< "$depends" || fail "Depends names no $expected: $depends"
    done
    # Qt 6's Wayland platform is a plugin that no library links.
    local recommends
    recommends=$(dpkg-deb -f "$deb" Recommends)
    if [ "$qt_major" = 6 ] && ! grep -Eq "(^|[ ,|])qt6-wayland([ ,|(]|$)" <<< "$recommends"; then
        fail "Recommends names no qt6-wayland: '$recommends'"
    fi
}

check_programs() {
    local program
    for program in radar-client radar-sim; do
        [ -x "$root/usr/bin/$program" ] || fail "/usr/bin/$program is not installed"
    done
}

check_working_folder() {
    local assets
    for assets in textures mdl sounds; do
        diff -r "$source_dir/$assets" "$working_folder/$assets" > /dev/null \
            || fail "/usr/share/radar-client/$assets differs from the source's $assets/"
    done
    cmp -s "$source_dir/clientSettings.xml" "$root$settings" \
        || fail "$settings differs from the source's clientSettings.xml"
    [ "$(readlink "$working_folder/clientSettings.xml")" = "$settings" ] \
        || fail "the working folder's clientSettings.xml does not link to $settings"
}

check_icons() {
    diff -r "$source_dir/packaging/icons/hicolor" "$root/usr/share/icons/hicolor" > /dev/null \
        || fail "the installed hicolor icons differ from packaging/icons/hicolor"
}

# Exec must start the installed client with the installed settings and assets,
# keeping watch through server outages.
check_desktop_entry() {
    local entry=$root/usr/share/applications/radar-client.desktop
    if [ ! -f "$entry" ]; then
        fail "no desktop entry"
        return
    fi
    local report
    report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
    [ -z "$report" ] || fail "desktop-file-validate: $report"
    local icon
    icon=$(sed -n 's/^Icon=//p' "$entry")
    compgen -G "$root/usr/share/icons/hicolor/*/apps/$icon.png" > /dev/null \
        || fail "the desktop entry's icon '$icon' is not installed"
    read -r -a exec_words <<< "$(sed -n 's/^Exec=//p' "$entry")"
    [ -x "$root/usr/bin/${exec_words[0]}" ] || fail "Exec starts '${exec_words[0]}', not an installed program"
    local assets
    assets=$(option_value --assets "${exec_words[@]}")
    [ "$(option_value --settings "${exec_words[@]}")" = "$settings" ] \
        || fail "Exec does not pass --settings $settings"
    [ -n "$assets" ] && [ -d "$root$assets/textures" ] && [ -d "$root$assets/mdl" ] \
        || fail "Exec's --assets '$assets' holds no textures/ and mdl/"
    [[ " ${exec_words[*]} " == *" --reconnect "* ]] || fail "Exec does not pass --reconnect"
    [ "$(option_value --events "${exec_words[@]}")" = default ] \
        || fail "Exec does not keep the event journal in its usual place (--events default)"
}

# The session's service starts what the launcher starts, with the event
# journal, as a unit that tells systemd when it is ready and alive and is
# restarted when it stops; systemd-analyze verifies it as a user unit.
check_user_unit() {
    local unit=$root/usr/lib/systemd/user/radar-client.service
    if [ ! -f "$unit" ]; then
        fail "no user unit /usr/lib/systemd/user/radar-client.service"
        return
    fi
    local exec_start expected
    exec_start=$(sed -n 's/^ExecStart=//p' "$unit")
    expected="/usr/bin/${exec_words[*]}" # the launcher's options, the journal among them
    [ "$exec_start" = "$expected" ] || fail "the unit's ExecStart is '$exec_start', not '$expected'"
    local setting working_folder_path
    working_folder_path=$(sed -n 's/^Path=//p' "$root/usr/share/applications/radar-client.desktop")
    for setting in "WorkingDirectory=$working_folder_path" Type=notify NotifyAccess=main WatchdogSec=10 Restart=always \
        PartOf=graphical-session.target After=graphical-session.target \
        WantedBy=graphical-session.target; do
        grep -qx "$setting" "$unit" || fail "the unit does not say $setting"
    done
    verify_user_unit "$unit"
}

# verify_user_unit UNIT: systemd-analyze verify in the user manager's scope,
# which needs a runtime folder of its own. It checks that ExecStart's program
# exists and that man finds the Documentation page, so a copy starts the
# unpacked client, and man looks in the unpacked pages.
verify_user_unit() {
    local copy=$scratch/unit/radar-client.service runtime=$scratch/runtime
    mkdir -p "$(dirname "$copy")" "$runtime" && chmod 700 "$runtime"
    sed "s|^ExecStart=/usr/bin/|ExecStart=$root/usr/bin/|" "$1" > "$copy"
    local report status=0
    report=$(XDG_RUNTIME_DIR=$runtime MANPATH=$root/usr/share/man \
        systemd-analyze --user verify "$copy" 2>&1) || status=$?
    [ "$status" -eq 0 ] && [ -z "$report" ] || fail "systemd-analyze verify (status $status): $report"
}

# option_value NAME WORD...: the word after NAME.
option_value() {
    local name=$1
    shift
    while [ $# -gt 1 ]; do
        [ "$1" = "$name" ] && echo "$2" && return
        shift
    done
}

# Each page formats without warnings and names every option its program has.
check_manual_pages() {
    local page
    for page in radar-client radar-sim; do
        local file=$root/usr/share/man/man1/$page.1.gz
        if [ ! -f "$file" ]; then
            fail "no manual page $page.1.gz"
            continue
        fi
        MANWIDTH=80 man --warnings -l "$file" > "$scratch/$page.txt" 2> "$scratch/$page.err"
        [ -s "$scratch/$page.txt" ] && [ ! -s "$scratch/$page.err" ] \
            || fail "man -l $page.1.gz: $(cat "$scratch/$page.err")"
    done
    local option
    for option in $("$root/usr/bin/radar-sim" --help | grep -Eo -- '--[a-z-]+' | sort -u); do
        grep -q -- "$option" "$scratch/radar-sim.txt" || fail "radar-sim.1 does not document $option"
    done
    for option in $(printf '%s\n' "${exec_words[@]}" | grep -- '^--'); do
        grep -q -- "$option" "$scratch/radar-client.txt" \
            || fail "radar-client.1 does not document $option, which the launcher uses"
    done
}

# Debian's own checker passes the package with no error and no warning. A tag
# that does not apply is overridden inside the package, with a comment
# saying why.
check_lintian() {
    if ! command -v lintian > /dev/null; then
        fail "lintian is not installed: scripts/setup.sh installs it"
        return
    fi
    lintian --fail-on error,warning "$deb" > "$scratch/lintian.log" 2>&1 \
        || fail "lintian: $(cat "$scratch/lintian.log")"
}

# The changelog's latest entry is this version, so that a new version cannot
# ship without one; the README is there; the example scenario names where it
# is installed.
check_documents() {
    local doc=$root/usr/share/doc/radar-client
    zcat "$doc/changelog.gz" > "$scratch/changelog" 2> /dev/null || fail "no changelog.gz in $doc"
    [ "$(dpkg-parsechangelog -l "$scratch/changelog" -S Version 2> /dev/null)" = "$version" ] \
        || fail "the changelog's latest entry is not version $version"
    zcmp -s "$doc/README.md.gz" "$source_dir/README.md" \
        || fail "${doc#"$root"} holds no README.md.gz of the source's README"
    local example=$doc/examples/crossing.scn
    grep -qF -- "--scenario ${example#"$root"}" "$example" \
        || fail "the installed example does not name its installed path ${example#"$root"}"
}

start_sim() {
    "$root/usr/bin/radar-sim" --listen 127.0.0.1 --port 0 2> "$scratch/radar-sim.log" &
    sim_pid=$!
    local waited
    for ((waited = 0; waited < sim_start_tenths; waited++)); do
        sim_port=$(grep -m1 -o 'listening on [0-9.]*:[0-9]*' "$scratch/radar-sim.log" | sed 's/.*://')
        [ -n "$sim_port" ] && return 0
        sleep 0.1
    done
    return 1
}

# The installed settings are edited as an administrator would, to name the
# simulator and a time limit. The working folder's link names them by their
# absolute path, which outside a real installation leads out of the scratch
# root, so it is pointed back into it.
run_client() {
    if [ -z "${DISPLAY:-}" ]; then
        fail "the client run needs a display: run it through ctest, which gives it one"
        return
    fi
    if ! start_sim; then
        fail "the unpacked radar-sim did not start: $(cat "$scratch/radar-sim.log")"
        return
    fi
    sed -i -e "s|<host>.*</host>|<host>127.0.0.1</host>|" -e "s|<port>.*</port>|<port>$sim_port</port>|" \
        -e "s|<timeToLive>.*</timeToLive>|<timeToLive>$client_seconds</timeToLive>|" "$root$settings"
    ln -sfn "$root$settings" "$working_folder/clientSettings.xml"
    local status=0
    (cd "$working_folder" && LIBGL_ALWAYS_SOFTWARE=1 XDG_STATE_HOME="$scratch/state" \
        timeout "$client_deadline" "$root/usr/bin/radar-client" --events default \
        > "$scratch/client.out" 2> "$scratch/client.err") || status=$?
    stop_sim
    [ "$status" -eq 0 ] || fail "the unpacked client ended with status $status: $(cat "$scratch/client.err")"
    grep -qx build "$scratch/client.out" || fail "the unpacked client printed no 'build' line"
    grep -q '^hit @ ' "$scratch/client.out" || fail "the unpacked client printed no hit line"
    local journal=$scratch/state/radar-client/events.jsonl
    grep -q '"event":"start"' "$journal" && grep -q '"event":"exit"' "$journal" \
        || fail "--events default kept no journal with its start and exit in $journal"
}

build_and_unpack
find_settings
check_control_fields
check_programs
check_working_folder
check_icons
check_desktop_entry
check_user_unit
check_manual_pages
check_lintian
check_documents
run_client
[ "$failures" -eq 0 ] && echo "package: every check passed"
exit $((failures > 0))
