#!/usr/bin/env bash
# Prints a settings record as Quillet stores it in User.dat (170 bytes): every field at its
# default except those given as name=value, with the record's own field names.
#   bash scripts/settings-record.sh [name=value ...] >User.dat
#   bash scripts/settings-record.sh DSTimer=1 s1=12 sSTr=5 >"$XDG_CONFIG_HOME/quillet/User.dat"
set -euo pipefail

# name:default, in the order of the record; the switches are one byte each, the rest two bytes,
# little-endian. The record begins with the password (a length byte and eight characters).
switches=(HelpFirst:0 Sound:1 Text:1 DSTimer:0 HoursPerDay:24 T1On:1 T2On:1)
words=(h1:0 m1:45 s1:0 h2:0 m2:10 s2:0 hSTr:0 mSTr:0 sSTr:7 hS:0 mS:0 sS:7
    Reserved40:5 Reserved42:6 Reserved44:5
    Atm1m:0 Atm1s:5 Atm2m:0 Atm2s:1 Atm3m:0 Atm3s:4 Atm4m:0 Atm4s:1 AtmZ1:8
    Atm5m:0 Atm5s:7 Atm6m:0 Atm6s:6 AtmZ2:8
    Yog1D:4 Yog1s:1 Yog2D:4 Yog2s:1 Yog3D:4 Yog3s:1 Yog4D:2 Yog4s:2 Yog5D:1 Yog5s:2
    Yog6D:1 Yog6s:2 Yog7D:2 Yog7s:2 Yog8D:4 Yog8s:2 Yog9D:4 Yog9s:4 Yog10D:4 Yog10s:2
    Aug1D:5 Aug1s:2 Aug2D:5 Aug2s:2 Aug3D:5 Aug3s:2 Aug4m:1 Aug4s:0
    Ent1m:0 Ent1s:20 Ent2m:0 Ent2s:20 Ent3m:0 Ent3s:20 Ent4m:0 Ent4s:20 Ent5m:0 Ent5s:20
    Ent6m:0 Ent6s:20 Ent7m:0 Ent7s:20 Ent8m:0 Ent8s:20 Ent9m:0 Ent9s:20 Ent10m:0 Ent10s:35)

declare -A value
for f in "${switches[@]}" "${words[@]}"; do value[${f%%:*}]=${f#*:}; done
for arg in "$@"; do
    name=${arg%%=*}
    [[ "$arg" == *=* && -n "${value[$name]+set}" && "${arg#*=}" =~ ^[0-9]+$ ]] ||
        { echo "settings-record: not a field=number: $arg" >&2; exit 1; }
    value[$name]=${arg#*=}
done

bytes=(1 42 0 0 0 0 0 0 0) # the password: one character, the placeholder '*'
for f in "${switches[@]}"; do bytes+=($((value[${f%%:*}] & 255))); done
for f in "${words[@]}"; do
    v=${value[${f%%:*}]}
    bytes+=($((v & 255)) $((v >> 8 & 255)))
done
((${#bytes[@]} == 170)) || { echo "settings-record: ${#bytes[@]} bytes, not 170" >&2; exit 1; }
for b in "${bytes[@]}"; do printf "\\$(printf %03o "$b")"; done
