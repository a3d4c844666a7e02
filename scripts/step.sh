# Sourced by the developer scripts.
#   step NAME COMMAND...
# runs a command with its output kept back. When the command fails, it says which step failed,
# with what status and what command, shows everything the command printed, and returns that
# status, so that under `set -e` nothing fails without saying why. The output goes to a file, not
# a pipe: a Wine server or service that the command leaves running may hold it open.
step() {
    local name=$1 log status=0
    shift
    log=$(mktemp)
    "$@" </dev/null >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        {
            echo "FAILED: $name (exit status $status)"
            echo "  command: $*"
            echo "  its output:"
            sed 's/^/    /' "$log"
        } >&2
    fi
    rm -f "$log"
    return "$status"
}

# require_tools WHAT TOOL... stops, naming every tool that is not on the PATH, when WHAT needs it.
require_tools() {
    local what=$1 tool missing=()
    shift
    for tool in "$@"; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "$what needs these tools, which are missing: ${missing[*]}" >&2
    exit 1
}
