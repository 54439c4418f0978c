# The system code (work/, comm/, and app/ as far as compiling) built for
# Windows with MinGW-w64 against the real Win32 headers, and its tests run
# under Wine: a check of the platform layer against a second implementation
# of the same calls. Sourced by scripts/test after common.sh.

KESTRIX_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64 wine wine64)

# Prints the number of tests in a build folder that carry the label.
count_labelled() {
  ctest --test-dir "$1" -N -L "$2" | sed -n 's/^Total Tests: //p'
}

# run_windows_tests LINUX_FOLDER: builds build/windows and runs its tests in
# a private Wine prefix, made once for the run and removed after it. Skips,
# saying so, only when the packages cannot be installed.
run_windows_tests() {
  local linux_folder=$1
  if ! (ensure_packages "${KESTRIX_WINDOWS_PACKAGES[@]}"); then
    echo "=== Windows build skipped: MinGW-w64 and Wine could not be installed ==="
    return 0
  fi
  configure_and_build build/windows Debug -DKESTRIX_WERROR=ON --toolchain cmake/mingw-w64-x86_64.cmake
  local scratch
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-wine-XXXXXX")
  local log=$scratch/ctest.log status=0
  # One prefix for the whole run, made before the tests so that its making
  # (a minute or more on a busy machine) counts against no test's time-out.
  WINEPREFIX=$scratch/prefix cmake/wine_run.sh --prepare
  WINEPREFIX=$scratch/prefix WINEDEBUG=-all \
    ctest --test-dir build/windows --output-on-failure -j "$(nproc)" 2>&1 | tee "$log" || status=$?
  echo "=== test counts ==="
  echo "under Wine:          $(sed -n 's/^.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\)$/\2 run, \1 failed/p' "$log"), $(grep -c '(Skipped)' "$log") skipped where Wine departs from Windows"
  echo "on Linux, same tests: $(count_labelled "$linux_folder" both_sides) (label both_sides)"
  echo "on Linux only:        $(count_labelled "$linux_folder" linux_only) (label linux_only)"
  WINEPREFIX=$scratch/prefix wineserver -k 2>/dev/null || true
  rm -rf "$scratch"
  return "$status"
}
