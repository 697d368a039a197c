#!/bin/sh
# Installs what is missing, builds, and runs Twinel on the shipped example:
# pairs the nearly symmetric torus and makes it exactly symmetric.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
mkdir -p out
set -x
build/bin/twinel check examples/torus.obj
build/bin/twinel pair examples/torus.obj -o out/torus-symmetric.obj --report out/torus-report.json
cat out/torus-report.json
set +x
echo
echo "To see the torus in the browser (palette, 3D view, live symmetry):"
echo "  build/bin/twinel serve examples/torus.obj    # then open the address it prints"
