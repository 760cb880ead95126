#!/usr/bin/env bash
# Installs what Trelvanic needs, builds it and runs every test: with AddressSanitizer and UndefinedBehaviorSanitizer
# by default, or as the plain optimised build that packagers make when called with "release".
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# Paths relative to the checkout, so that a fresh clone elsewhere reuses the compiler cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
if [ "${1:-}" = release ]; then
  build=build/release
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}"
else
  build=build/test
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DTRELVANIC_SANITIZE=ON "${launcher[@]}"
fi
cmake --build "$build" -j "$(nproc)"
# Playback and recording tests need a sound server: a private PulseAudio with a null sink.
# Sound suites depend on a responsive sound server: leave the machine some headroom.
# A suite that fails runs once more, both runs shown, and is named: Qt Multimedia's sound client can still abort a
# suite's exit after all its tests have passed; a fault that repeats still fails.
scripts/with-null-sound bash -c '
  ctest --test-dir "$1" --output-on-failure -j 6 && exit 0
  failed=$(cut -d: -f2 "$1/Testing/Temporary/LastTestsFailed.log")
  ctest --test-dir "$1" --output-on-failure --rerun-failed; rc=$?
  echo "Suites that failed once and ran again:" $failed
  exit $rc' retry "$build"
