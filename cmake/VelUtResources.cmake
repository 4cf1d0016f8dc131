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

# Each tool is looked for when a DLL first needs it, so a build that makes
# only 64-bit DLLs (the tool's example) needs only the x86-64 binutils.
function(_velut_resource_tool var program package)
  find_program(${var} ${program})
  if(NOT ${var})
    message(FATAL_ERROR "${program} not found: the resource DLLs need cpp and "
            "Debian's ${package}")
  endif()
endfunction()

function(velut_resource_dll output source)
  cmake_parse_arguments(ARG "" "BITS" "" ${ARGN})
  if(NOT ARG_BITS)
    set(ARG_BITS 64)
  endif()
  if(ARG_BITS STREQUAL "64")
    set(arch x86_64)
    set(emulation i386pep)
    set(package binutils-mingw-w64-x86-64)
  elseif(ARG_BITS STREQUAL "32")
    set(arch i686)
    set(emulation i386pe)
    set(package binutils-mingw-w64-i686)
  else()
    message(FATAL_ERROR "velut_resource_dll: BITS must be 32 or 64")
  endif()
  _velut_resource_tool(VELUT_CPP cpp cpp)
  _velut_resource_tool(VELUT_WINDRES${ARG_BITS} ${arch}-w64-mingw32-windres ${package})
  _velut_resource_tool(VELUT_LD${ARG_BITS} ${arch}-w64-mingw32-ld ${package})
  set(windres ${VELUT_WINDRES${ARG_BITS}})
  set(ld ${VELUT_LD${ARG_BITS}})
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
