# Sourced by the developer scripts: ensure_packages NAME... installs the Debian packages that are
# missing (as root), or says exactly what to install. Elsewhere than Debian it does nothing; the
# README lists what to install there, and each script names a tool it still misses
# (require_tools in scripts/step.sh).
source "$(dirname "${BASH_SOURCE[0]}")/step.sh"

ensure_packages() {
    command -v dpkg-query >/dev/null || return 0
    local missing=() package
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
    export DEBIAN_FRONTEND=noninteractive
    # A fresh machine may have no package lists at all, or lists so old that they name files the
    # mirror no longer has: then the lists are fetched and the install is tried once more.
    if ! compgen -G "/var/lib/apt/lists/*_Packages" >/dev/null; then
        step "fetching the package lists (apt-get update)" apt-get update || exit 1
    fi
    if ! apt-get install -y -qq "${missing[@]}" </dev/null >/dev/null 2>&1; then
        step "fetching the package lists (apt-get update)" apt-get update || exit 1
        step "installing ${missing[*]}" apt-get install -y -qq "${missing[@]}" || exit 1
    fi
}
