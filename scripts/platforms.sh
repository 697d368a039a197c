#!/bin/sh
# Builds and checks the deliverables on this Debian machine:
#   twinel64.dll  cross-built (MinGW-w64) with the reference host and
#                 twinel.exe beside it, exports checked; under wine64 the
#                 tests run (all but those of the command line and the
#                 page, and those that call POSIX), loading the DLL through
#                 the host, and every session script of tests/scripts/ is
#                 run by twinel.exe, its outputs compared byte for byte with
#                 the Linux build's (build/, made by scripts/build.sh when
#                 missing)                                      build-w64/
#   twinel32.dll  cross-built, exports checked                   build-w32/
#   32-bit code   the plug-in and the host-free tests built with g++ -m32
#                 and run natively                               build-m32/
#   twinel_mac    the Cocoa file dialog compile-checked with clang against
#                 GNUstep's headers                              build-mac/
# Installs the Debian packages it needs when any is missing.
#
# --wine32 also builds the 32-bit host and twinel.exe and runs the tests
# and the session scripts with the 32-bit DLL under wine, as for 64 bits. That
# needs the i386 architecture and wine32:i386, which this option installs
# (it upgrades many system packages, so it is not part of CI).
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

wine32=no
for arg in "$@"; do
  case "$arg" in
    --wine32) wine32=yes ;;
    *) echo "usage: $0 [--wine32]" >&2; exit 2 ;;
  esac
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi

# ---- packages ----------------------------------------------------------------
mark=$(date +%s)
started=$mark
# Sets `elapsed` to the seconds since the last call.
lap() { now=$(date +%s); elapsed=$((now - mark)); mark=$now; }

# The project's own packages (the Windows host is built from the sources of
# the installed pugixml and cpp-httplib) and the cross tools.
./scripts/install-deps.sh g++-multilib googletest patch \
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 \
  wine64 clang libgnustep-gui-dev libgnustep-base-dev gnustep-make
if [ "$wine32" = yes ] && ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
  $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null
fi

lap
echo "platforms: packages ready ($elapsed s)"

jobs=$(nproc)
passed=0
failed=0
pass() { lap; passed=$((passed + 1)); echo "platforms: ok: $1 ($elapsed s)"; }
fail() { lap; failed=$((failed + 1)); echo "platforms: FAILED: $1 ($elapsed s)" >&2; }

configure() { # build-dir toolchain [cmake options]
  dir=$1 toolchain=$2
  shift 2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" "$@" >"$dir/configure.log" 2>&1 ||
    { cat "$dir/configure.log" >&2; return 1; }
}

# ---- the exports and imports of a DLL ------------------------------------------------
EXPORTS="CSym Mark SymS Sym_W create_interface extention_list get_info get_name get_uuid has_interface \
is_resident twinel_string"
# The C++ runtime is linked statically: only Windows' own DLLs are imported.
SYSTEM_DLLS="kernel32.dll msvcrt.dll comdlg32.dll user32.dll"

check_dll() { # dll objdump format
  dll=$1 objdump=$2 format=$3
  [ -f "$dll" ] || { echo "$dll: missing" >&2; return 1; }
  headers=$($objdump -p "$dll")
  echo "$headers" | grep -q "file format $format" || { echo "$dll: not $format" >&2; return 1; }
  exports=$(echo "$headers" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p' | sort)
  expected=$(printf '%s\n' $EXPORTS | sort)
  if [ "$exports" != "$expected" ]; then
    echo "$dll exports:" >&2; echo "$exports" >&2
    echo "expected exactly:" >&2; echo "$expected" >&2
    return 1
  fi
  for import in $(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    case " $SYSTEM_DLLS " in
      *" $import "*) ;;
      *) echo "$dll imports $import, which Windows does not have" >&2; return 1 ;;
    esac
  done
  $objdump -h "$dll" | grep -q '\.rsrc' || { echo "$dll: no resources" >&2; return 1; }
  echo "$(basename "$dll"): $(echo "$exports" | wc -l) exports, imports $(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')"
}

# ---- a test run judged by GoogleTest's XML reports -------------------------------------
# Every CTest entry writes one report (test-xml/); an exit code alone proves
# nothing (a 32-bit program under a 64-bit-only wine exits 0 without running).
run_tests() { # build-dir
  dir=$1
  rm -rf "$dir/test-xml"
  ctest --test-dir "$dir" -j"$jobs" --output-on-failure --timeout 300 >"$dir/ctest.log" 2>&1 || true
  tail -n 3 "$dir/ctest.log"
  total=$(ctest --test-dir "$dir" -N | sed -n 's/^Total Tests: //p')
  reports=$(find "$dir/test-xml" -name '*.xml' 2>/dev/null | wc -l)
  good=0
  if [ "$reports" -gt 0 ]; then
    good=$(grep -l '<testsuites tests="1" failures="0" disabled="0" errors="0"' "$dir"/test-xml/*.xml | wc -l)
  fi
  echo "$dir: $total tests, $reports reports, $good passed"
  if [ "${total:-0}" -eq 0 ] || [ "$reports" -ne "$total" ] || [ "$good" -ne "$total" ]; then
    grep -B2 -A20 -E "Failed|\*\*\*" "$dir/ctest.log" | head -n 80 >&2 || true
    return 1
  fi
}

# ---- wine ------------------------------------------------------------------------
# One prefix per build, with its server started once before the build (test
# listing runs the programs) and stopped at the end: a server started from
# inside ctest would keep its output pipes open.
WINESERVER=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
WINELOADER64=$(command -v wine64 || echo /usr/lib/wine/wine64)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
started_prefixes=""
stop_wine() {
  for prefix in $started_prefixes; do WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null || true; done
}
trap stop_wine EXIT
start_wine() { # prefix
  export WINEPREFIX=$1
  mkdir -p "$WINEPREFIX"
  started_prefixes="$started_prefixes $WINEPREFIX"
  # (A server left running for this prefix is used as it is.)
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  "$WINELOADER64" wineboot --init </dev/null >/dev/null 2>&1
  # No display: with the null graphics driver, the first program that loads
  # user32 does not wait for a desktop process that cannot start.
  "$WINELOADER64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
  # The desktop process (explorer.exe /desktop) is started by the first
  # program that loads user32 and inherits its output: started by a test
  # under ctest, it would keep that test's pipes open, and the test
  # "running", until it exits, long after the test ended (tests queued
  # behind it wait, and the first program would wait for the desktop, 10 s
  # and more). A notepad (the null driver shows nothing) holds the desktop
  # from here to the end; stopping the server ends both. In a new prefix
  # the first desktop fails to start and its program ends: then it is
  # tried again.
  for attempt in 1 2 3; do
    "$WINELOADER64" notepad </dev/null >/dev/null 2>&1 &
    holder=$!
    sleep 5
    if kill -0 "$holder" 2>/dev/null; then return 0; fi
  done
  echo "platforms: wine's desktop did not start; tests may wait for it" >&2
}

# ---- sources of Debian packages, for the Windows host ------------------------------
# libpugixml-dev has the headers but no source, and libcpp-httplib-dev a
# header split from its library: the Windows host is built from the source
# packages of the installed versions (their Debian patches applied),
# fetched with apt-get source through lists of this build's own (the
# system's sources as deb-src), so that the system's apt configuration
# stays as it is.
sources_listed=no
fetch_source() { # dev-package folder; prints the folder of the unpacked source
  pkg=$1 dir=$2
  source=$(dpkg-query -W -f='${source:Package}' "$pkg")
  version=$(dpkg-query -W -f='${source:Version}' "$pkg")
  upstream=${version%-*}
  unpacked="$dir/$source-$version"
  if [ ! -f "$unpacked/.unpacked" ]; then
    mkdir -p "$dir/etc/sources.list.d" "$dir/lists/partial"
    apt_options="-o Dir::Etc::SourceList=$dir/etc/sources.list -o Dir::Etc::SourceParts=$dir/etc/sources.list.d
      -o Dir::State::Lists=$dir/lists"
    if [ "$sources_listed" = no ]; then
      : >"$dir/etc/sources.list"
      if [ -f /etc/apt/sources.list ]; then sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >"$dir/etc/sources.list"; fi
      for f in /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] && sed -n 's/^deb \(.*\)/deb-src \1/p' "$f" >>"$dir/etc/sources.list"
      done
      for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$dir/etc/sources.list.d/$(basename "$f")"
      done
      # shellcheck disable=SC2086
      apt-get $apt_options update -qq >"$dir/apt.log" 2>&1 || { cat "$dir/apt.log" >&2; return 1; }
      sources_listed=yes
    fi
    rm -rf "$unpacked"
    mkdir -p "$unpacked"
    # shellcheck disable=SC2086
    (cd "$dir" && apt-get $apt_options source --download-only "$source=$version" >>"$dir/apt.log" 2>&1) &&
      tar xf "$(ls "$dir/${source}_$upstream".orig.tar.* | head -n 1)" -C "$unpacked" --strip-components=1 &&
      tar xf "$(ls "$dir/${source}_$version".debian.tar.* | head -n 1)" -C "$unpacked" ||
      { cat "$dir/apt.log" >&2; return 1; }
    if [ -f "$unpacked/debian/patches/series" ]; then
      for patch in $(grep -v '^#' "$unpacked/debian/patches/series"); do
        patch -d "$unpacked" -p1 -s <"$unpacked/debian/patches/$patch" || return 1
      done
    fi
    touch "$unpacked/.unpacked"
  fi
  echo "$unpacked"
}

# ---- the session scripts on Windows and on Linux ---------------------------------
# Each script of tests/scripts/, in English and in Japanese, run by the
# Linux build's twinel and by the Windows build's twinel.exe under wine;
# what they print, their JSON outcome and every file they write into their
# scratch folder must be the same bytes. Sets `compared`.
compare_scripts() { # windows-build-dir wine-loader
  out="$root/$1/scripts"
  rm -rf "$out"
  mkdir -p "$out/linux" "$out/windows"
  if [ ! -x build/bin/twinel ]; then ./scripts/build.sh >"$out/linux-build.log" 2>&1 || { tail -n 20 "$out/linux-build.log" >&2; return 1; }; fi
  compared=0
  differing=0
  for script in tests/scripts/*.twinel; do
    name=$(basename "$script" .twinel)
    for lang in en ja; do
      run="$name.$lang"
      # Both runs write into the same scratch folder, so that a printed path
      # is the same text in both; each run's folder is moved aside after it.
      scratch="$out/scratch/$run"
      (cd tests/scripts && "$root/build/bin/twinel" --lang $lang script --json --scratch "$scratch" "$name.twinel" \
        >"$out/linux/$run.json" 2>"$out/linux/$run.txt") || true
      mv "$scratch" "$out/linux/$run"
      (cd tests/scripts && "$2" "$root/$1/bin/twinel.exe" --lang $lang script --json --scratch "$scratch" \
        "$name.twinel" >"$out/windows/$run.json" 2>"$out/windows/$run.txt" </dev/null) || true
      mv "$scratch" "$out/windows/$run"
      compared=$((compared + 1))
      if ! diff -r "$out/linux/$run" "$out/windows/$run" >/dev/null 2>&1 ||
        ! cmp -s "$out/linux/$run.json" "$out/windows/$run.json" || ! cmp -s "$out/linux/$run.txt" "$out/windows/$run.txt"; then
        differing=$((differing + 1))
        echo "$run: the Windows build's outputs differ from Linux's:" >&2
        diff -r "$out/linux/$run" "$out/windows/$run" >&2 || true
        diff "$out/linux/$run.json" "$out/windows/$run.json" >&2 || true
        diff "$out/linux/$run.txt" "$out/windows/$run.txt" | head -n 20 >&2 || true
      fi
    done
  done
  echo "$compared script runs compared, $differing differ (outputs in $out)"
  [ "$differing" -eq 0 ]
}

# ---- the page with the Windows command ------------------------------------------
# tests/web/page_test.js, the page's browser test, with `twinel serve` and
# `twinel script` run by twinel.exe under wine; the page (static files, the
# same on every system) is the Linux build's, put beside twinel.exe. The
# Windows build compresses nothing (Debian has no zlib for MinGW).
run_page_test() { # windows-build-dir wine-loader
  [ -f build/bin/web/index.html ] && [ -d build/web/node_modules ] && command -v chromium >/dev/null ||
    { echo "the Linux build's page, its node_modules or chromium is missing" >&2; return 1; }
  rm -rf "$1/bin/web"
  cp -r build/bin/web "$1/bin/web"
  wrapper="$root/$1/twinel-under-wine"
  printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$2" "$root/$1/bin/twinel.exe" >"$wrapper"
  chmod +x "$wrapper"
  (cd build && NODE_PATH="$root/build/web/node_modules" TWINEL="$wrapper" CHROMIUM="$(command -v chromium)" \
    OUT="$root/$1/web-test" SOURCE="$root" ENCODING="" node "$root/tests/web/page_test.js" \
    >"$root/$1/web-test.log" 2>&1) || { tail -n 20 "$root/$1/web-test.log" >&2; return 1; }
  tail -n 1 "$1/web-test.log"
}

# ---- twinel64.dll ------------------------------------------------------------------
mkdir -p build-w64
start_wine "$root/build-w64/wine-prefix"
windows_sources=yes
pugixml_src=$(fetch_source libpugixml-dev "$root/build-w64/sources") || windows_sources=no
httplib_src=$(fetch_source libcpp-httplib-dev "$root/build-w64/sources") || windows_sources=no
[ "$windows_sources" = yes ] || fail "the source packages of pugixml and cpp-httplib"
if [ "$windows_sources" = yes ] &&
  configure build-w64 toolchain-mingw64.cmake -DTWINEL_WINDOWS_HOST=ON -DTWINEL_PUGIXML_SOURCE="$pugixml_src/src" \
    -DTWINEL_HTTPLIB_SOURCE="$httplib_src" &&
  cmake --build build-w64 -j"$jobs" >build-w64/build.log 2>&1; then
  pass "twinel64.dll and its tests built"
  if check_dll build-w64/bin/twinel64.dll x86_64-w64-mingw32-objdump pei-x86-64; then
    pass "twinel64.dll exports and imports"
  else fail "twinel64.dll exports and imports"; fi
  if run_tests build-w64; then pass "tests of twinel64.dll with the reference host under wine64"; else fail "tests under wine64"; fi
  if compare_scripts build-w64 "$WINELOADER64"; then
    pass "$compared session scripts run by twinel.exe with twinel64.dll under wine64, outputs as on Linux"
  else fail "session scripts under wine64"; fi
  if run_page_test build-w64 "$WINELOADER64"; then
    pass "the page's browser test with twinel.exe and twinel64.dll under wine64"
  else fail "the page's browser test under wine64"; fi
else
  tail -n 40 build-w64/build.log >&2 || true
  fail "twinel64.dll build"
fi

# ---- twinel32.dll ------------------------------------------------------------------
mkdir -p build-w32
targets="--target twinel_plugin"
w32_options=""
if [ "$wine32" = yes ]; then
  targets=""
  if [ "$windows_sources" = yes ]; then
    w32_options="-DTWINEL_WINDOWS_HOST=ON -DTWINEL_PUGIXML_SOURCE=$pugixml_src/src -DTWINEL_HTTPLIB_SOURCE=$httplib_src"
  fi
  start_wine "$root/build-w32/wine-prefix"
fi
# shellcheck disable=SC2086
if configure build-w32 toolchain-mingw32.cmake $w32_options &&
  cmake --build build-w32 -j"$jobs" $targets >build-w32/build.log 2>&1; then
  pass "twinel32.dll built (with the 32-bit layout checks)"
  if check_dll build-w32/bin/twinel32.dll i686-w64-mingw32-objdump pei-i386; then
    pass "twinel32.dll exports and imports"
  else fail "twinel32.dll exports and imports"; fi
  if [ "$wine32" = yes ]; then
    if run_tests build-w32; then pass "tests of twinel32.dll under wine32"; else fail "tests under wine32"; fi
    if [ -n "$w32_options" ]; then
      if compare_scripts build-w32 "$(command -v wine || echo /usr/lib/wine/wine)"; then
        pass "$compared session scripts run by twinel.exe with twinel32.dll under wine32, outputs as on Linux"
      else fail "session scripts under wine32"; fi
    fi
  fi
else
  tail -n 40 build-w32/build.log >&2 || true
  fail "twinel32.dll build"
fi

# ---- 32-bit native tests -----------------------------------------------------------
mkdir -p build-m32
# Some kernels run no 32-bit x86 programs (IA-32 emulation off, or a guest
# that lacks it): the tests are then built, their list taken when ctest
# runs rather than by running them at build time, and not run.
runs32=yes
printf 'int main() { return 0; }\n' >build-m32/probe.cpp
if ! g++ -m32 build-m32/probe.cpp -o build-m32/probe >/dev/null 2>&1 || ! ./build-m32/probe 2>/dev/null; then
  runs32=no
fi
m32_options=""
[ "$runs32" = no ] && m32_options="-DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST"
if configure build-m32 toolchain-linux-m32.cmake $m32_options && cmake --build build-m32 -j"$jobs" >build-m32/build.log 2>&1; then
  if [ "$runs32" = no ]; then
    pass "host-free tests built with g++ -m32 (not run: this machine's kernel runs no 32-bit programs)"
  elif run_tests build-m32; then pass "host-free tests built with g++ -m32"; else fail "tests built with g++ -m32"; fi
else
  tail -n 40 build-m32/build.log >&2 || true
  fail "g++ -m32 build"
fi

# ---- the Cocoa file dialog -----------------------------------------------------------
# GNUstep's headers use GCC's Objective-C runtime headers; clang sees them
# through a folder that holds only the objc/ link.
mkdir -p build-mac/include
ln -sfn "$(gcc -print-file-name=include)/objc" build-mac/include/objc
ln -sfn "$root/frame" build-mac/include/frame
for dir in mesh symmetry uv window; do ln -sfn "$root/$dir" "build-mac/include/$dir"; done
mac_ok=yes
mac_count=0
for source in $(ls frame/*.mm mesh/*.mm symmetry/*.mm uv/*.mm window/*.mm 2>/dev/null); do
  mac_count=$((mac_count + 1))
  clang++ -x objective-c++ -std=c++17 -fsyntax-only -fno-objc-arc -fobjc-runtime=gcc -fobjc-exceptions \
    -fconstant-string-class=NSConstantString -DGNUSTEP -DGNUSTEP_BASE_LIBRARY=1 -DGNU_GUI_LIBRARY=1 \
    -DGNU_RUNTIME=1 -I/usr/include/GNUstep -I"$root/build-mac/include" -Wall -Wextra -Wmissing-prototypes \
    -Werror "$source" || mac_ok=no
done
if [ "$mac_ok" = yes ] && [ "$mac_count" -gt 0 ]; then
  pass "$mac_count Cocoa source(s) compile against GNUstep's headers"
else fail "Cocoa sources"; fi

echo "platforms: took $(($(date +%s) - started)) s"
echo "platforms: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
