# shellcheck shell=bash
# Sourced by run.sh and test.sh: installs the Debian packages a build needs
# when they are missing. Elsewhere (no dpkg) it leaves the machine alone and
# the build itself says what is missing.

# A name without an architecture means the machine's own (or an
# architecture-free package); "libsdl2-dev:arm64" means that one only. Once
# a library is installed for two architectures, dpkg-query answers for both.
vorn_missing_packages() {
  local package wanted native
  native=$(dpkg --print-architecture)
  for package in "$@"; do
    wanted="$native|all"
    [ "${package#*:}" = "$package" ] || wanted=${package#*:}
    dpkg-query -W -f='${db:Status-Status} ${Architecture}\n' "${package%%:*}" 2>/dev/null |
      grep -qxE "installed ($wanted)" || echo "$package"
  done
}

# vorn_root WHY: sets vorn_sudo to what runs a command as root; when nothing
# can, says WHY in one line and fails.
vorn_root() {
  vorn_sudo=()
  [ "$(id -u)" -ne 0 ] || return 0
  if ! command -v sudo >/dev/null 2>&1; then
    echo "vorn: $1" >&2
    return 1
  fi
  vorn_sudo=(sudo)
}

# vorn_ensure_architectures arch...: dpkg also installs packages of these
# architectures (multiarch), for cross builds; the next install reads the
# archive's lists again, now with them.
vorn_ensure_architectures() {
  command -v dpkg >/dev/null 2>&1 || return 0
  local arch
  for arch in "$@"; do
    if [ "$arch" != "$(dpkg --print-architecture)" ] &&
      ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
      vorn_root "dpkg does not install $arch packages yet (run dpkg --add-architecture $arch as root)" ||
        return 1
      echo "vorn: adding the architecture $arch" >&2
      "${vorn_sudo[@]}" dpkg --add-architecture "$arch" || return 1
      VORN_APT_UPDATED=
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
  vorn_root "missing packages: ${missing[*]} (install them as root)" || return 1
  echo "vorn: installing ${missing[*]}" >&2
  if [ -z "${VORN_APT_UPDATED:-}" ]; then
    "${vorn_sudo[@]}" apt-get -o DPkg::Lock::Timeout=900 update -qq || return 1
    VORN_APT_UPDATED=1
  fi
  # Another install (a second build on the same machine) may hold dpkg's
  # lock for a while: wait for it rather than fail.
  "${vorn_sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
    "${options[@]}" \
    "${missing[@]}"
}
