#!/usr/bin/env bash
# with-pulseaudio.sh COMMAND...: runs COMMAND with a sound server of its own,
# a private PulseAudio whose default sink is a null sink. RADAR_TEST_SINK
# names the sink, so that what COMMAND plays can be recorded from its
# monitor (parec -d "$RADAR_TEST_SINK.monitor"). The server is stopped when
# the command ends, and the command's exit status is kept.
set -uo pipefail

kSink=radar_test_sink
kStartTenths=100 # tenths of a second the server may take to come up

runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime
pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --load="module-null-sink sink_name=$kSink" --load=module-native-protocol-unix \
    --log-target=file:"$runtime/pulseaudio.log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$runtime"' EXIT

for ((tenths = 0; tenths < kStartTenths; tenths++)); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
if ! pactl set-default-sink "$kSink"; then
    echo "with-pulseaudio.sh: the sound server did not start:" >&2
    cat "$runtime/pulseaudio.log" >&2
    exit 1
fi
export RADAR_TEST_SINK=$kSink
"$@"
status=$?
exit "$status"
