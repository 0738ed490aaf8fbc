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

if [[ "${QUILLET_IN_NAMESPACE:-}" != 1 ]]; then
    if [[ $(id -u) -eq 0 ]]; then
        enter=(unshare --mount --propagation private)
    else
        enter=(unshare --user --map-root-user --mount --propagation private)
    fi
    if ! "${enter[@]}" true 2>/dev/null; then
        echo "record-disk: cannot make a private mount namespace here; skipped" >&2
        exit 77
    fi
    exec env QUILLET_IN_NAMESPACE=1 "${enter[@]}" bash "$0" "$@"
fi

disk=$(mktemp -d "${TMPDIR:-/tmp}/quillet-record.XXXXXX")
trap 'umount "$disk" 2>/dev/null || true; rmdir "$disk" 2>/dev/null || true' EXIT
mount -t tmpfs -o size=1m,mode=0700 quillet-record "$disk"

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
