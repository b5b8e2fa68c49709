#!/bin/bash
# Vantrel's one entry for Debian 12:
#   scripts/vantrel.sh run    install what is missing, build, start Vantrel under Wine
#   scripts/vantrel.sh test   install what is missing, build, run every test
#   scripts/vantrel.sh bench  build and print every benchmark
# Environment (all optional):
#   VANTREL_BUILD_DIR    the build folder (default: build/ in the repository)
#   VANTREL_WINEPREFIX   the Wine prefix (default: wineprefix/ in the build folder)
#   VANTREL_SKIP_NATIVE  when set, `test` skips the native logic tests and the fuzzing
#   VANTREL_CTEST_ARGS   more arguments for ctest, e.g. "-R app_main_tests"
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VANTREL_BUILD_DIR:-$root/build}"
mode="${1:-run}"
jobs="$(nproc 2>/dev/null || echo 2)"

log() { printf '%s\n' "vantrel: $*" >&2; }

install_missing() {
  local need=()
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools)
  command -v wine >/dev/null || need+=(wine)
  command -v wine64 >/dev/null || [ -x /usr/lib/wine/wine64 ] || need+=(wine64)
  command -v Xvfb >/dev/null || need+=(xvfb)
  command -v xauth >/dev/null || need+=(xauth)
  command -v xdpyinfo >/dev/null || need+=(x11-utils)
  command -v import >/dev/null || need+=(imagemagick)
  command -v cmake >/dev/null || need+=(cmake)
  command -v ninja >/dev/null || need+=(ninja-build)
  command -v g++ >/dev/null || need+=(g++)
  command -v clang++ >/dev/null || need+=(clang)
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
  [ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
  command -v dpkg-source >/dev/null || need+=(dpkg-dev)
  if [ ${#need[@]} -gt 0 ]; then
    log "installing ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
  fi
}

# libjpeg-turbo for the Windows target, from Debian's source package, built once.
build_libjpeg() {
  local prefix="$build/deps/libjpeg-turbo"
  [ -f "$prefix/lib/libjpeg.a" ] && return 0
  local src="$build/deps/src"
  mkdir -p "$src"
  if ! ls -d "$src"/libjpeg-turbo-*/ >/dev/null 2>&1; then
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
      local base
      base="$(grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1 | awk '{print $2}')"
      local signed
      signed="$(grep -h '^Signed-By:' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1 | cut -d' ' -f2-)"
      [ -n "$base" ] || base="$(awk '/^deb /{print $2; exit}' /etc/apt/sources.list)"
      [ -n "$signed" ] || signed=/usr/share/keyrings/debian-archive-keyring.gpg
      log "adding deb-src for bookworm"
      printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: %s\n' "$base" "$signed" \
        > /etc/apt/sources.list.d/vantrel-deb-src.sources
      apt-get update -qq
    fi
    (cd "$src" && apt-get source -qq --download-only libjpeg-turbo >/dev/null 2>&1 &&
       dpkg-source -x --no-check libjpeg-turbo_*.dsc >/dev/null)
  fi
  local dir
  dir="$(ls -d "$src"/libjpeg-turbo-*/ | head -1)"
  log "building libjpeg-turbo for Windows"
  cmake -S "$dir" -B "$build/deps/libjpeg-build" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR="$prefix/lib" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF >/dev/null
  cmake --build "$build/deps/libjpeg-build" --target install >/dev/null
}

configure_and_build() {
  build_libjpeg
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  if ! cmake --build "$build" -- -j"$jobs" >"$build/build.log" 2>&1; then
    grep -vE '^\[[0-9]+/[0-9]+\]' "$build/build.log" | tail -60 >&2
    log "build failed (full log: $build/build.log)"; exit 1
  fi
}

xvfb_pid=""
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    rm -f "$build/xvfb.display"; return 0
  fi
  local fifo="$build/xvfb.fd"
  rm -f "$fifo"; mkfifo "$fifo"
  # Every Wine process that uses user32 is a client: the desktop-sized
  # benchmark runs some hundreds of them.
  Xvfb -displayfd 9 -screen 0 1280x800x24 -nolisten tcp -maxclients 2048 9>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  local num
  read -r num <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$num"
  echo "$DISPLAY" >"$build/xvfb.display"
}

# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh"

wine_up() {
  vantrel_wine_env
  [ -f "$WINEPREFIX/system.reg" ] || log "creating the Wine prefix"
  vantrel_wine_prefix
  wineserver -p </dev/null >/dev/null 2>&1 &
  # Start Wine's service processes now, detached from any caller's output.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# The X window of a top-level window by its title; empty when none has it.
window_id() {
  xwininfo -root -tree 2>/dev/null | awk -v t="\"$1\":" '$2 == t { print $1; exit }'
}

# Waits until a window of title $1 is on the screen (at most $2 seconds),
# then $3 seconds more for what it shows first; false when it did not come.
wait_window() {
  local title="$1" limit=$(( $2 * 10 )) settle="$3" i
  for ((i = 0; i < limit; i++)); do
    if [ -n "$(window_id "$title")" ]; then sleep "$settle"; return 0; fi
    sleep 0.1
  done
  return 1
}

# A screenshot of one top-level window by its title (the whole screen if none has it).
shoot_window() {
  local id
  id="$(window_id "$1")"
  import -window "${id:-root}" "$2" 2>/dev/null || true
}

cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; rm -f "$build/xvfb.display"; fi
}

run_tests() {
  local rc=0
  if [ -z "${VANTREL_SKIP_NATIVE:-}" ]; then
  log "native logic tests"
  cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_NATIVE=ON \
    -DVANTREL_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
  if ! cmake --build "$build/native" -- -j"$jobs" >"$build/native-build.log" 2>&1; then
    tail -60 "$build/native-build.log" >&2; log "native build failed"; return 1
  fi
  (cd "$build/native" && ctest --output-on-failure ${VANTREL_CTEST_ARGS:-}) || rc=1
  fi
  log "Windows tests under Wine"
  # shellcheck disable=SC2086
  (cd "$build" && ctest --output-on-failure -j1 ${VANTREL_CTEST_ARGS:-}) || rc=1
  return $rc
}

# Everything a mode needs before it runs programs: tools, build, display, Wine.
prepare() {
  install_missing
  mkdir -p "$build"
  configure_and_build
  trap cleanup EXIT
  start_display
  wine_up
}

case "$mode" in
  run)
    prepare
    if [ -n "$xvfb_pid" ]; then
      shot="$build/screenshot.png"
      "$build/wine-run.sh" "$build/bin/Vantrel.exe" &
      app=$!
      # 1.5 s: the status bar counts the processes at the first tick.
      wait_window "Vantrel" 60 1.5 || log "no Vantrel window after 60 s; the screenshot shows what is there"
      import -window root "$shot"
      shoot_window "Vantrel" "$build/main.png"
      log "Vantrel runs on the virtual display $DISPLAY; screenshot written to $shot"
      kill "$app" 2>/dev/null || true
      wait "$app" 2>/dev/null || true
      # The about box, held on screen by its own small driver.
      if [ -x "$build/bin/shot_about.exe" ]; then
        "$build/wine-run.sh" "$build/bin/shot_about.exe" 6000 &
        wait_window "About" 30 0.5 || log "no about box after 30 s"
        shoot_window "About" "$build/about.png"
        wait $! 2>/dev/null || true
        log "window screenshots: $build/main.png, $build/about.png"
      fi
    else
      log "starting Vantrel on $DISPLAY"
      "$build/wine-run.sh" "$build/bin/Vantrel.exe"
    fi
    ;;
  test)
    prepare
    run_tests
    ;;
  bench)
    prepare
    failed=()
    for b in "$build"/bin/bench_*.exe; do
      [ -x "$b" ] || continue
      log "$(basename "$b" .exe)"
      "$build/wine-run.sh" "$b" || failed+=("$(basename "$b" .exe)")
    done
    if [ ${#failed[@]} -gt 0 ]; then log "failed: ${failed[*]}"; exit 1; fi
    ;;
  *) echo "usage: $0 run|test|bench" >&2; exit 2 ;;
esac
