# Shared set-up of the scripts: Debian packages the build and the tests need.
# shellcheck shell=bash

VELTRANE_PACKAGES=(
  g++ cmake make pkg-config libgtest-dev
  qt6-base-dev qt6-svg-dev libgl-dev libqpdf-dev zlib1g-dev fonts-liberation2
  poppler-utils qpdf libxml2-utils xvfb xauth libbenchmark-dev
)

# The quality gates of scripts/tidy and scripts/fuzz: clang-tidy, and clang with the
# libFuzzer and sanitizer runtimes (llvm-14 for symbolised reports).
VELTRANE_CHECK_PACKAGES=(clang-14 libclang-rt-14-dev llvm-14 clang-tidy-14)

# The Windows program, cross-built and tested under Wine by scripts/test-windows; apart from
# the list above, so that scripts/test installs none of it; wixl builds its installer
# (scripts/package-windows), and g++ with zlib the Linux CLI its output is compared with.
VELTRANE_WINDOWS_PACKAGES=(
  cmake make python3 googletest g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  libz-mingw-w64-dev wixl g++ zlib1g-dev
  wine wine64 fonts-wine libcups2 xvfb xauth xdotool imagemagick poppler-utils qpdf libxml2-utils
)

# The page (scripts/web): the portable core compiled to WebAssembly by Debian's emscripten;
# and its test in a real browser, headless Chromium driven through Selenium.
VELTRANE_WEB_PACKAGES=(emscripten)
VELTRANE_WEB_TEST_PACKAGES=(chromium chromium-driver python3-selenium qpdf)

# Installs the packages of the build and the tests, with their recommended packages (Qt's
# platform plugins and themes come that way), and whichever other packages are given.
ensure_build_packages() {
  VELTRANE_WITH_RECOMMENDS=1 ensure_packages "${VELTRANE_PACKAGES[@]}"
  [ $# -eq 0 ] || ensure_packages "$@"
}

# Installs whichever of the given Debian packages are missing.
ensure_packages() {
  local missing=()
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    echo "Installing ${missing[*]} through sudo (not running as root)." >&2
    sudo=(sudo)
  else
    echo "Installing ${missing[*]}." >&2
  fi
  "${sudo[@]}" apt-get update -qq
  local recommends=--no-install-recommends
  [ "${VELTRANE_WITH_RECOMMENDS:-0}" = 1 ] && recommends=--install-recommends
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "$recommends" \
    "${missing[@]}" >/dev/null
}

# Configures and builds a preset.
build_preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$(nproc)"
}
