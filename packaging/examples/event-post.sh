#!/bin/sh
# radar-client event command: POSTs each event's JSON line to the URL given,
# for a chat's or a phone service's web hook. Copy it to /etc/radar-client/
# and name it in the settings:
#   <eventCommand>sh /etc/radar-client/event-post.sh https://hooks.example.org/radar</eventCommand>
# Needs curl. It gives up after 20 s, before the client's limit of 30, so that
# curl's own reason reaches standard error; an HTTP error status fails it.
set -eu
url=${1:?usage: event-post.sh URL}

exec curl --silent --show-error --fail --max-time 20 \
    --header 'Content-Type: application/json' --data-binary @- "$url"
