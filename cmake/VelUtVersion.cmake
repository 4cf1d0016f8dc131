# The installed header <VelUt/VelUtVersion.h>: the project's version as
# preprocessor numbers, made from project(VERSION) so that the header, the
# CMake package and velut.pc cannot disagree.

# VELUT_VERSION packs minor and patch into two decimal digits each.
if(PROJECT_VERSION_MINOR GREATER 99 OR PROJECT_VERSION_PATCH GREATER 99)
  message(FATAL_ERROR "VELUT_VERSION holds minor and patch numbers up to 99, "
          "not ${PROJECT_VERSION}")
endif()

# velut_version_header(<target>)
# Writes the header into the build tree's include folder, adds that folder
# to <target>'s public include path and installs the header.
function(velut_version_header target)
  set(dir ${PROJECT_BINARY_DIR}/include)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VelUtVersion.h.in ${dir}/VelUt/VelUtVersion.h @ONLY)
  target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${dir}>)
  install(FILES ${dir}/VelUt/VelUtVersion.h
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/VelUt COMPONENT dev)
endfunction()
