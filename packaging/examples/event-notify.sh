#!/bin/sh
# radar-client event command: a desktop notification for each event, urgent
# for an alarm. Copy it to /etc/radar-client/ and name it in the settings:
#   <eventCommand>sh /etc/radar-client/event-notify.sh</eventCommand>
# Needs notify-send (Debian: libnotify-bin) and the desktop session's bus,
# which a client started from the desktop's menu has.
set -eu

case "$RADAR_EVENT" in
alarm) urgency=critical ;;
lost | down) urgency=normal ;;
*) urgency=low ;;
esac
notify-send --app-name=radar-client --urgency="$urgency" \
    "Radar: $RADAR_EVENT${RADAR_ZONE:+ in zone $RADAR_ZONE}" \
    "${RADAR_SERVER:-} at ${RADAR_TIME:-}"
