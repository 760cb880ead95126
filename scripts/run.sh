#!/usr/bin/env bash
# Installs what Trelvanic needs, builds it optimised and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DTRELVANIC_TESTS=OFF -DTRELVANIC_BENCH=OFF "${launcher[@]}"
cmake --build build/release -j "$(nproc)"
if [ ! -x build/release/bin/trelvanic ]; then
  echo "run.sh: the build finished without the program build/release/bin/trelvanic; nothing to start." >&2
  exit 1
fi
exec build/release/bin/trelvanic "$@"
