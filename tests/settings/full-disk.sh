#!/usr/bin/env bash
# Saves the settings onto a small file system that is full, and checks that the user's file
# survives whole and the failure is told (the test SettingsOnAFullDisk.* in the test program).
# The file system is a private tmpfs in a mount namespace of its own, so nothing is mounted for
# anyone else; it needs root or unprivileged user namespaces, and is skipped (77) without either.
#   bash tests/settings/full-disk.sh <quillet_tests>
set -euo pipefail
tests=$1

source "$(dirname "$0")/../support/private-disk.sh"
private_disk full-disk 64k "$0" "$@"
mkdir "$disk/quillet"

# A record of 170 bytes the user had: the defaults with the quick start on.
bash "$(dirname "$0")/../../scripts/settings-record.sh" DSTimer=1 >"$disk/quillet/User.dat"
# Fill every block that is left.
dd if=/dev/zero of="$disk/fill" bs=1024 2>/dev/null || true
if dd if=/dev/zero of="$disk/more" bs=1 count=1 2>/dev/null; then
    echo "full-disk: the file system did not fill up" >&2
    exit 1
fi

status=0
out=$(QUILLET_FULL_DISK="$disk/quillet" "$tests" --gtest_filter='SettingsOnAFullDisk.*' 2>&1) ||
    status=$?
echo "$out" >&2
if ((status != 0)); then
    exit 1
fi
if ! grep -q '^\[  PASSED  \] 1 test' <<<"$out"; then
    echo "full-disk: the test did not run" >&2
    exit 1
fi
