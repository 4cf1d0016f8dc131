# Cross-compiles for another Debian architecture with Debian's cross
# compiler g++-<triplet>, and runs what it builds under qemu-user.
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/cross.cmake
#         -DVELUT_CROSS_TRIPLET=s390x-linux-gnu [-DVELUT_CROSS_SYSROOT=DIR]
#
# The libraries come from the architecture's multiarch -dev packages
# installed on this machine (dpkg --add-architecture), or from DIR, a root
# the architecture's packages were unpacked into, where multiarch cannot
# install them. ./dev.sh cross ARCH sets all of this up.
set(VELUT_CROSS_TRIPLET "" CACHE STRING "GNU triplet of the cross compiler, e.g. s390x-linux-gnu")
set(VELUT_CROSS_SYSROOT "" CACHE PATH "Root holding the target's libraries (empty: multiarch)")
if(NOT VELUT_CROSS_TRIPLET)
  message(FATAL_ERROR "cross.cmake: set VELUT_CROSS_TRIPLET (./dev.sh cross ARCH does)")
endif()
# try_compile projects read this file again and need the same settings.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELUT_CROSS_TRIPLET VELUT_CROSS_SYSROOT)

set(CMAKE_SYSTEM_NAME Linux)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${VELUT_CROSS_TRIPLET}")
set(CMAKE_C_COMPILER ${VELUT_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${VELUT_CROSS_TRIPLET}-g++)
# On 32-bit ARM, g++ notes at every call that passes certain structures that
# GCC 7.1 changed how it passes them; nothing here links code built before
# that, so the notes only bury real diagnostics.
if(VELUT_CROSS_TRIPLET MATCHES "^arm")
  set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
endif()

# The multiarch folder differs from the triplet for i386 (i686-linux-gnu
# builds into i386-linux-gnu); the compiler knows it.
execute_process(COMMAND ${VELUT_CROSS_TRIPLET}-gcc -print-multiarch
                OUTPUT_VARIABLE _velut_multiarch OUTPUT_STRIP_TRAILING_WHITESPACE)
if(VELUT_CROSS_SYSROOT)
  set(CMAKE_SYSROOT ${VELUT_CROSS_SYSROOT})
  set(CMAKE_FIND_ROOT_PATH ${VELUT_CROSS_SYSROOT})
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
  set(ENV{PKG_CONFIG_SYSROOT_DIR} ${VELUT_CROSS_SYSROOT})
  set(_velut_prefix ${VELUT_CROSS_SYSROOT})
else()
  set(CMAKE_LIBRARY_ARCHITECTURE ${_velut_multiarch})
  set(_velut_prefix /)
endif()
# pkg-config reads the target's .pc files only.
set(_velut_pc "${VELUT_CROSS_SYSROOT}/usr/lib/${_velut_multiarch}/pkgconfig")
set(ENV{PKG_CONFIG_LIBDIR} "${_velut_pc}:${VELUT_CROSS_SYSROOT}/usr/share/pkgconfig")

# Tests, test discovery and build steps that run a built program go through
# qemu-user, which takes the target's loader and libraries from the prefix
# (-L): the multiarch ones under /, or the sysroot's. VELUT_EMULATED tells
# the tests that cannot run under it to skip themselves.
set(_velut_qemu_arch ${CMAKE_SYSTEM_PROCESSOR})
if(_velut_qemu_arch MATCHES "^i.86$")
  set(_velut_qemu_arch i386)
elseif(_velut_qemu_arch STREQUAL "powerpc64le")
  set(_velut_qemu_arch ppc64le)
endif()
find_program(VELUT_QEMU NAMES qemu-${_velut_qemu_arch}-static qemu-${_velut_qemu_arch} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env VELUT_EMULATED=qemu ${VELUT_QEMU} -L
    ${_velut_prefix})
