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

# Installs the packages that need() found missing: with apt-get as root, through sudo
# when it asks for no password, and otherwise says what to install and stops.
install_missing() {
  if [ ${#MISSING_PACKAGES[@]} -eq 0 ]; then
    return 0
  fi
  local -a apt=(apt-get)
  if [ "$(id -u)" -ne 0 ]; then
    if has sudo >/dev/null && sudo -n true 2>/dev/null; then
      apt=(sudo -n env DEBIAN_FRONTEND=noninteractive apt-get)
    else
      echo "Missing: ${MISSING_PACKAGES[*]}" >&2
      echo "Run this script as root, or install them with apt-get first." >&2
      exit 1
    fi
  fi
  echo "Installing: ${MISSING_PACKAGES[*]}"
  "${apt[@]}" update -q </dev/null
  "${apt[@]}" install -y -q --no-install-recommends "${MISSING_PACKAGES[@]}" </dev/null
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
