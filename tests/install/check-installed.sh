#!/usr/bin/env bash
# Installs the program into a scratch folder as a package would (prefix /usr) and checks that
# each file lands where a Linux desktop looks for it and passes the freedesktop validators.
# Skipped (exit code 77) where the validators are missing; ./dev.sh test installs them on Debian
# and Ubuntu.
#   tests/install/check-installed.sh path/to/build
set -euo pipefail
build=$1
for tool in desktop-file-validate appstreamcli python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "install check skipped: $tool is missing"
        exit 77
    fi
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
source "$(dirname "$0")/../../scripts/step.sh"
DESTDIR=$root step "installing $build into a scratch folder (cmake --install)" \
    cmake --install "$build" --prefix /usr

id=io.github.quorrel.Quorrel
entry=$root/usr/share/applications/$id.desktop
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
passed=0
failed=0
check() {  # what, command...
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "FAIL  $what"
        failed=$((failed + 1))
    fi
}

check "the program in /usr/bin" test -x "$root/usr/bin/quorrel"
check "the desktop entry is valid" desktop-file-validate "$entry"
check "the AppStream page is valid" appstreamcli validate --no-net "$metainfo"
check "the entry starts the installed program" \
    test -x "$root/usr/bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")"
check "the entry's icon is the installed one" grep -qx "Icon=$id" "$entry"
check "the AppStream page launches the entry" grep -q ">$id.desktop</launchable>" "$metainfo"
for size in 32 48 128 256; do
    icon=$root/usr/share/icons/hicolor/${size}x$size/apps/$id.png
    # A PNG file's width and height are the two big-endian numbers at bytes 16 to 23.
    check "a ${size} px icon in the hicolor theme" python3 -c '
import struct, sys
with open(sys.argv[1], "rb") as f:
    head = f.read(24)
sys.exit(not (head[:8] == b"\x89PNG\r\n\x1a\n"
              and struct.unpack(">II", head[16:24]) == (int(sys.argv[2]),) * 2))' "$icon" "$size"
done

echo "installed files: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
