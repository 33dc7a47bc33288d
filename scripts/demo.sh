#!/usr/bin/env bash
# Sets up the machine, builds the rastero tool and runs the main job on the sample picture: a
# mosaic over the visitor's name badge, written next to the build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

echo "Building the rastero tool in build/demo ..."
cmake -S . -B build/demo -DCMAKE_BUILD_TYPE=Release -DRASTERO_BUILD_TESTS=OFF >/dev/null
cmake --build build/demo --target rastero_tool -j 2 >/dev/null

input=samples/visitor.bmp
output=build/demo/visitor-pixelated.bmp
build/demo/cli/rastero pixelate "$input" "$output" 230 185 290 265
echo "Pixelated the name badge of $input (columns 230-290, rows 185-265)."
echo "Result: $(pwd)/$output"
