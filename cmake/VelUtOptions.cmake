# Compiler settings shared by every target of the tree.

set(VELUT_WARNINGS -Wall -Wextra)
if(VELUT_WERROR)
  list(APPEND VELUT_WARNINGS -Werror)
endif()

# One sanitizer list serves every preset: the flags go to all targets, the
# layers included, so a fault is caught wherever it happens.
if(VELUT_SANITIZERS)
  list(JOIN VELUT_SANITIZERS "," _velut_san)
  add_compile_options(-fsanitize=${_velut_san} -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_velut_san})
endif()

if(VELUT_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (use the 'fuzz' preset)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# velut_library(<target> <output-name>)
# Declares a versioned shared library with hidden visibility and the tree's
# warnings.
function(velut_library target output)
  add_library(${target} SHARED)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${output}
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR}
    # Installed libraries find each other wherever the prefix is.
    INSTALL_RPATH "$ORIGIN")
  target_compile_options(${target} PRIVATE ${VELUT_WARNINGS})
  # Every symbol a library needs must come from its declared dependencies;
  # sanitizer runtimes live in the executable, so the check is off for them.
  if(NOT VELUT_SANITIZERS AND NOT VELUT_BUILD_FUZZ)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()

function(velut_warnings target)
  target_compile_options(${target} PRIVATE ${VELUT_WARNINGS})
endfunction()
