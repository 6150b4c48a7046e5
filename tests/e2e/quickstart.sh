#!/usr/bin/env bash
# The README's quick start word for word, in a copy of the checkout's tracked files (as a fresh
# clone has them): its first block in one terminal, then each line of its second in another,
# two seconds apart. An example card's arrival is recorded. The time zone makes it morning
# here, so that the card records an arrival rather than asking for one.
source "$(dirname "$0")/lib.sh"
root=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
git -C "$root" ls-files -z | tar -C "$root" --null -T - -cf - | tar -xf - -C "$WORK"
awk -v to="$T/block" '/^## /{on = $0 == "## Quick start"} on && /^```/{k += !b; b = !b; next}
  on && b {print > (to k)}' "$WORK/README.md"
[ -s "$T/block1" ] && [ -s "$T/block2" ] || fail "README.md has no quick start of two blocks"
# The compiler cache of the build that runs this, though HOME moves: the copy's build finds there
# what this one compiled.
command -v ccache >/dev/null && export CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
export TZ=VEL$((12 - (9 - $(date -u +%-H) + 36) % 24)) HOME=$T XDG_RUNTIME_DIR=$T/run
export DBUS_SESSION_BUS_ADDRESS=unix:path=$T/no-bus DBUS_SYSTEM_BUS_ADDRESS=unix:path=$T/no-bus
unset MAKEFLAGS MAKELEVEL MFLAGS QT_QPA_PLATFORM
cd "$WORK"
setsid bash "$T/block1" >"$T/log" 2>&1 </dev/null & PIDS+=(-$!)
retry 1200 shown '^Velmora 2011\.06\.30$' >/dev/null || fail "no time clock window"
while read -r line; do bash -c "$line" </dev/null && sleep 2 || fail "$line"; done <"$T/block2"
arrived() { iconv -f CP932 -t UTF-8 demo/Velmora.dat | grep -q '^"職員A","[0-9/]*","[0-9:]*","出"'; }
retry 10 arrived || fail "no arrival of 職員A in demo/Velmora.dat"
