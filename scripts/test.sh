#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: Linux, Linux under
# AddressSanitizer + UndefinedBehaviorSanitizer, Linux under ThreadSanitizer,
# and the Windows build under wine. Fails when any build or test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
presets=(linux linux-asan linux-tsan windows)
[ $# -gt 0 ] && presets=("$@")

# The tests' own wine prefix; without Mono and Gecko, whose installers a new
# prefix would otherwise ask for.
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-lantisk}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
start_wine() {
  # One wineserver for the whole run: starting one per test costs seconds.
  if [ ! -f "$WINEPREFIX/system.reg" ]; then wineboot -i >/dev/null 2>&1 || true; fi
  # Wait for a server that is about to end (after wineboot); a persistent one
  # from an earlier run never ends, and is simply kept.
  timeout 15 wineserver -w 2>/dev/null || true
  wineserver -p 2>/dev/null || true
  wine cmd /c exit >/dev/null 2>&1 || true
}

failed=()
for preset in "${presets[@]}"; do
  echo "=== $preset: configure and build"
  [ "$preset" = windows ] && start_wine
  if ! cmake --preset "$preset" >/dev/null || ! cmake --build --preset "$preset" -j "$jobs"; then
    failed+=("$preset (build)")
    continue
  fi
  echo "=== $preset: test"
  if ! ctest --preset "$preset" -j "$jobs"; then failed+=("$preset (tests)"); fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all test runs passed: ${presets[*]}"
