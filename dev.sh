#!/usr/bin/env bash
# Developer entry point: installs what a fresh Debian machine lacks, then
# builds and runs one job.
#
#   ./dev.sh example   build velut and print the bundled string table
#   ./dev.sh test      build everything and run the whole test suite
#   ./dev.sh asan      the test suite under AddressSanitizer + UBSan
#   ./dev.sh tsan      the test suite under ThreadSanitizer
#   ./dev.sh coverage  the test suite instrumented, then the gcovr summary
#   ./dev.sh fuzz [SECONDS]   build the fuzz targets and run each on its corpus
#   ./dev.sh lint      check the layout with clang-format and the code with clang-tidy
#   ./dev.sh bench     build and run the benchmarks (optimised build): ours ÷ peer
#   ./dev.sh package   build the Debian packages into build/package/debs
#   ./dev.sh docs [--no-check]  the reference site into build/docs/html, then
#                      its browser test (--no-check: the site alone)
#   ./dev.sh stats [--record]  lines of tests against code; fails above the ratchet
#
# test, asan and tsan build with g++; CXX=clang++ ./dev.sh test (asan,
# tsan) builds with clang++ instead, in build/<job>-clang.
set -euo pipefail
cd "$(dirname "$0")"

# Debian packages, by the jobs that need them (see CONTRIBUTING.md, "Dependencies").
# A job installs the lists it names below; add a package to the list of
# the job that needs it, or give a new job its own list.
#
# Every build: compiler, CMake, the libraries' dependencies, and windres
# and ld for the tool's bundled example DLL.
BUILD_PKGS=(cmake ninja-build g++ pkg-config libpugixml-dev libicu-dev
            binutils-mingw-w64-x86-64)
# The test suite: GoogleTest and gMock, the 32-bit test DLLs, groff to
# check the generated man page, jq to parse the tool's JSON.
TEST_PKGS=(libgtest-dev libgmock-dev binutils-mingw-w64-i686 groff-base jq)
COVERAGE_PKGS=(gcovr)
# clang++ and its sanitizer runtimes (libFuzzer among them), for the fuzz
# targets and for the clang builds.
CLANG_PKGS=(clang libclang-rt-dev)
# The benchmarks' peers: Boost, {fmt} and libuuid (glibc brings iconv);
# jq reads their JSON output and gnuplot draws the chart of the ratios.
BENCH_PKGS=(libbenchmark-dev libboost-dev libfmt-dev uuid-dev valgrind jq gnuplot-nox)
LINT_PKGS=(clang-format clang-tidy)
# cpack's DEB generator reads ELF files with `file` and finds the shared
# library dependencies with dpkg-shlibdeps (dpkg-dev).
PACKAGE_PKGS=(dpkg-dev file)
# The reference site: Doxygen reads the headers through a Python filter;
# the browser test drives headless Chromium with Selenium.
DOCS_PKGS=(doxygen python3)
DOCS_CHECK_PKGS=(chromium chromium-driver python3-selenium)

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  [[ ${#missing[@]} -eq 0 ]] && return 0
  echo "dev.sh: installing ${missing[*]}" >&2
  local sudo=()
  [[ $(id -u) -ne 0 ]] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

njobs() { echo "${VELUT_JOBS:-$(nproc)}"; }

# The compiler's packages and the suffix of its presets: clang when CXX
# names a clang++, else g++ (the presets' default).
compiler_pkgs=() preset_suffix=""
case "$(basename "${CXX:-g++}")" in
  clang++*) compiler_pkgs=("${CLANG_PKGS[@]}") preset_suffix="-clang" ;;
esac

build() {  # build PRESET [TARGET...]
  local preset="$1"
  shift
  local compiler=()
  # The clang presets take the clang++ that CXX names (clang++-19, say).
  [[ $preset == *-clang ]] && compiler=(-DCMAKE_CXX_COMPILER="$CXX")
  cmake --preset "$preset" ${compiler[@]+"${compiler[@]}"} >/dev/null
  cmake --build --preset "$preset" -j "$(njobs)" ${1:+--target "$@"}
}

case "${1:-}" in
  example)
    # The packages' build: optimised, without the tests and what they need.
    install_missing "${BUILD_PKGS[@]}"
    build package velut
    build/package/tools/velut/velut strings
    ;;
  test)
    install_missing "${BUILD_PKGS[@]}" "${TEST_PKGS[@]}" ${compiler_pkgs[@]+"${compiler_pkgs[@]}"}
    build debug$preset_suffix
    ctest --preset debug$preset_suffix -j "$(njobs)"
    ;;
  asan)
    install_missing "${BUILD_PKGS[@]}" "${TEST_PKGS[@]}" ${compiler_pkgs[@]+"${compiler_pkgs[@]}"}
    build asan$preset_suffix
    ctest --preset asan$preset_suffix -j "$(njobs)"
    ;;
  tsan)
    install_missing "${BUILD_PKGS[@]}" "${TEST_PKGS[@]}" ${compiler_pkgs[@]+"${compiler_pkgs[@]}"}
    build tsan$preset_suffix
    ctest --preset tsan$preset_suffix -j "$(njobs)"
    ;;
  coverage)
    install_missing "${BUILD_PKGS[@]}" "${TEST_PKGS[@]}" "${COVERAGE_PKGS[@]}"
    build coverage
    # Counters of objects that are no longer built (a source renamed or
    # removed) would be merged with the new ones: drop them with their objects.
    ninja -C build/coverage -t cleandead >/dev/null
    find build/coverage -name '*.gcno' | while read -r note; do
      [[ -f ${note%.gcno}.o ]] || rm -f "$note"
    done
    find build/coverage -name '*.gcda' -delete
    ctest --preset coverage -j "$(njobs)"
    cmake --build --preset coverage --target coverage
    ;;
  fuzz)
    install_missing "${BUILD_PKGS[@]}" "${CLANG_PKGS[@]}"
    build fuzz
    fuzz/run-all.sh build/fuzz/fuzz "${2:-30}"
    ;;
  lint)
    install_missing "${BUILD_PKGS[@]}" "${TEST_PKGS[@]}" "${LINT_PKGS[@]}"
    git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
    build debug  # writes compile_commands.json and the generated headers
    run-clang-tidy -p build/debug -j "$(njobs)" -quiet \
      '/(src|winapi/src|velfirst/src|corefoundation/src|tools)/' >build/debug/clang-tidy.log 2>&1 ||
      { grep -E 'warning:|error:' build/debug/clang-tidy.log; exit 1; }
    echo "clang-format and clang-tidy: clean"
    ;;
  bench)
    install_missing "${BUILD_PKGS[@]}" "${BENCH_PKGS[@]}"
    build bench
    bench/table.sh build/bench
    ;;
  package)
    install_missing "${BUILD_PKGS[@]}" "${PACKAGE_PKGS[@]}" "${DOCS_PKGS[@]}"
    # The packages include the reference site (libvelut-doc).
    cmake --preset package -DVELUT_DOCS=ON >/dev/null
    build package
    rm -rf build/package/debs
    (cd build/package && cpack -G DEB -B "$PWD/debs" >/dev/null)
    for deb in build/package/debs/*.deb; do
      echo "$deb"
      dpkg-deb -f "$deb" Package Version Depends | sed 's/^/  /'
    done
    ;;
  docs)
    [[ ${2:-} == --no-check ]] || DOCS_PKGS+=("${DOCS_CHECK_PKGS[@]}")
    install_missing "${DOCS_PKGS[@]}"
    rm -rf build/docs/html
    mkdir -p build/docs
    VELUT_DOCS_OUT=build/docs \
      VELUT_VERSION="$(sed -n 's/^project(VelUt VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)" \
      doxygen docs/reference/Doxyfile
    echo "build/docs/html/index.html"
    [[ ${2:-} == --no-check ]] || /usr/bin/python3 tests/docs/site_test.py build/docs/html \
      build/docs/index.png
    ;;
  stats)
    # Raw lines of every hand-written test file (tests/ less its fixture
    # data, fuzz/ less corpora and dictionaries) against the C++ lines of the
    # libraries, the layers and the tool. The figure may only fall: it fails
    # above the lowest figure ever recorded in .ci/test-ratio, and never needs
    # to go below 0.35, about a third of the code.
    code=$(git ls-files -- src include winapi corefoundation velfirst textbase tools |
      grep -E '\.(cpp|h)$' | xargs -r cat | wc -l)
    tests=$(git ls-files -- tests fuzz | grep -vE '/(corpus|data)/|\.(dict|supp)$' |
      xargs -r cat | wc -l)
    recorded=$( (git log -p --format= -- .ci/test-ratio | sed -n 's/^+\([0-9.]*\)$/\1/p'
      cat .ci/test-ratio) | sort -g | head -n 1)
    ratio=$(awk -v c="$code" -v t="$tests" 'BEGIN { printf "%.4f", t / c }')
    ceiling=$(awk -v r="$recorded" 'BEGIN { printf "%.4f", (r > 0.35 ? r : 0.35) }')
    printf 'code (libraries, layers, tool)  %6d lines\n' "$code"
    printf 'tests (tests/, fuzz/)           %6d lines\n' "$tests"
    printf 'ratio                           %s (at most %s)\n' "$ratio" "$ceiling"
    if [[ ${2:-} == --record ]]; then
      echo "$ratio" >.ci/test-ratio
    elif awk -v r="$ratio" -v c="$recorded" 'BEGIN { exit !(r < c && c > 0.35) }'; then
      echo "the figure fell: ./dev.sh stats --record writes it to .ci/test-ratio"
    fi
    awk -v r="$ratio" -v c="$ceiling" 'BEGIN { exit !(r > c) }' || exit 0
    echo "dev.sh: the tests grew past the ratchet: make room by removing tests others cover" >&2
    exit 1
    ;;
  *)
    sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
