#!/bin/sh
# Installs the Debian packages Twinel builds with, when any is missing,
# and the packages named as arguments (a script's own tools, for instance
# clang for the sanitizer and fuzzing builds). Runs as root, or through
# sudo otherwise.
#
#   ./scripts/install-deps.sh
#   ./scripts/install-deps.sh clang libclang-rt-14-dev
set -eu

PACKAGES="g++ make cmake libboost-dev libgtest-dev libgmock-dev libfast-float-dev \
libdragonbox-dev libpugixml-dev nlohmann-json3-dev libstb-dev libcli11-dev libbenchmark-dev imagemagick-6.q16 \
libcpp-httplib-dev chromium libtinygltf-dev"
# The page of `twinel serve` is bundled with npm; Debian's nodejs and npm
# unless a node is there already (one from elsewhere brings its own npm).
if ! command -v node >/dev/null 2>&1; then PACKAGES="$PACKAGES nodejs npm"; fi
PACKAGES="$PACKAGES $*"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
