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
#   ./dev.sh cross ARCH  cross-build for a Debian architecture (i386 armhf arm64
#                      ppc64el s390x) into build/cross-ARCH and run the suite
#                      under qemu-user
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
# Cross builds: the emulator, and debootstrap for the sysroots of the
# architectures that multiarch cannot install (see cross_sysroot).
CROSS_PKGS=(qemu-user-static debootstrap)
# The target's libraries, installed as ARCH's multiarch packages or
# unpacked into a sysroot.
CROSS_LIBS=(libicu-dev libpugixml-dev libgtest-dev libgmock-dev)
# cpack's DEB generator reads ELF files with `file` and finds the shared
# library dependencies with dpkg-shlibdeps (dpkg-dev).
PACKAGE_PKGS=(dpkg-dev file)
# The reference site: Doxygen reads the headers through a Python filter;
# the browser test drives headless Chromium with Selenium.
DOCS_PKGS=(doxygen python3)
DOCS_CHECK_PKGS=(chromium chromium-driver python3-selenium)

# as_root CMD...: runs CMD as root, through sudo when this is not root.
as_root() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  [[ ${#missing[@]} -eq 0 ]] && return 0
  echo "dev.sh: installing ${missing[*]}" >&2
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive \
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

# cross_sysroot ARCH DIR: ARCH's libraries, with their dependencies,
# unpacked into DIR. Debian 12's security archive no longer carries s390x,
# so its packages there lag the amd64 ones that multiarch must match
# exactly (libssl3, linux-libc-dev): apt refuses them. Unpacked, never
# configured, they serve the compiler and qemu-user's loader. Folders the
# programs share with the host (/tmp, /proc, ...) are removed: qemu-user
# would read the sysroot's empty copies instead of the host's.
cross_sysroot() {
  local arch="$1" dir="$2" include deb
  [[ -f $dir/.complete ]] && return 0
  echo "dev.sh: unpacking the $arch libraries into $dir" >&2
  as_root rm -rf "$dir"
  mkdir -p "$dir"
  include=$(IFS=,; echo "${CROSS_LIBS[*]}")
  as_root debootstrap --download-only --arch="$arch" --variant=minbase \
    --include="$include" bookworm "$dir" "${VELUT_DEBIAN_MIRROR:-http://deb.debian.org/debian}" \
    >"$dir.log"
  for deb in "$dir"/var/cache/apt/archives/*.deb; do
    as_root dpkg-deb -x "$deb" "$dir"
  done
  as_root rm -rf "$dir"/{debootstrap,var,tmp,proc,sys,dev,run,home,root,srv,mnt,media,opt,boot}
  as_root chown -R "$(id -u):$(id -g)" "$dir"
  touch "$dir/.complete"
}

case "${1:-}" in
  cross)
    # Debian's cross compiler for ARCH and its libraries; the build and the
    # test run go through the cross preset and cmake/toolchains/cross.cmake.
    # riscv64 is left out: Debian 12's archive has no riscv64 packages to
    # install or unpack (Debian 13 is its first release), and a Debian 13
    # sysroot under Debian 12's cross g++ is untried.
    arch="${2:-}"
    case "$arch" in
      i386) triplet=i686-linux-gnu ;;
      armhf) triplet=arm-linux-gnueabihf ;;
      arm64) triplet=aarch64-linux-gnu ;;
      ppc64el) triplet=powerpc64le-linux-gnu ;;
      s390x) triplet=s390x-linux-gnu ;;
      *) echo "dev.sh: cross takes one of i386 armhf arm64 ppc64el s390x" >&2; exit 2 ;;
    esac
    install_missing "${BUILD_PKGS[@]}" "${TEST_PKGS[@]}" "${CROSS_PKGS[@]}" "g++-$triplet"
    export VELUT_CROSS_ARCH="$arch" VELUT_CROSS_TRIPLET="$triplet" VELUT_CROSS_SYSROOT=""
    if [[ $arch == s390x ]]; then
      VELUT_CROSS_SYSROOT="$PWD/build/sysroot-$arch"
      cross_sysroot "$arch" "$VELUT_CROSS_SYSROOT"
    else
      dpkg --print-foreign-architectures | grep -qx "$arch" ||
        as_root dpkg --add-architecture "$arch"
      install_missing "${CROSS_LIBS[@]/%/:$arch}"
    fi
    build cross
    ctest --preset cross -j "$(njobs)"
    ;;
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
    sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'
    exit 2
    ;;
esac
