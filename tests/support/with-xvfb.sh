#!/usr/bin/env bash
# with-xvfb.sh COMMAND...: runs one test command on an X server of its own,
# with the client's screen and Mesa's software renderer, and stops the server
# after it whatever happens; exits with the command's status. CTest runs each
# test that needs a display through it (tests/CMakeLists.txt), so that no test
# sees another's windows, pointer or keyboard focus.
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

lib_own_x_display
lib_run_and_exit "$@"
