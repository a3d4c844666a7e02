# Sourced by the developer scripts: ensure_packages NAME... installs the Debian packages that are
# missing (as root), or says exactly what to install. Elsewhere than Debian it does nothing; the
# README lists what to install there.
ensure_packages() {
    command -v dpkg-query >/dev/null || return 0
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Please install: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}"
    # The package lists may be missing or old on a fresh machine.
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null 2>&1 || {
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
    }
}
