#!/usr/bin/env bash
# The scripts' installer against a fake apt-get: an index update that fails is tried four
# times in all and the install goes on; an install that fails stops, saying what and why.
set -euo pipefail
work=$(mktemp -d "${TMPDIR:-/tmp}/pelcor-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
cat >"$work/bin/apt-get" <<'FAKE'
#!/bin/sh
echo "$1" >>"$FAKE_CALLS"
if [ "$1" = update ] && [ "$(grep -c update "$FAKE_CALLS")" -le "$FAKE_UPDATE_FAILURES" ]; then
  echo "E: File has unexpected size (3 != 4). Mirror sync in progress?" >&2 && exit 100
fi
case "$*" in *-t\ *) ;; *-split*) echo "E: held broken packages" >&2 && exit 100 ;; esac
case "$*" in *-absent*) echo "E: Unable to locate package pelcor-absent" >&2 && exit 100 ;; esac
FAKE
printf '#!/bin/sh\n[ "$1" != -n ] || shift\nexec "$@"\n' >"$work/bin/sudo" # one not root
chmod +x "$work/bin/apt-get" "$work/bin/sudo"

# check UPDATE-FAILURES "STATUS CALL..." TEXT PACKAGE...
check() {
  local status=0 out got
  : >"$work/calls"
  out=$(FAKE_CALLS=$work/calls FAKE_UPDATE_FAILURES=$1 PELCOR_APT_RETRY_SECONDS=0 \
    PATH="$work/bin:$PATH" "$(dirname "$0")/../../scripts/install-packages" "${@:4}" 2>&1) ||
    status=$?
  got="$status $(tr '\n' ' ' <"$work/calls")"
  [[ $got == "$2 " && $out == *"$3"* ]] || { printf 'FAILED: %s\n%s\n' "$got" "$out" && exit 1; }
}
check 1 "0 update update install" "trying again in 0 s" pelcor-present
check 9 "0 update update update update install" "index as it stands" pelcor-present
check 9 "0 update update update update install install" "release's own suite" pelcor-split
check 0 "1 update install" "Cannot install pelcor-present pelcor-absent (apt-get install ended \
with status 100):
  E: Unable to locate package pelcor-absent" pelcor-present pelcor-absent
