#!/usr/bin/env bash
# The record of breaks on a small file system of its own: written while there is room, then
# with the disk full (the rows wait, the record still shows, and they are written once there is
# room), then with the medium read-only (the record still shows and is left as it is). The test
# RecordOnARealDisk.* in the test program, once per phase. The file system is a private tmpfs in
# a mount namespace of its own; it needs root or unprivileged user namespaces, and is skipped
# (77) without either.
#   bash tests/history/record-disk.sh <quillet_tests>
set -euo pipefail
tests=$1

source "$(dirname "$0")/../support/private-disk.sh"
private_disk record-disk 1m "$0" "$@"

phase() {
    local out status=0
    out=$(QUILLET_RECORD_DISK="$disk" QUILLET_RECORD_PHASE=$1 \
        "$tests" --gtest_filter='RecordOnARealDisk.*' 2>&1) || status=$?
    if ((status != 0)) || ! grep -q '^\[  PASSED  \] 1 test' <<<"$out"; then
        echo "$out" >&2
        echo "record-disk: the phase '$1' failed" >&2
        exit 1
    fi
}

phase room
# Every block that is left, filled.
dd if=/dev/zero of="$disk/filler" bs=4096 2>/dev/null || true
phase full
mount -o remount,ro "$disk"
phase read-only
echo "record-disk: full and read-only, the record shows and its rows wait"
