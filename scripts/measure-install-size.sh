#!/usr/bin/env bash
# How much installing Quillet's Debian package costs on a fresh Debian 12 and on a Debian 12 GNOME
# desktop, next to the break reminders Workrave and Safe Eyes (the Debian 12 packages, their
# candidate versions), all measured from this machine's apt lists in the same run: each package's
# own Installed-Size, and the Installed-Size of its run-time closure, that is the package itself
# and everything `apt-get install --no-install-recommends` would pull in on that system. The
# closure with Recommends is shown for information.
#
#   bash scripts/measure-install-size.sh [quillet .deb]     (default: build-deb/quillet_*.deb,
#                                                           which scripts/package.sh builds)
#
# Method (an estimate from the package metadata; nothing is installed or downloaded):
# - Quillet's Pre-Depends, Depends and Recommends come from the .deb (dpkg-deb); every other
#   package's from `apt-cache depends` of its candidate version, followed recursively (one
#   `apt-cache depends --recurse` call fetches them all). Version constraints are ignored.
# - An "a | b" dependency is satisfied when a or b (or a provider of either) is already present,
#   else by a, as apt does. A virtual package is satisfied by a provider already present, else
#   by the first provider apt-cache lists. An alternative nothing provides is skipped.
# - GNOME desktop: the fresh system and, on top of it, task-gnome-desktop (what the installer's
#   "GNOME" choice installs) with everything it pulls in, Recommends included, as apt installs
#   them by default.
# - Fresh Debian 12: the packages of Priority required and important (from `apt-cache dumpavail`)
#   and, resolved by the same rules, what they depend on (libc6, libstdc++6, libsystemd0 and so
#   on are Priority optional, yet on every system) count as present: they are neither counted
#   nor followed. As on a real Debian 12 system, usr-is-merged stands for /usr being merged.
# - A closure's size is the sum of the Installed-Size fields (KiB) of its packages from
#   `apt-cache show` (candidate versions), with the .deb's own field for Quillet. 1 MiB = 1024 KiB.
# These figures are lower than those of methods that count the Priority optional libraries of a
# minimal system as well. Needs the apt lists (apt-get update) and dpkg-deb; takes some seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
me=measure-install-size

debs=(build-deb/quillet_*.deb)
deb=${1:-${debs[0]}}
[[ -f $deb ]] || { echo "$me: no package at $deb (bash scripts/package.sh builds it)" >&2; exit 1; }
for tool in apt-cache dpkg-deb awk; do
    command -v "$tool" >/dev/null || { echo "$me: $tool is missing" >&2; exit 1; }
done
references=(workrave safeeyes)
gnome=task-gnome-desktop
declare -A version=()
for p in "${references[@]}" "$gnome"; do
    version[$p]=$(apt-cache policy "$p" 2>/dev/null | awk '$1 == "Candidate:" {print $2}')
    if [[ -z ${version[$p]} || ${version[$p]} == "(none)" ]]; then
        echo "$me: apt has no candidate for $p: the apt lists are missing or incomplete." >&2
        echo "  Run 'apt-get update' (as root) and try again." >&2
        exit 1
    fi
done
mapfile -t essential < <(apt-cache dumpavail |
    awk '/^Package:/ {p = $2} /^Priority: (required|important)$/ {print p}' | sort -u)
((${#essential[@]})) || { echo "$me: no required packages in the apt lists (run apt-get update)" >&2; exit 1; }

# groups[pkg]: one line per dependency, "Kind alt alt ...", where an alternative is a name, or
# <name> for a virtual package, followed by =provider,provider when something provides it.
# known[pkg]: real, virtual, or missing when apt does not know it. Both kept for the whole run.
declare -A groups=() known=()
fetch() {  # fetch [--recurse] NAME...: the dependencies of the names apt-cache was not yet asked for
    local recurse=()
    [[ $1 == --recurse ]] && { recurse=(--recurse); shift; }
    local want=() p
    for p in "$@"; do [[ -n ${known[$p]:-} ]] || want+=("$p"); done
    ((${#want[@]})) || return 0
    for p in "${want[@]}"; do known[$p]=missing; done
    local pkg kind choices
    local -A fresh=()
    while IFS=$'\t' read -r pkg kind choices; do
        if [[ $kind == - ]]; then
            [[ ${known[$pkg]:-missing} == missing ]] || continue
            known[$pkg]=$choices groups[$pkg]='' fresh[$pkg]=1
        elif [[ -n ${fresh[$pkg]:-} ]]; then
            groups[$pkg]+="$kind $choices"$'\n'
        fi
    done < <(apt-cache depends "${recurse[@]}" --no-suggests --no-conflicts --no-breaks --no-replaces \
        --no-enhances "${want[@]}" | awk '
        function name(s) { sub(/:.*/, "", s); return s }
        function alt(s) { return s ~ /^</ ? "<" name(substr(s, 2, length(s) - 2)) ">" : name(s) }
        function flush() { if (choices != "" && !dup) print pkg "\t" kind "\t" choices; choices = "" }
        /^[^ ]/ {
            flush()
            open = 0; pkg = $0; virtual = sub(/^</, "", pkg); sub(/>$/, "", pkg); pkg = name(pkg)
            dup = seen[pkg]++; if (!dup) print pkg "\t-\t" (virtual ? "virtual" : "real"); next
        }
        /^ [ |](PreDepends|Depends|Recommends): / {
            if (!open) flush()
            kind = $1; sub(/^\|/, "", kind); sub(/:$/, "", kind)
            choices = choices (choices == "" ? "" : " ") alt($2)
            open = substr($0, 2, 1) == "|"; sep = "="; next
        }
        /^    [^ ]/ { choices = choices sep $1; sep = ","; next }
        END { flush() }')
}

# closure KINDS ROOT...: fills "closure" with the roots and every package they pull in through
# the dependency kinds matching the pattern KINDS, leaving out and not following what "base"
# holds; "unresolved" gets the dependencies nothing satisfies.
declare -A base=() in_closure=()
closure=() unresolved=()
closure() {
    local kinds=$1 p
    shift
    in_closure=()
    for p in "$@"; do in_closure[$p]=1; done
    closure=("$@") unresolved=()
    local queue=("$@") next kind alts a name provs prov pick satisfied
    while ((${#queue[@]})); do
        fetch "${queue[@]}"
        next=()
        for p in "${queue[@]}"; do
            while read -r kind alts; do
                [[ -n $kind && $kind =~ ^($kinds)$ ]] || continue
                satisfied='' pick=''
                for a in $alts; do
                    name=${a%%=*} provs=''
                    [[ $a == *=* ]] && provs=${a#*=}
                    if [[ $name != \<* ]] && [[ -n ${base[$name]:-} || -n ${in_closure[$name]:-} ]]; then
                        satisfied=1
                        break
                    fi
                    for prov in ${provs//,/ }; do
                        [[ -n ${base[$prov]:-} || -n ${in_closure[$prov]:-} ]] && { satisfied=1; break 2; }
                    done
                    if [[ -z $pick ]]; then
                        if [[ $name != \<* ]]; then pick=$name
                        elif [[ -n $provs ]]; then pick=${provs%%,*}
                        fi
                    fi
                done
                [[ -n $satisfied ]] && continue
                if [[ -z $pick ]]; then unresolved+=("$p: $alts"); continue; fi
                in_closure[$pick]=1
                closure+=("$pick")
                next+=("$pick")
            done <<<"${groups[$p]}"
        done
        queue=("${next[@]}")
    done
}

# Installed-Size (KiB) of the candidate versions, kept for the whole run.
declare -A size=()
sizes() {
    local want=() p kib
    for p in "$@"; do [[ -n ${size[$p]:-} ]] || want+=("$p"); done
    ((${#want[@]})) || return 0
    while read -r p kib; do size[$p]=$kib; done < <(apt-cache show --no-all-versions "${want[@]}" 2>/dev/null |
        awk '/^Package:/ {p = $2} /^Installed-Size:/ {print p, $2}')
}

# Quillet is not in the apt lists: its dependencies come from the .deb.
quillet=$(dpkg-deb -f "$deb" Package)
quillet_version=$(dpkg-deb -f "$deb" Version)
size[$quillet]=$(dpkg-deb -f "$deb" Installed-Size)
deb_field() {  # deb_field FIELD KIND: the .deb's FIELD as "KIND alt alt ..." lines
    dpkg-deb -f "$deb" "$1" | tr ',' '\n' |
        sed -E 's/\([^)]*\)//g; s/\[[^]]*\]//g; s/:[a-z0-9-]+//g; s/\|/ /g' |
        awk -v kind="$2" 'NF {$1 = $1; print kind, $0}'
}
quillet_deps=$(deb_field Pre-Depends PreDepends; deb_field Depends Depends; deb_field Recommends Recommends)
mapfile -t quillet_names < <(awk '{for (i = 2; i <= NF; i++) print $i}' <<<"$quillet_deps" | sort -u)

# Everything any closure below may need, in one apt-cache call.
fetch --recurse "${essential[@]}" usr-is-merged "${references[@]}" "$gnome" "${quillet_names[@]}"
for p in "${references[@]}" "$gnome"; do
    [[ ${known[$p]:-} == real ]] || { echo "$me: apt-cache does not describe $p" >&2; exit 1; }
done
groups[$quillet]=
while read -r kind alts; do
    line=$kind
    for a in $alts; do
        case ${known[$a]:-missing} in
        real) line+=" $a" ;;
        virtual)  # its providers, as `apt-cache showpkg` lists them
            line+=" <$a>"
            provs=$(apt-cache showpkg "$a" | awk '/^Reverse Provides:/ {on = 1; next} on && NF && !seen[$1]++ {print $1}' |
                paste -sd, -)
            [[ -z $provs ]] || line+="=$provs"
            ;;
        *) echo "$me: $quillet depends on $a, which apt does not know" >&2; line+=" <$a>" ;;
        esac
    done
    groups[$quillet]+="$line"$'\n'
done <<<"$quillet_deps"
known[$quillet]=real

# The fresh system. Debian 12's installer and debootstrap satisfy init-system-helpers'
# "usrmerge | usr-is-merged" with usr-is-merged, not with usrmerge, which would bring perl.
closure 'PreDepends|Depends' "${essential[@]}" usr-is-merged
for p in "${closure[@]}"; do base[$p]=1; done
for u in "${unresolved[@]}"; do echo "$me: in the base system nothing satisfies $u" >&2; done
[[ -z ${base[$quillet]:-} ]] || { echo "$me: $quillet is a Debian base package?" >&2; exit 1; }

declare -A kib=() count=()
d='PreDepends|Depends' r='PreDepends|Depends|Recommends'
roots=("$quillet" "${references[@]}")
# measure SYSTEM: the closures of every root on the system whose packages "base" holds.
measure() {
    local system=$1 root kinds p total
    for root in "${roots[@]}"; do
        for kinds in "$d" "$r"; do
            closure "$kinds" "$root"
            for u in "${unresolved[@]}"; do echo "$me: nothing satisfies $u" >&2; done
            sizes "${closure[@]}"
            total=0
            for p in "${closure[@]}"; do
                [[ -n ${size[$p]:-} ]] || echo "$me: apt-cache shows no Installed-Size for $p" >&2
                total=$((total + ${size[$p]:-0}))
            done
            kib[$system,$root,$kinds]=$total count[$system,$root,$kinds]=${#closure[@]}
        done
    done
}
measure fresh
fresh_count=${#base[@]}
# The GNOME desktop on top of the fresh system.
closure "$r" "$gnome"
for p in "${closure[@]}"; do base[$p]=1; done
for root in "${roots[@]}"; do
    [[ -z ${base[$root]:-} ]] || echo "$me: $root is part of the GNOME desktop already" >&2
done
measure gnome

echo "Installed size from Installed-Size in the package metadata (1 MiB = 1024 KiB)."
echo "Fresh Debian 12, counted as present: its ${#essential[@]} packages of Priority required and"
echo "important with what they depend on and usr-is-merged, $fresh_count packages in all."
echo "GNOME desktop, counted as present: the fresh system and $gnome ${version[$gnome]} with all it"
echo "pulls in, Recommends included, ${#base[@]} packages in all."
echo "$quillet $quillet_version: $deb; workrave ${version[workrave]} and safeeyes ${version[safeeyes]}:"
echo "apt's candidates; the ratios are $quillet's figure over the other's."
echo
table() {  # table SYSTEM TITLE
    local w=${roots[1]} s=${roots[2]}
    awk -v title="$2" -v q="$quillet" -v w="$w" -v s="$s" \
        -v qp="${size[$quillet]}" -v wp="${size[$w]}" -v sp="${size[$s]}" \
        -v qd="${kib[$1,$quillet,$d]}" -v wd="${kib[$1,$w,$d]}" -v sd="${kib[$1,$s,$d]}" \
        -v qdn="${count[$1,$quillet,$d]}" -v wdn="${count[$1,$w,$d]}" -v sdn="${count[$1,$s,$d]}" \
        -v qr="${kib[$1,$quillet,$r]}" -v wr="${kib[$1,$w,$r]}" -v sr="${kib[$1,$s,$r]}" \
        -v qrn="${count[$1,$quillet,$r]}" -v wrn="${count[$1,$w,$r]}" -v srn="${count[$1,$s,$r]}" '
        function mib(k) { return sprintf("%.1f MiB", k / 1024) }
        function ratio(a, b) { return b > 0 ? sprintf("%.2f", a / b) : "-" }
        function row(label, a, b, c) {
            printf "  %-36s %10s %10s %10s %6s %6s\n", label, mib(a), mib(b), mib(c), ratio(a, b), ratio(a, c)
        }
        function n(label, a, b, c) {
            printf "  %-36s %10d %10d %10d %6s %6s\n", label, a, b, c, ratio(a, b), ratio(a, c)
        }
        BEGIN {
            printf "%s\n", title
            printf "  %-36s %10s %10s %10s %6s %6s\n", "", q, w, s, "/" substr(w, 1, 5), "/" substr(s, 1, 5)
            row("package alone", qp, wp, sp)
            row("closure, --no-install-recommends", qd, wd, sd)
            n("  packages in it (itself included)", qdn, wdn, sdn)
            row("closure with Recommends (for info)", qr, wr, sr)
            n("  packages in it (itself included)", qrn, wrn, srn)
        }'
}
table fresh "On a fresh Debian 12:"
echo
table gnome "On a Debian 12 GNOME desktop:"
echo
closure "$d" "$quillet"
sizes "${closure[@]}"
echo "What $quillet brings onto a GNOME desktop (KiB):"
for p in "${closure[@]}"; do printf '%s %s\n' "${size[$p]:-0}" "$p"; done | sort -rn |
    awk '{ printf "%s%s %s", (NR > 1 ? ", " : "  "), $2, $1 } END { print "" }' | fold -s -w 98
echo
awk -v q="$quillet" -v a="${kib[gnome,$quillet,$d]}" -v b="${kib[gnome,safeeyes,$d]}" \
    -v c="${kib[gnome,workrave,$d]}" 'BEGIN {
    printf "On a GNOME desktop %s adds %.1f MiB: %s than Safe Eyes (%.1f MiB) and %s than Workrave (%.1f MiB).\n",
        q, a / 1024, a < b ? "less" : "more", b / 1024, a < c ? "less" : "more", c / 1024 }'
