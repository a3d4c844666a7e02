#!/usr/bin/env bash
# The desktop suite: the real program on Xvfb with the openbox window manager and trayer as the
# notification area. Skipped (exit code 77) where those tools are missing; ./dev.sh test installs
# them on Debian and Ubuntu.
#   tests/desktop/run.sh path/to/quorrel
set -euo pipefail
for tool in Xvfb openbox trayer xdotool xprop xwininfo python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "desktop suite skipped: $tool is missing"
        exit 77
    fi
done
exec python3 "$(dirname "$0")/desktop_test.py" "$1"
