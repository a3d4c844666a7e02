#!/usr/bin/env bash
# The desktop suite: the real program on Xvfb with the openbox window manager and trayer as the
# notification area; quorrel.exe runs there under Wine. Skipped (exit code 77) where those tools
# are missing; ./dev.sh test installs them on Debian and Ubuntu.
#   tests/desktop/run.sh path/to/quorrel
#   tests/desktop/run.sh path/to/quorrel.exe
set -euo pipefail
suite=desktop_test.py
tools=(Xvfb openbox trayer xdotool xprop xwininfo python3)
if [[ $1 == *.exe ]]; then
    suite=windows_desktop_test.py
    tools+=(wine wineserver)
fi
for tool in "${tools[@]}"; do
    if ! command -v "$tool" >/dev/null; then
        echo "desktop suite skipped: $tool is missing"
        exit 77
    fi
done
exec python3 "$(dirname "$0")/$suite" "$1"
