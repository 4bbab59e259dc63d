#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite headless (offscreen Mesa, Xvfb) in build/;
# then the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ (KESSIVAR_SANITIZE=0 skips that pass). The fuzzers run as tests for
# KESSIVAR_FUZZ_SECONDS each (default 5; CI gives them 30). Every test runs here, the
# ones labelled slow included; tests/CMakeLists.txt lists the labels.
set -eu
cd "$(dirname "$0")/.."
bash scripts/build.sh
bash scripts/web.sh --install  # the web page's toolchain and browser (tests/web)
bash scripts/windows.sh --install  # the Windows cross-compiler, wine and the libraries' sources (tests/windows)
# The tests never reach the network: what the builds fetch, the set-up above has fetched.
# As root they run in a network namespace of their own, with only the loopback, so that a
# test that tries fails here rather than on a mirror's bad day.
offline=()
[ "$(id -u)" == 0 ] && unshare -n true 2>/dev/null &&
  offline=(unshare -n sh -c 'ip link set lo up && exec "$0" "$@"')
(cd build && "${offline[@]}" ctest --output-on-failure -j"$(nproc)")
[ "${KESSIVAR_SANITIZE:-1}" == 0 ] && exit 0

# The sanitizer pass: the in-process tests (every area of the show, the damaged files, the
# long runs), then the real program in Xvfb. Left out: valgrind (it cannot run a sanitized
# program; it ran above), the fuzzers (sanitized already, run above) and the animation
# re-bake (a build tool's byte-for-byte check of its output, run above), the web page
# (built by emscripten, not by this build), the Windows program (built by mingw-w64, run
# under wine) and the package (installed into the machine
# once is enough).
# The tools run at build time without leak checks; the tests run with them, less the
# platform libraries' own (tests/lsan.supp), and with Mesa drawing on the calling thread
# (LeakSanitizer's thread scan can fault on llvmpipe's workers).
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS="$flags" \
      -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
ASAN_OPTIONS=detect_leaks=0 cmake --build build-asan -j"$(nproc)"
cd build-asan
export LP_NUM_THREADS=0 UBSAN_OPTIONS=print_stacktrace=1
# Sanitized programs start and run several times slower: every test deadline stretches.
export KESSIVAR_TIME_FACTOR=${KESSIVAR_TIME_FACTOR:-4}
export LSAN_OPTIONS="suppressions=$(pwd)/../tests/lsan.supp:print_suppressions=0"
# This compiler's sanitizer runtime, tracking __tls_get_addr, can record a nonsense range for
# the thread-local block of a library loaded at run time and die scanning it at exit.
export ASAN_OPTIONS=intercept_tls_get_addr=0
"${offline[@]}" ctest --output-on-failure -j"$(nproc)" -LE '^(x11|fuzz|rebake|web|windows|house)$'
# The real program one case at a time, so that its slower start cannot meet the scripts'
# timings, and without leak checks: it ends through exit() with its start-up allocations
# alive by design, and drivers it has unloaded leave leaks that no suppression can name.
ASAN_OPTIONS=$ASAN_OPTIONS:detect_leaks=0 "${offline[@]}" ctest --output-on-failure -j1 -L '^x11$' -LE '^(valgrind|package)$'
