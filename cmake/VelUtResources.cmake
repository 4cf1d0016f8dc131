include_guard(GLOBAL)

# Resource DLLs built from .rc sources with Debian's mingw-w64 binutils:
# windres compiles the script (through the host's cpp, so no mingw gcc is
# needed) and ld links a resource-only DLL without a timestamp, so the
# output is the same on every build.
#
# velut_resource_dll(<output.dll> <source.rc> [BITS 32|64] [INCLUDE <dir>]
#                    [DEPENDS <file>...])
#   Adds a custom command that makes <output.dll> (a path in the build
#   tree) from <source.rc>; 64-bit (PE32+) unless BITS 32 (PE32). INCLUDE
#   is a folder where windres also looks for the files the script names,
#   DEPENDS generated files it reads. Collect the outputs in a custom
#   target that depends on them.
#
# velut_message_tables(<folder> <source.mc> <bins> [ANSI])
#   Adds a custom command that makes, in <folder>, the message table of
#   each language of <source.mc>, named <stem>_MSGxxxx.bin; the texts are
#   UTF-16 unless ANSI (windows-1252). <bins> lists the files to make.

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
  cmake_parse_arguments(ARG "" "BITS;INCLUDE" "DEPENDS" ${ARGN})
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
  set(include)
  if(ARG_INCLUDE)
    set(include -I "${ARG_INCLUDE}")
  endif()
  add_custom_command(
    OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${dir}"
    COMMAND ${windres} --preprocessor=${VELUT_CPP} --preprocessor-arg=-undef
            --preprocessor-arg=-DRC_INVOKED ${include} -J rc -O coff -i "${source}"
            -o "${object}"
    COMMAND ${ld} -m ${emulation} --dll -e 0 --subsystem windows
            --no-insert-timestamp -s -o "${output}" "${object}"
    COMMAND ${CMAKE_COMMAND} -E remove "${object}"
    DEPENDS "${source}" ${ARG_DEPENDS}
    COMMENT "Building resource DLL ${output}"
    VERBATIM)
endfunction()

function(velut_message_tables folder source bins)
  cmake_parse_arguments(ARG "ANSI" "" "" ${ARGN})
  _velut_resource_tool(VELUT_WINDMC x86_64-w64-mingw32-windmc binutils-mingw-w64-x86-64)
  get_filename_component(source "${source}" ABSOLUTE)
  set(encoding -U)
  if(ARG_ANSI)
    set(encoding -A)
  endif()
  # -b names each file after the source; -r and -h keep the .rc and .h
  # that windmc writes as well out of the source tree.
  add_custom_command(
    OUTPUT ${bins}
    COMMAND ${CMAKE_COMMAND} -E make_directory "${folder}"
    COMMAND ${VELUT_WINDMC} ${encoding} -C 65001 -b -r "${folder}" -h "${folder}" "${source}"
    DEPENDS "${source}"
    COMMENT "Building message tables from ${source}"
    VERBATIM)
endfunction()
