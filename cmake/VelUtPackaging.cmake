# Installation: headers, the four libraries with versioned sonames, the
# CMake package (VelUt::VelUt) and a pkg-config file; then the Debian
# packages made from the same rules by `cpack -G DEB`.
#
# Every rule names its component, and each component is one package:
#   runtime  the four shared libraries
#   dev      headers, unversioned .so links, the CMake package, velut.pc
#   tool     velut, its man page, bash completion and bundled example
#   doc      the reference site (with VELUT_DOCS)
include(CMakePackageConfigHelpers)

set(VELUT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VelUt)

install(TARGETS VelUt WinAPI velfirst velcf
        EXPORT VelUtTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/VelUt winapi/include/WinAPI velfirst/include/velfirst
                  corefoundation/include/CoreFoundation
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)
install(EXPORT VelUtTargets NAMESPACE VelUt:: DESTINATION ${VELUT_CMAKE_DIR} COMPONENT dev)

# VelUt_DATA_DIR tells consumers where the tool's data (the bundled example
# table) is installed.
set(VELUT_DATA_DIR ${CMAKE_INSTALL_DATADIR}/velut)
configure_package_config_file(cmake/VelUtConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/VelUtConfig.cmake
  INSTALL_DESTINATION ${VELUT_CMAKE_DIR}
  PATH_VARS VELUT_DATA_DIR)
write_basic_package_version_file(
  ${CMAKE_CURRENT_BINARY_DIR}/VelUtConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VelUtConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/VelUtConfigVersion.cmake
        DESTINATION ${VELUT_CMAKE_DIR} COMPONENT dev)

# The .pc file finds its prefix from its own place, so an installed tree
# can be moved (or installed with --prefix) and still be used.
file(RELATIVE_PATH VELUT_PC_TO_PREFIX
     /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(cmake/velut.pc.in ${CMAKE_CURRENT_BINARY_DIR}/velut.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/velut.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)

# Debian packages, named as Debian names library packages: the runtime
# package after the sonames (libVelUt.so.0 -> libvelut0), the development
# package <name>-dev, the tool's package after the tool. dpkg-shlibdeps
# finds the system libraries each package needs (ICU, pugixml, libstdc++);
# the packages depend on one another through their components.
set(CPACK_PACKAGE_NAME velut)
set(CPACK_PACKAGE_VENDOR "libVelUt developers")
set(CPACK_PACKAGE_CONTACT "libVelUt developers <velut@localhost>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_COMPONENTS_ALL runtime dev)
if(VELUT_BUILD_TOOLS)
  list(APPEND CPACK_COMPONENTS_ALL tool)
endif()
if(VELUT_DOCS)
  list(APPEND CPACK_COMPONENTS_ALL doc)
endif()
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_COMPONENT_TOOL_DEPENDS runtime)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# The tool and the libraries link with one another: dpkg-shlibdeps finds
# them in the build tree and leaves them to the component dependencies.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS)
foreach(_lib VelUt WinAPI velfirst velcf)
  get_target_property(_dir ${_lib} BINARY_DIR)
  list(APPEND CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${_dir})
endforeach()
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libvelut${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "wide strings, paths and localized resource strings (shared libraries)
libVelUt and its layers libWinAPI, libvelfirst and libvelcf.")
set(CPACK_DEBIAN_DEV_PACKAGE_NAME libvelut-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_DEV_DESCRIPTION
    "wide strings, paths and localized resource strings (development files)
Headers, the CMake package VelUt::VelUt and the pkg-config file velut.pc.")
set(CPACK_DEBIAN_TOOL_PACKAGE_NAME velut)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_TOOL_DESCRIPTION
    "the libVelUt functions from the shell
velut runs one library function on its arguments; with its man page, bash
completion and an example string table.")
set(CPACK_DEBIAN_DOC_PACKAGE_NAME libvelut-doc)
set(CPACK_DEBIAN_DOC_PACKAGE_SECTION doc)
set(CPACK_DEBIAN_DOC_PACKAGE_ARCHITECTURE all)
set(CPACK_COMPONENT_DOC_DESCRIPTION
    "wide strings, paths and localized resource strings (reference)
The reference of every function, class and constant of libVelUt and its
layers, as HTML with a search box, in /usr/share/doc/libvelut-doc/html.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/VelUtCPack.cmake)
include(CPack)
