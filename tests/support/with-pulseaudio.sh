#!/usr/bin/env bash
# with-pulseaudio.sh COMMAND...: runs one test command with a sound server of
# its own, a private PulseAudio whose default sink is a null sink.
# RADAR_TEST_SINK names the sink, so that what the command plays can be
# recorded from its monitor (parec -d "$RADAR_TEST_SINK.monitor").
# RADAR_TEST_SOUND_SERVER names a program that stops or starts the server
# (with "stop" or "start"), for tests of a server that goes away and comes
# back. The server is stopped after the command whatever happens, and the
# command's exit status is kept.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

export RADAR_TEST_SINK=radar_test_sink
RADAR_TEST_SOUND_SERVER=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/sound-server.sh
export RADAR_TEST_SOUND_SERVER
lib_start_pulseaudio "$RADAR_TEST_SINK"
lib_run_and_exit "$@"
