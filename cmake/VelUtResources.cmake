include_guard(GLOBAL)

# Resource DLLs built from .rc sources with Debian's mingw-w64 binutils:
# windres compiles the script (through the host's cpp, so no mingw gcc is
# needed) and ld links a resource-only DLL without a timestamp, so the
# output is the same on every build.
#
# velut_resource_dll(<output.dll> <source.rc> [BITS 32|64])
#   Adds a custom command that makes <output.dll> (a path in the build
#   tree) from <source.rc>; 64-bit (PE32+) unless BITS 32 (PE32). Collect
#   the outputs in a custom target that depends on them.

find_program(VELUT_CPP cpp)
find_program(VELUT_WINDRES64 x86_64-w64-mingw32-windres)
find_program(VELUT_LD64 x86_64-w64-mingw32-ld)
find_program(VELUT_WINDRES32 i686-w64-mingw32-windres)
find_program(VELUT_LD32 i686-w64-mingw32-ld)
foreach(_tool VELUT_CPP VELUT_WINDRES64 VELUT_LD64 VELUT_WINDRES32 VELUT_LD32)
  if(NOT ${_tool})
    message(FATAL_ERROR "${_tool} not found: the resource DLLs need cpp and "
            "Debian's binutils-mingw-w64-x86-64 and binutils-mingw-w64-i686")
  endif()
endforeach()

function(velut_resource_dll output source)
  cmake_parse_arguments(ARG "" "BITS" "" ${ARGN})
  if(NOT ARG_BITS)
    set(ARG_BITS 64)
  endif()
  if(ARG_BITS STREQUAL "64")
    set(windres ${VELUT_WINDRES64})
    set(ld ${VELUT_LD64})
    set(emulation i386pep)
  elseif(ARG_BITS STREQUAL "32")
    set(windres ${VELUT_WINDRES32})
    set(ld ${VELUT_LD32})
    set(emulation i386pe)
  else()
    message(FATAL_ERROR "velut_resource_dll: BITS must be 32 or 64")
  endif()
  get_filename_component(source "${source}" ABSOLUTE)
  get_filename_component(dir "${output}" DIRECTORY)
  set(object "${output}.o")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${dir}"
    COMMAND ${windres} --preprocessor=${VELUT_CPP} --preprocessor-arg=-undef
            --preprocessor-arg=-DRC_INVOKED -J rc -O coff -i "${source}" -o "${object}"
    COMMAND ${ld} -m ${emulation} --dll -e 0 --subsystem windows
            --no-insert-timestamp -s -o "${output}" "${object}"
    COMMAND ${CMAKE_COMMAND} -E remove "${object}"
    DEPENDS "${source}"
    COMMENT "Building resource DLL ${output}"
    VERBATIM)
endfunction()
