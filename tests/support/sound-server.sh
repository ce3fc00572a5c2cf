#!/usr/bin/env bash
# sound-server.sh stop|start: stops or starts the sound server of the test
# that runs inside with-pulseaudio.sh, in the runtime folder and with the sink
# that it exports. "start" returns once the server answers; with-pulseaudio.sh
# stops the one that runs at the end.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

case "${1:-}" in
stop) lib_stop_pulseaudio ;;
start) lib_run_pulseaudio "$RADAR_TEST_SINK" ;;
*)
    echo "usage: sound-server.sh stop|start" >&2
    exit 2
    ;;
esac
