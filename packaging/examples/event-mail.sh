#!/bin/sh
# radar-client event command: mails each event but the routine ones to the
# address given, the event's JSON line as the body. Copy it to
# /etc/radar-client/ and name it in the settings:
#   <eventCommand>sh /etc/radar-client/event-mail.sh watch@example.org</eventCommand>
# Needs mail (Debian: bsd-mailx or mailutils) and a mail transport agent.
set -eu
recipient=${1:?usage: event-mail.sh ADDRESS}

case "$RADAR_EVENT" in
start | connected | exit) exit 0 ;;
esac
mail -s "radar-client: $RADAR_EVENT${RADAR_ZONE:+ in zone $RADAR_ZONE} (${RADAR_SERVER:-})" \
    "$recipient"
