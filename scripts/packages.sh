# What the build and the tests need from Debian 12, and how to get it.
# Sourced by scripts/build.sh and scripts/test.sh.

# The installer: the cross compilers, windres, GoogleTest's sources (the win32
# build compiles them too), Python for the pack tool, and Wine to try it out.
# The installer is a 32-bit program, so it runs in 32-bit Wine; where the
# kernel refuses 32-bit x86 code, that Wine runs under qemu-i386 (user-mode
# emulation), which needs Wine's preloader (without it every 32-bit Wine
# process dies with "failed to map the shared user data").
NIMBRA_BUILD_PACKAGES=(
  cmake ninja-build g++ python3 g++-mingw-w64-i686 googletest
  wine wine64 wine32:i386 wine32-preloader:i386 qemu-user xvfb xauth
)
# Signing the installer (scripts/sign.sh).
NIMBRA_SIGN_PACKAGES=(osslsigncode)
# Everything else the test layers use: GoogleTest and Google Benchmark for the
# native build, clang and its sanitizer and libFuzzer runtimes, openssl for
# the throwaway certificate that the test of signing signs with, the x86-64
# cross compilers for the whole-installer benchmark's twin, and PyYAML, which
# reads the deployment kit's winget manifest as winget would.
NIMBRA_TEST_PACKAGES=(
  "${NIMBRA_BUILD_PACKAGES[@]}" "${NIMBRA_SIGN_PACKAGES[@]}"
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev openssl g++-mingw-w64-x86-64 python3-yaml
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

# The smallest 32-bit x86 Linux program: an ELF header, one loadable segment,
# and "mov eax, 1; mov ebx, 7; int 0x80" (exit with status 7).
nimbra_i386_probe_bytes='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x07\x00\x00\x00\xcd\x80'

# True when a 32-bit x86 program runs here, natively or through binfmt_misc.
nimbra_runs_i386_code() {
  local probe status
  probe=$(mktemp) || return 1
  printf "$nimbra_i386_probe_bytes" >"$probe" && chmod +x "$probe"
  timeout 30 "$probe" 2>/dev/null
  status=$?
  rm -f "$probe"
  [ "$status" -eq 7 ]
}

nimbra_binfmt=/proc/sys/fs/binfmt_misc

# True when 32-bit programs go through qemu-i386 here (its handler is on).
nimbra_i386_emulated() {
  [ "$(head -1 "$nimbra_binfmt/qemu-i386" 2>/dev/null)" = enabled ]
}

# nimbra_enable_i386_code: makes sure 32-bit x86 programs run here, for 32-bit
# Wine's loader is one. Where the kernel runs them natively nothing changes;
# where it refuses them (no IA-32 emulation, and no 32-bit code segment can be
# entered, so Wine's own WoW64 mode crashes too), i386 ELF files are handed to
# qemu-i386 through binfmt_misc (needs root). NIMBRA_EMULATE_I386=1 registers
# the emulator even where native code runs, to try what such machines do.
# Prints how 32-bit code runs, or why it cannot.
nimbra_enable_i386_code() {
  if [ "${NIMBRA_EMULATE_I386:-0}" != 1 ] && nimbra_runs_i386_code; then
    if nimbra_i386_emulated; then
      echo "32-bit x86 code: through qemu-i386 (registered earlier)"
    else
      echo "32-bit x86 code: native"
    fi
    return 0
  fi
  local qemu
  qemu=$(command -v qemu-i386) || {
    echo "32-bit x86 code cannot run here, and qemu-i386 (package qemu-user) is missing" >&2
    return 1
  }
  if [ ! -e "$nimbra_binfmt/register" ]; then
    timeout 30 mount -t binfmt_misc binfmt_misc "$nimbra_binfmt" || {
      echo "32-bit x86 code cannot run here, and binfmt_misc cannot be mounted (needs root)" >&2
      return 1
    }
  fi
  if [ -e "$nimbra_binfmt/qemu-i386" ]; then
    echo 1 >"$nimbra_binfmt/qemu-i386"
  else
    # The i386 ELF executable header: class 32-bit, little-endian, type EXEC
    # or DYN (the mask's 0xfe), machine 3.
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':' \
      >"$nimbra_binfmt/register" || {
      echo "32-bit x86 code cannot run here, and qemu-i386 cannot be registered (needs root)" >&2
      return 1
    }
  fi
  if ! nimbra_runs_i386_code; then
    echo "32-bit x86 code does not run here, even through $qemu" >&2
    return 1
  fi
  echo "32-bit x86 code: through qemu-i386 (user-mode emulation)"
}

# True when 32-bit Wine, which runs the installer, starts here; it sets up
# 32-bit code first. Prints why not.
nimbra_wine_runs() {
  nimbra_enable_i386_code || return 1
  local loader=/usr/lib/wine/wine output
  [ -e "$loader" ] || loader="$(command -v wine || true)"
  if output=$(timeout 60 "$loader" --version 2>&1); then
    return 0
  fi
  echo "32-bit Wine cannot run on this machine: $loader --version said: ${output:-nothing}" >&2
  return 1
}
