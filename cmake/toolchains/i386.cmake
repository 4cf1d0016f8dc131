# Building for 32-bit x86 Debian (i386) on another Debian machine, with
# the i386 multiarch packages of the dependencies:
#   dpkg --add-architecture i386 && apt-get update
#   apt-get install g++-i686-linux-gnu libicu-dev:i386 libpugixml-dev:i386 ...
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i386.cmake ...
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)

# Libraries, their CMake packages and pkg-config files come from the
# multiarch folder; programs (windres, gzip, ...) from the build machine.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig)
