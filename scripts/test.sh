#!/usr/bin/env bash
# Installs what Trelvanic needs, builds it with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DTRELVANIC_SANITIZE=ON "${launcher[@]}"
cmake --build build/test -j "$(nproc)"
# Playback and recording tests need a sound server: a private PulseAudio with a null sink.
# Sound suites depend on a responsive sound server: leave the machine some headroom.
scripts/with-null-sound ctest --test-dir build/test --output-on-failure -j 6
