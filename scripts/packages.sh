# shellcheck shell=bash
# Sourced by run.sh and test.sh: installs the Debian packages a build needs
# when they are missing. Elsewhere (no dpkg) it leaves the machine alone and
# the build itself says what is missing.

vorn_missing_packages() {
  local package
  for package in "$@"; do
    if [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" != installed ]; then
      echo "$package"
    fi
  done
}

# vorn_ensure_packages [apt-get install options...] package...
# e.g. vorn_ensure_packages --no-install-recommends wine wine64
vorn_ensure_packages() {
  command -v dpkg-query >/dev/null 2>&1 || return 0
  local options=() missing=()
  while [ $# -gt 0 ] && [ "${1#-}" != "$1" ]; do
    options+=("$1")
    shift
  done
  mapfile -t missing < <(vorn_missing_packages "$@")
  [ ${#missing[@]} -gt 0 ] || return 0
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "vorn: missing packages: ${missing[*]} (install them as root)" >&2
      return 1
    fi
    sudo=(sudo)
  fi
  echo "vorn: installing ${missing[*]}" >&2
  if [ -z "${VORN_APT_UPDATED:-}" ]; then
    "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=900 update -qq || return 1
    VORN_APT_UPDATED=1
  fi
  # Another install (a second build on the same machine) may hold dpkg's
  # lock for a while: wait for it rather than fail.
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
    "${options[@]}" \
    "${missing[@]}"
}
