# Sourced by the scripts: installs the Debian packages they need, once.
#   ensure_packages PACKAGE...
# Nothing happens when all are installed; otherwise one apt-get update and
# one install of the missing ones, through sudo when not run as root.

ensure_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    echo "packages: all ${#} present"
    return 0
  fi
  local as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  # A package of another architecture (wine32:i386) needs that architecture
  # known to dpkg before the update that lists its packages.
  local architecture
  for architecture in $(printf '%s\n' "${missing[@]}" | sed -n 's/^[^:]*:\([a-z0-9]*\)$/\1/p' | sort -u); do
    if [ "$architecture" != "$(dpkg --print-architecture)" ] &&
       ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
      echo "packages: adding the $architecture architecture"
      "${as_root[@]}" dpkg --add-architecture "$architecture"
    fi
  done
  echo "packages: installing ${missing[*]}"
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Wine's 32-bit half only where the kernel runs 32-bit code: elsewhere it
# would be a minute and hundreds of megabytes of i386 packages for nothing,
# and would make Debian's wine commands fail (scripts/lib/wine). Status 1,
# with the reason said, where it is not installed.
ensure_wine32_where_it_runs() {
  local here no_32bit
  here=$(dirname "${BASH_SOURCE[0]}")
  if ! no_32bit=$("$here/runs-32bit" --kernel); then
    echo "packages: not installing Wine's 32-bit half: $no_32bit"
    return 1
  fi
  ensure_packages "${QUILL_WINE32_PACKAGES[@]}"
}

# What building and testing the project needs.
QUILL_BUILD_PACKAGES=(
  cmake ninja-build g++ libgtest-dev googletest
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 xvfb xdotool tzdata ccache
  libcli11-dev nlohmann-json3-dev libssl-dev libmsi-dev libglib2.0-dev
)
# Wine's 32-bit half, beside wine64: the program that ships is 32-bit.
QUILL_WINE32_PACKAGES=(wine32:i386)
# What the fuzz targets and the static analysis need: clang with its
# libFuzzer and sanitizer runtimes, cppcheck, and clang-format and ctags for
# the shape of the code (clang-tidy for a deeper look by hand).
QUILL_CHECK_PACKAGES=(clang libclang-rt-14-dev clang-tidy cppcheck clang-format universal-ctags)
# What the fleet report's page is looked at with.
QUILL_PAGE_PACKAGES=(chromium jq sqlite3)
# What the demonstration's installers are built with.
QUILL_INSTALLER_PACKAGES=(nsis wixl msitools)
