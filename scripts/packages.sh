# What the build and the tests need from Debian 12, and how to get it.
# Sourced by scripts/build.sh and scripts/test.sh.

# The installer: the cross compilers, windres, GoogleTest's sources (the win32
# build compiles them too), Python for the pack tool, and Wine to try it out.
NIMBRA_BUILD_PACKAGES=(
  cmake ninja-build g++ python3 g++-mingw-w64-i686 googletest
  wine wine64 wine32:i386 xvfb xauth
)
# Signing the installer (scripts/sign.sh).
NIMBRA_SIGN_PACKAGES=(osslsigncode)
# Everything else the test layers use: GoogleTest and Google Benchmark for the
# native build, clang and its sanitizer and libFuzzer runtimes, and openssl for
# the throwaway certificate that the test of signing signs with.
NIMBRA_TEST_PACKAGES=(
  "${NIMBRA_BUILD_PACKAGES[@]}" "${NIMBRA_SIGN_PACKAGES[@]}"
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev openssl
)

nimbra_package_installed() {
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]
}

# nimbra_require_packages PACKAGE...: installs those not yet installed. Needs
# root (or sudo); NIMBRA_SKIP_INSTALL=1 only reports what is missing.
nimbra_require_packages() {
  if ! command -v dpkg-query >/dev/null; then
    echo "No dpkg here: make sure these are installed: $*" >&2
    return 0
  fi
  local missing=() package
  for package in "$@"; do
    nimbra_package_installed "$package" || missing+=("$package")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  if [ "${NIMBRA_SKIP_INSTALL:-0}" = 1 ]; then
    echo "Missing packages (NIMBRA_SKIP_INSTALL=1, not installing): ${missing[*]}" >&2
    return 1
  fi
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "Missing packages, and installing them needs root: ${missing[*]}" >&2
      return 1
    fi
    sudo=(sudo)
  fi
  echo "Installing: ${missing[*]}" >&2
  # wine32 is an i386 package.
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
  fi
  "${sudo[@]}" apt-get update
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
}

# True when this machine can run the 32-bit Wine that runs the installer. Its
# loader is a 32-bit Linux program: a kernel without IA-32 emulation (or with
# it switched off) refuses it with "Exec format error", and then nothing of
# Wine's can be tried here. Prints why not.
nimbra_wine_runs() {
  local loader=/usr/lib/wine/wine output
  [ -e "$loader" ] || loader="$(command -v wine || true)"
  if output=$("$loader" --version 2>&1); then
    return 0
  fi
  echo "Wine cannot run on this machine: $loader --version said: ${output:-nothing}" >&2
  echo "(32-bit Wine needs a kernel that runs 32-bit x86 programs.)" >&2
  return 1
}
