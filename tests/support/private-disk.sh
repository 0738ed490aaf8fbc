# A small file system of the test's own: a tmpfs in a mount namespace of its own, so nothing is
# mounted for anyone else. It needs root or unprivileged user namespaces; without either the
# test is skipped (77).
#   source tests/support/private-disk.sh
#   private_disk <name> <size> "$0" "$@"     # then "$disk" is the mounted folder

private_disk() { # name size script [arguments]
    local name=$1 size=$2 script=$3
    shift 3
    if [[ "${QUILLET_IN_NAMESPACE:-}" != 1 ]]; then
        local enter
        if [[ $(id -u) -eq 0 ]]; then
            enter=(unshare --mount --propagation private)
        else
            enter=(unshare --user --map-root-user --mount --propagation private)
        fi
        if ! "${enter[@]}" true 2>/dev/null; then
            echo "$name: cannot make a private mount namespace here; skipped" >&2
            exit 77
        fi
        exec env QUILLET_IN_NAMESPACE=1 "${enter[@]}" bash "$script" "$@"
    fi
    disk=$(mktemp -d "${TMPDIR:-/tmp}/quillet-$name.XXXXXX")
    trap 'umount "$disk" 2>/dev/null || true; rmdir "$disk" 2>/dev/null || true' EXIT
    mount -t tmpfs -o "size=$size,mode=0700" "quillet-$name" "$disk"
}
