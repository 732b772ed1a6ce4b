# shellcheck shell=bash
# Shared by scripts/try and scripts/test: finding what the build needs and installing
# what is missing on a Debian machine. Source it; it changes to the repository's root.

cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1

export DEBIAN_FRONTEND=noninteractive
MISSING_PACKAGES=()

# need PACKAGE CHECK...: PACKAGE is to be installed unless the command CHECK succeeds.
need() {
  local package=$1
  shift
  if ! "$@" >/dev/null 2>&1; then
    MISSING_PACKAGES+=("$package")
  fi
}

has() { command -v "$1"; }

# Runs a command as root: directly when root, through sudo when it asks for no password.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  else
    sudo -n "$@"
  fi
}

# Runs apt-get as root, without questions and without standard input.
apt_get() { as_root env DEBIAN_FRONTEND=noninteractive apt-get "$@" </dev/null; }

# Updates the package index. A failed update (a mirror in the middle of a sync, say) is
# tried again three times a minute apart (PELCOR_APT_RETRY_SECONDS apart, where set);
# then the install goes on with the index as it stands, which may well do.
update_index() {
  local retries=3
  until apt_get update -q; do
    if ((retries == 0)); then
      echo "apt-get update failed; installing from the package index as it stands" >&2
      INDEX_STALE=1
      return 0
    fi
    retries=$((retries - 1))
    echo "apt-get update failed; trying again in ${PELCOR_APT_RETRY_SECONDS:-60} s" >&2
    sleep "${PELCOR_APT_RETRY_SECONDS:-60}"
  done
}

# The suite of the running release (bookworm, say).
release_suite() { (. /etc/os-release && echo "$VERSION_CODENAME"); }

# The packages named that are not installed.
not_installed() {
  local package
  for package in "$@"; do
    [[ $(dpkg-query -W -f='${Status}' "$package" 2>/dev/null) == "install ok installed" ]] ||
      printf '%s ' "$package"
  done
}

# install_packages [-t SUITE] PACKAGE...: installs the packages, or stops, naming those
# that could not be had and apt-get's reasons.
install_packages() {
  local -a target=()
  if [[ ${1:-} == -t ]]; then
    target=(-t "$2")
    shift 2
  fi
  local errors status=0
  errors=$(mktemp)
  apt_get install -y -q --no-install-recommends "${target[@]}" "$@" 2>"$errors" || status=$?
  cat "$errors" >&2
  # With one index missing (say the security updates of one architecture), packages of
  # two architectures that must agree can have candidates from different suites. The
  # release's own suite, taken for both, still agrees.
  if ((status != 0)) && [[ -n ${INDEX_STALE:-} && ${#target[@]} -eq 0 ]]; then
    echo "Trying again with the release's own suite" >&2
    status=0
    apt_get install -y -q --no-install-recommends -t "$(release_suite)" "$@" 2>"$errors" ||
      status=$?
    cat "$errors" >&2
  fi
  if ((status != 0)); then
    echo "Cannot install $(not_installed "$@")(apt-get install ended with status $status):" >&2
    sed -n 's/^E:/  E:/p' "$errors" >&2
    rm -f "$errors"
    exit 1
  fi
  rm -f "$errors"
}

# Installs the packages that need() found missing: with apt-get as root, through sudo
# when it asks for no password, and otherwise says what to install and stops.
install_missing() {
  if [ ${#MISSING_PACKAGES[@]} -eq 0 ]; then
    return 0
  fi
  if [ "$(id -u)" -ne 0 ] && ! { has sudo >/dev/null && sudo -n true 2>/dev/null; }; then
    echo "Missing: ${MISSING_PACKAGES[*]}" >&2
    echo "Run this script as root, or install them with apt-get first." >&2
    exit 1
  fi
  echo "Installing: ${MISSING_PACKAGES[*]}"
  update_index
  install_packages "${MISSING_PACKAGES[@]}"
  MISSING_PACKAGES=()
}

# The packages every build needs.
need_build_tools() {
  need cmake has cmake
  need ninja-build has ninja
  need g++ has g++
  need libc-bin has iconv
}

# Configures and builds one CMake preset.
build_preset() {
  cmake --preset "$1"
  cmake --build --preset "$1"
}

step() { printf '\n== %s\n' "$*"; }
