#!/bin/bash
# The main job: builds unpak natively and lists a sample archive made here.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target unpak
sample=build/native/sample.zip
python3 tools/make_sample.py "$sample"
build/native/engine/unpak -v "$sample"
