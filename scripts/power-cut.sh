#!/usr/bin/env bash
# Cuts the power under a snapshot, a settings write and two restores, and checks that what
# Quorrel reported done came back whole, and that a restore cut short comes back wholly old or
# wholly new once the program has started again. Root only: it formats a small ext4 image on a
# loop device, mounted with noauto_da_alloc (so that ext4 does not rescue a file replaced
# without a flush), runs the real engine on it through tests/power_cut/power_cut_driver.cpp,
# then stops the file system at once with EXT4_IOC_SHUTDOWN and EXT4_GOING_FLAGS_NOLOGFLUSH, as
# a power cut would, mounts it again and compares every file byte for byte.
#
# `./dev.sh test` runs it as the CTest test power_cut, with the driver of its own build
# (QUORREL_POWER_CUT_DRIVER). Where the machine cannot run it (not root, no free loop device, no
# ext4, mounting refused) it says "power-cut test NOT RUN: <why>" and exits with 77, which CTest
# reports as skipped, never as passed.
#
# Two controls show that the cut really loses what was not flushed: the same files copied with
# cp, and a settings file written in place, just before the cut.
#   scripts/power-cut.sh [rounds] [seconds]
# runs 5 rounds by default, each cutting the power at once or that many seconds after the writes
# (ext4 commits its journal every 5 seconds, but writes file data later still).
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=${1:-5}
delay=${2:-0}
not_run() {
    echo "power-cut test NOT RUN: $*"
    exit 77
}
[ "$(id -u)" -eq 0 ] || not_run "it needs root (loop devices and mounting)"
if [ -n "${QUORREL_POWER_CUT_DRIVER:-}" ]; then
    driver=$QUORREL_POWER_CUT_DRIVER
else
    source scripts/ensure-packages.sh
    ensure_packages cmake ninja-build g++ e2fsprogs util-linux mount
    step "configuring build-power-cut" cmake -S . -B build-power-cut -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DQUORREL_GUI=OFF -DQUORREL_TESTS=OFF -DQUORREL_POWER_CUT=ON
    step "building the power-cut driver" cmake --build build-power-cut --target quorrel_power_cut
    driver=$PWD/build-power-cut/tests/power_cut/quorrel_power_cut
fi
for tool in mkfs.ext4 losetup mount umount mountpoint; do
    command -v "$tool" >/dev/null || not_run "$tool is missing (e2fsprogs, util-linux, mount)"
done
grep -qw ext4 /proc/filesystems || modprobe ext4 2>/dev/null || not_run "the kernel has no ext4"
losetup -f >/dev/null 2>&1 || not_run "no free loop device (losetup -f: $(losetup -f 2>&1))"

work=$(mktemp -d)
image=$work/disk.img
disk=$work/disk
mkdir "$disk"
loop=
finish() {
    mountpoint -q "$disk" && umount "$disk"
    [ -n "$loop" ] && losetup -d "$loop" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

# Whether this machine lets us format, attach and mount an image at all (a container may refuse).
truncate -s 8M "$image"
mkfs.ext4 -q -F "$image" || not_run "mkfs.ext4 cannot format an image"
loop=$(losetup -f --show "$image" 2>"$work/why") || not_run "losetup: $(cat "$work/why")"
mount "$loop" "$disk" 2>"$work/why" || not_run "mounting $loop: $(cat "$work/why")"
umount "$disk"
losetup -d "$loop"
loop=

attach_and_mount() {
    loop=$(losetup -f --show "$image")
    mount -o noauto_da_alloc "$loop" "$disk"
}
unmount_and_detach() {
    umount "$disk"
    losetup -d "$loop"
    loop=
}

# Whether a save folder holds exactly the three files of a set (old or new), byte for byte and
# with their times, and nothing else: nothing of Quorrel's is left in it.
same_as() {
    local set=$1 folder=$2
    [ "$(ls -A "$folder" | wc -l)" -eq 3 ] || return 1
    for ending in d2s key map; do
        cmp -s "$work/$set/Hero.$ending" "$folder/Hero.$ending" || return 1
        [ "$(stat -c %Y "$work/$set/Hero.$ending")" = "$(stat -c %Y "$folder/Hero.$ending")" ] ||
            return 1
    done
}

# What a file holds, or "missing".
describe() {
    if [ -f "$1" ]; then echo "$(stat -c %s "$1") bytes"; else echo missing; fi
}

failures=0
lost_by_controls=0
for round in $(seq 1 "$rounds"); do
    # The character as first seen, and the save the game writes during the run.
    rm -rf "$work/old" "$work/new"
    mkdir "$work/old" "$work/new"
    for ending in d2s key map; do
        head -c $((4000 + RANDOM)) /dev/urandom >"$work/old/Hero.$ending"
        head -c $((4000 + RANDOM)) /dev/urandom >"$work/new/Hero.$ending"
    done
    printf '/mnt/d2/save\r\n/mnt/d2/history\r\n60\r\n' >"$work/Settings.ini"

    truncate -s 64M "$image"
    mkfs.ext4 -q -F "$image"
    attach_and_mount
    mkdir "$disk/save" "$disk/history" "$disk/app" "$disk/control"
    cp "$work/old/"* "$disk/save/"
    # Two save folders that a restore of the new files will replace: one restore is reported done
    # before the cut, the other is still running when the power goes.
    for folder in restored interrupted; do
        mkdir "$disk/$folder" "$disk/$folder-snapshot"
        cp -p "$work/old/"* "$disk/$folder/"
        cp -p "$work/new/"* "$disk/$folder-snapshot/"
    done
    printf 'old save\r\nold history\r\n30\r\n' >"$disk/app/Settings.ini"
    printf 'old save\r\nold history\r\n30\r\n' >"$disk/app/Control.ini"
    sync

    snapshot=$(cd "$work" && "$driver" snapshot "$work/new" "$disk/save" "$disk/history")
    "$driver" settings "$disk/app/Settings.ini" /mnt/d2/save /mnt/d2/history 60
    "$driver" restore "$disk/restored-snapshot" "$disk/restored"
    # The controls: the same work without a flush.
    cp "$work/new/"* "$disk/control/"
    cat "$work/Settings.ini" >"$disk/app/Control.ini"
    sleep "$delay"
    # The power goes a moment after the second restore began, at a different point each round.
    "$driver" restore "$disk/interrupted-snapshot" "$disk/interrupted" 2>/dev/null &
    restoring=$!
    sleep "0.00$((RANDOM % 10))"
    "$driver" cut "$disk"
    wait "$restoring" || true
    unmount_and_detach

    attach_and_mount
    problems=()
    if [ -d "$snapshot" ]; then
        for ending in d2s key map; do
            cmp -s "$work/new/Hero.$ending" "$snapshot/Hero.$ending" ||
                problems+=("snapshot Hero.$ending: $(describe "$snapshot/Hero.$ending")")
        done
        count=$(find "$snapshot" -mindepth 1 | wc -l)
        [ "$count" -eq 3 ] || problems+=("the snapshot holds $count files")
    else
        problems+=("the snapshot folder")
    fi
    cmp -s "$work/Settings.ini" "$disk/app/Settings.ini" ||
        problems+=("Settings.ini: $(describe "$disk/app/Settings.ini")")
    # The next start puts each save folder in order before anything else reads it.
    said=$("$driver" recover "$disk/restored" 2>&1) ||
        problems+=("the recovery of the restored folder: $said")
    same_as new "$disk/restored" || problems+=("the restored save folder: $(ls -A "$disk/restored")")
    recovery=$("$driver" recover "$disk/interrupted" 2>&1) || recovery="recovery failed: $recovery"
    if same_as new "$disk/interrupted"; then
        interrupted="new"
    elif same_as old "$disk/interrupted"; then
        interrupted="old"
    else
        problems+=("the interrupted save folder ($recovery): $(ls -A "$disk/interrupted")")
    fi
    lost=0
    controls=()
    for ending in d2s key map; do
        cmp -s "$work/new/Hero.$ending" "$disk/control/Hero.$ending" || lost=$((lost + 1))
        controls+=("$(describe "$disk/control/Hero.$ending")")
    done
    cmp -s "$work/Settings.ini" "$disk/app/Control.ini" || lost=$((lost + 1))
    controls+=("$(describe "$disk/app/Control.ini")")
    lost_by_controls=$((lost_by_controls + lost))
    unmount_and_detach

    if [ ${#problems[@]} -eq 0 ]; then
        echo "round $round: snapshot, Settings.ini and restored save folder whole; the" \
            "interrupted restore came back $interrupted ($recovery); the controls lost $lost of" \
            "4 files (now $(IFS=,; echo "${controls[*]}"))"
    else
        echo "round $round: LOST ${problems[*]}; the controls lost $lost of 4 files"
        failures=$((failures + 1))
    fi
done

echo "$((rounds - failures)) of $rounds rounds came back whole; the controls lost $lost_by_controls of $((4 * rounds)) files"
[ "$failures" -eq 0 ]
