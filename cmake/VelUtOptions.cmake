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
  # g++ says __SANITIZE_ADDRESS__ under AddressSanitizer, clang++ 14 does
  # not, and the two say ThreadSanitizer each their own way: the tests ask
  # these instead.
  add_compile_definitions(VELUT_SANITIZED=1)
  if("address" IN_LIST VELUT_SANITIZERS)
    add_compile_definitions(VELUT_ASAN=1)
  endif()
  if("thread" IN_LIST VELUT_SANITIZERS)
    add_compile_definitions(VELUT_TSAN=1)
  endif()
endif()

# Coverage: every target is instrumented; the `coverage` target prints the
# gcovr summary of the libraries (the tests, tools and benchmarks excluded).
if(VELUT_COVERAGE)
  # Atomic counters: the thread tests would otherwise corrupt them.
  add_compile_options(--coverage -O0 -fprofile-update=atomic)
  # Tests write the counters of their forked children before those end.
  add_compile_definitions(VELUT_COVERAGE=1)
  add_link_options(--coverage)
  find_program(VELUT_GCOVR gcovr REQUIRED)
  add_custom_target(coverage
    COMMAND ${VELUT_GCOVR} --root ${PROJECT_SOURCE_DIR}
            --object-directory ${PROJECT_BINARY_DIR}
            --filter ${PROJECT_SOURCE_DIR}/src/
            --filter ${PROJECT_SOURCE_DIR}/include/
            --filter ${PROJECT_SOURCE_DIR}/textbase/
            --filter ${PROJECT_SOURCE_DIR}/winapi/
            --filter ${PROJECT_SOURCE_DIR}/velfirst/
            --filter ${PROJECT_SOURCE_DIR}/corefoundation/
            --exclude-unreachable-branches --exclude-throw-branches
            --gcov-ignore-parse-errors
            --print-summary --txt ${PROJECT_BINARY_DIR}/coverage.txt
    COMMENT "Coverage of the libraries and layers (run the tests first)"
    VERBATIM)
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
