#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target lantisk
exec ./build/linux/lantisk
