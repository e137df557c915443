#!/usr/bin/env bash
# Builds everything and runs every test layer; exits non-zero when any fails.
#
#     bash scripts/test.sh [LAYER]...
#
# Layers, in order (default: all):
#   native     native unit tests on the fake world (host g++, Debug)
#   asan       the same tests built with ASan and UBSan
#   fuzz       each libFuzzer target for a fixed number of inputs
#   bench      each benchmark (Release build), briefly, for its figures
#   installer  the built installers' files (imports, ASLR/DEP, resources, size)
#              and their deployment kits
#   wine       the Win32 and end-to-end tests under Wine and Xvfb, then the
#              whole-installer benchmark for a few rounds, for its figures
#              (with its x86-64 twin, built for it in $NIMBRA_BUILD_ROOT/twin)
#   repro      a second clean build of the installer gives the same bytes
#   win32      shorthand for installer, wine and repro
#
# On a fresh Debian 12, run as root: it installs what it needs first. Settings:
#   NIMBRA_BUILD_ROOT   where the build folders go (default: build)
#   NIMBRA_FUZZ_RUNS    inputs per fuzz target (default: 20000)
#   NIMBRA_SKIP_INSTALL=1  never call apt-get
#   NIMBRA_EMULATE_I386=1  run 32-bit Wine under qemu-i386 even where the
#                          kernel runs 32-bit code (as our machines that
#                          refuse it must)
set -uo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
source_dir="$(pwd)"
build_root="${NIMBRA_BUILD_ROOT:-build}"
mkdir -p "$build_root"
build_root="$(cd "$build_root" && pwd)"
fuzz_runs="${NIMBRA_FUZZ_RUNS:-20000}"

all_layers=(native asan fuzz bench installer wine repro)
layers=()
for argument in "$@"; do
  case "$argument" in
    win32) layers+=(installer wine repro) ;;
    native | asan | fuzz | bench | installer | wine | repro) layers+=("$argument") ;;
    *) echo "unknown layer: $argument (one of: ${all_layers[*]} win32)" >&2; exit 2 ;;
  esac
done
[ ${#layers[@]} -gt 0 ] || layers=("${all_layers[@]}")

source scripts/packages.sh
nimbra_require_packages "${NIMBRA_TEST_PACKAGES[@]}" || exit 1

summary=()
failures=0
layer_count=""  # set by each layer: what it ran, e.g. "37 tests"

note() { printf '\n=== %s\n' "$*"; }

# ctest_count LOG: "N tests" from ctest's closing line.
ctest_count() {
  local total
  total=$(grep -Eo 'tests? failed out of [0-9]+' "$1" | tail -1 | grep -Eo '[0-9]+$')
  echo "${total:-0} tests"
}

# configure_and_build PRESET DIR [TARGET]...
configure_and_build() {
  local preset=$1 dir=$2
  shift 2
  local targets=()
  [ $# -eq 0 ] || targets=(--target "$@")
  cmake --preset "$preset" -B "$dir" >"$dir.configure.log" 2>&1 || {
    cat "$dir.configure.log"
    return 1
  }
  cmake --build "$dir" -j2 "${targets[@]}"
}

# The win32 build, once per run: the installers alone first (the build's own
# and the one for another pack that the tests use), so that their checks do
# not wait on (or fail with) the test programs; then everything.
built_installer=""
build_installer() {
  if [ -z "$built_installer" ]; then
    note "building the installers (mingw-w64 i686)"
    configure_and_build win32 "$build_root/win32" nimbra-pack-update nimbra-pack-update-other
    built_installer=$?
  fi
  return "$built_installer"
}
built_win32=""
build_win32() {
  if [ -z "$built_win32" ]; then
    note "building win32: test programs and tools"
    configure_and_build win32 "$build_root/win32"
    built_win32=$?
  fi
  return "$built_win32"
}

# The benchmark's x86-64 twin (preset "twin"): only what run_bench.py runs.
build_twin() {
  note "building the benchmark's x86-64 twin (mingw-w64 x86_64)"
  configure_and_build twin "$build_root/twin" e2e-bench
}

layer_native() {
  local dir="$build_root/native"
  configure_and_build native "$dir" || return 1
  ctest --test-dir "$dir" -j2 --output-on-failure --no-tests=error | tee "$dir/ctest.log"
  local rc=${PIPESTATUS[0]}
  layer_count=$(ctest_count "$dir/ctest.log")
  return "$rc"
}

layer_asan() {
  local dir="$build_root/native-asan"
  configure_and_build native-asan "$dir" || return 1
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$dir" -j2 --output-on-failure --no-tests=error | tee "$dir/ctest.log"
  local rc=${PIPESTATUS[0]}
  layer_count=$(ctest_count "$dir/ctest.log")
  return "$rc"
}

layer_fuzz() {
  local dir="$build_root/fuzz" targets=() source target failed=0
  for source in fuzz/*.cpp; do
    [ -e "$source" ] && targets+=("$(basename "$source" .cpp)")
  done
  layer_count="0 targets"
  [ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets in fuzz/"; return 0; }
  configure_and_build fuzz "$dir" "${targets[@]}" || return 1
  for target in "${targets[@]}"; do
    # New inputs go to a scratch folder; the committed corpus is only read.
    local work="$dir/corpus/$target" seeds=()
    mkdir -p "$work" "$dir/artifacts"
    [ -d "fuzz/corpus/$target" ] && seeds=("fuzz/corpus/$target")
    if "$dir/$target" -runs="$fuzz_runs" -seed=1 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$dir/artifacts/$target-" "$work" "${seeds[@]}" >"$dir/$target.log" 2>&1; then
      echo "$target: $(grep -E '^Done [0-9]+ runs' "$dir/$target.log" | tail -1)"
    else
      echo "$target FAILED:"
      tail -40 "$dir/$target.log"
      failed=1
    fi
  done
  layer_count="${#targets[@]} targets x $fuzz_runs inputs"
  return "$failed"
}

layer_bench() {
  local dir="$build_root/bench" benches=() source bench failed=0
  for source in bench/*.cpp; do
    [ -e "$source" ] && benches+=("$(basename "$source" .cpp)")
  done
  layer_count="0 benchmarks"
  [ ${#benches[@]} -gt 0 ] || { echo "no benchmarks in bench/"; return 0; }
  configure_and_build bench "$dir" "${benches[@]}" || return 1
  for bench in "${benches[@]}"; do
    "$dir/$bench" --benchmark_min_time=0.05 --benchmark_color=false || failed=1
  done
  layer_count="${#benches[@]} benchmark programs"
  return "$failed"
}

layer_installer() {
  local dir="$build_root/win32"
  build_installer || return 1
  # ctest runs GoogleTest's discovery of any Windows test program already built,
  # even for tests it then leaves out: that must happen in our prefix. The
  # checks themselves read the file and need no Wine.
  nimbra_wine_runs >/dev/null && source scripts/wine-env.sh "$dir" || return 1
  # Verbose, so that each check's figures (sizes, imports) show.
  ctest --test-dir "$dir" -R '^installer\.' -V --no-tests=error >"$dir/ctest-installer.log" 2>&1
  local rc=$?
  grep -E '^[0-9]+: (ok|FAILED) |tests passed|failed out of' "$dir/ctest-installer.log" | sed -E 's/^[0-9]+: //'
  layer_count=$(ctest_count "$dir/ctest-installer.log")
  return "$rc"
}

layer_wine() {
  local dir="$build_root/win32"
  build_win32 || return 1
  build_twin || return 1
  # Where Wine cannot run, the layer fails: the real installer must have run.
  nimbra_wine_runs || { layer_count="Wine cannot run here"; return 1; }
  # shellcheck source=wine-env.sh
  source scripts/wine-env.sh "$dir" || return 1
  # One display for the whole run. The tests share out two prefixes, and the
  # fixtures keep a wineserver running for each (tests/win32/wine_session.sh);
  # two at a time, one a core. Under qemu-i386 a 32-bit Wine process now and
  # then crashes or hangs in the emulator (README, "Running one layer"): there
  # the tests that failed run once more, and the summary names them.
  local emulated=0
  rm -f "$dir/ctest-wine-retried.txt"
  nimbra_i386_emulated && emulated=1
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    ctest --test-dir "$1" -E "^installer\\." -j2 --timeout 600 --output-on-failure --no-tests=error
    rc=$?
    failed="$1/Testing/Temporary/LastTestsFailed.log"
    if [ "$rc" -ne 0 ] && [ "$2" = 1 ] && [ -s "$failed" ]; then
      printf "\n=== once more under qemu-i386: %s\n" "$(cut -d: -f2 "$failed" | tr "\n" " ")"
      cut -d: -f2 "$failed" >"$1/ctest-wine-retried.txt"
      # By name: --rerun-failed goes by the numbers of the unfiltered list,
      # which are not those of the run above, and ran other tests instead.
      ctest --test-dir "$1" -R "^($(paste -sd"|" "$1/ctest-wine-retried.txt"))\$" -j2 --timeout 600 \
        --output-on-failure --no-tests=error
      rc=$?
    fi
    # Figures only: it fails when a program misbehaves, never on a time.
    printf "\n=== whole-installer benchmark (bench/e2e/run_bench.py, 3 rounds)\n"
    python3 bench/e2e/run_bench.py --build "$1" --twin "$3" --rounds 3 || rc=1
    timeout 30 wineserver -w || wineserver -k
    exit $rc' wine-tests "$dir" "$emulated" "$build_root/twin" | tee "$dir/ctest-wine.log"
  local rc=${PIPESTATUS[0]}
  layer_count="$(grep -Eo 'tests? failed out of [0-9]+' "$dir/ctest-wine.log" | head -1 | grep -Eo '[0-9]+$') tests"
  if [ -s "$dir/ctest-wine-retried.txt" ]; then
    layer_count+=", $(wc -l <"$dir/ctest-wine-retried.txt") run twice"
    echo "Run twice under qemu-i386: $(tr '\n' ' ' <"$dir/ctest-wine-retried.txt")"
  fi
  return "$rc"
}

layer_repro() {
  local first="$build_root/win32" second="$build_root/win32-repro"
  build_installer || return 1
  # Another folder, so that a build path leaking into the binary shows too.
  rm -rf "$second"
  mkdir -p "$second"
  configure_and_build win32 "$second" nimbra-pack-update || return 1
  local one two
  one=$(sha256sum <"$first/nimbra-pack-update.exe" | cut -d' ' -f1)
  two=$(sha256sum <"$second/nimbra-pack-update.exe" | cut -d' ' -f1)
  echo "SHA-256 $one  $first/nimbra-pack-update.exe"
  echo "SHA-256 $two  $second/nimbra-pack-update.exe"
  layer_count="2 builds"
  [ "$one" = "$two" ] || { echo "the two builds differ"; return 1; }
}

started=$SECONDS
for layer in "${layers[@]}"; do
  note "layer $layer"
  layer_count=""
  layer_started=$SECONDS
  "layer_$layer"
  case $? in
    0) result=passed ;;
    *) result=FAILED; failures=$((failures + 1)) ;;
  esac
  summary+=("$(printf '%-10s %-7s %-28s %5d s' "$layer" "$result" "$layer_count" $((SECONDS - layer_started)))")
done

note "summary (build and run times together)"
printf '%s\n' "${summary[@]}"
printf 'total %d s; %d of %d layers failed\n' $((SECONDS - started)) "$failures" "${#layers[@]}"
[ "$failures" -eq 0 ]
