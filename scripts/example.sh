#!/bin/sh
# Installs what is missing, builds, and runs Twinel on the shipped example mesh.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
mkdir -p out
set -x
build/bin/twinel info
build/bin/twinel convert examples/torus.obj -o out/torus.obj
