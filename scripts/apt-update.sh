#!/usr/bin/env bash
# apt-get update, tried again after a pause: a Debian mirror in the middle of a sync answers
# "File has unexpected size" for a while, and a fresh machine has no older copy of that list to
# fall back on. Extra arguments go to apt-get: a private configuration, updated as the caller.
set -uo pipefail
as_root=()
[ "$(id -u)" -eq 0 ] || [ $# -gt 0 ] || as_root=(sudo)
for attempt in 1 2 3; do
    "${as_root[@]}" apt-get "$@" update -qq && exit 0
    [ "$attempt" -lt 3 ] && { echo "apt-get update failed (attempt $attempt of 3); trying again in 20 s" >&2; sleep 20; }
done
# The lists that did download are in place: the install that follows fails by itself if what
# it needs is not among them.
echo "apt-get update failed 3 times; going on with the package lists it could fetch" >&2
exit 0
