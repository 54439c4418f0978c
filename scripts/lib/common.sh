# Shared by the scripts: Debian packages on demand, and the build folders.

# Packages the build, the tests and the launcher need.
KESTRIX_PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev libgl-dev qt6-l10n-tools qt6-translations-l10n
  libgtest-dev googletest
  libudev-dev
  libre2-dev  # the log view's find: regular expressions in linear time
  socat xvfb xauth fonts-wqy-zenhei fonts-liberation2
  librsvg2-bin desktop-file-utils appstream
  dbus-daemon at-spi2-core python3-pyatspi python3-xlib
  tshark  # reads the link monitor's pcapng files back in its tests
  ser2net python3-serial  # servers of network ports in their tests
  liblua5.4-dev  # scripts: their language (their regular expressions are RE2, above)
  lrzsz  # the file transfers' protocol programs, and their far ends in tests
)

# Installs whichever of the given Debian packages are missing, as root or
# through sudo. Does nothing when all are present.
ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure FOLDER BUILD_TYPE [cmake options...]
configure() {
  local folder=$1 type=$2
  shift 2
  local launcher=()
  # Rebuilds in several folders (plain, sanitizers, worktrees) share compiled
  # objects when ccache is on the machine; it is not required.
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE="$type" "${launcher[@]}" "$@" >/dev/null
}

# configure_and_build FOLDER BUILD_TYPE [cmake options...]: every target.
configure_and_build() {
  configure "$@"
  cmake --build "$1"
}

# build_program FOLDER BUILD_TYPE: the program alone (its pictures are
# compiled in), without the tests, fuzz replays and benchmarks, so that a
# first start does not wait for them.
build_program() {
  configure "$1" "$2"
  cmake --build "$1" --target kestrix
}
