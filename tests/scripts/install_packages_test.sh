#!/usr/bin/env bash
# The installer of the scripts against a fake apt-get: an index update that fails is tried
# four times in all and the install goes on; an install that fails stops the script, which
# names the packages and apt-get's reason.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/pelcor-install.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
# Fails its first FAKE_UPDATE_FAILURES updates; knows no package named *-absent.
cat >"$work/bin/apt-get" <<'FAKE'
#!/bin/sh
echo "$1" >>"$FAKE_CALLS"
if [ "$1" = update ] && [ "$(grep -c update "$FAKE_CALLS")" -le "$FAKE_UPDATE_FAILURES" ]; then
  echo "E: File has unexpected size (3 != 4). Mirror sync in progress?" >&2
  exit 100
fi
for package; do
  case $package in *-absent) echo "E: Unable to locate package $package" >&2 && exit 100 ;; esac
done
FAKE
printf '#!/bin/sh\n[ "$1" != -n ] || shift\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin/apt-get" "$work/bin/sudo"

failed=0
# check UPDATE-FAILURES "PACKAGE..." STATUS CALLS TEXT...: the run's status, its calls of
# apt-get, and the texts its output holds.
check() {
  local packages status=0 calls
  read -ra packages <<<"$2"
  : >"$work/calls"
  FAKE_CALLS=$work/calls FAKE_UPDATE_FAILURES=$1 PELCOR_APT_RETRY_SECONDS=0 \
    PATH="$work/bin:$PATH" "$root/scripts/install-packages" "${packages[@]}" >"$work/out" 2>&1 ||
    status=$?
  calls=$(tr '\n' ' ' <"$work/calls")
  local text ok=1
  for text in "${@:5}"; do grep -qF -- "$text" "$work/out" || ok=0; done
  if [[ $status != "$3" || $calls != "$4" || $ok == 0 ]]; then
    echo "FAILED: $1 failed updates, $2: status $status, calls $calls; output:"
    cat "$work/out"
    failed=1
  fi
}

check 1 pelcor-present 0 "update update install " "trying again in 0 s"
check 9 pelcor-present 0 "update update update update install " "as it stands"
check 0 "pelcor-present pelcor-absent" 1 "update install " \
  "Cannot install pelcor-present pelcor-absent" "  E: Unable to locate package pelcor-absent"
exit "$failed"
