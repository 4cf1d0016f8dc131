# Installation: headers, the four libraries with versioned sonames, the
# CMake package (VelUt::VelUt) and a pkg-config file.
include(CMakePackageConfigHelpers)

set(VELUT_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/VelUt)

install(TARGETS VelUt WinAPI velfirst velcf
        EXPORT VelUtTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY include/VelUt winapi/include/WinAPI velfirst/include/velfirst
                  corefoundation/include/CoreFoundation
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT VelUtTargets NAMESPACE VelUt:: DESTINATION ${VELUT_CMAKE_DIR})

configure_package_config_file(cmake/VelUtConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/VelUtConfig.cmake
  INSTALL_DESTINATION ${VELUT_CMAKE_DIR})
write_basic_package_version_file(
  ${CMAKE_CURRENT_BINARY_DIR}/VelUtConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VelUtConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/VelUtConfigVersion.cmake
        DESTINATION ${VELUT_CMAKE_DIR})

# The .pc file finds its prefix from its own place, so an installed tree
# can be moved (or installed with --prefix) and still be used.
file(RELATIVE_PATH VELUT_PC_TO_PREFIX
     /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(cmake/velut.pc.in ${CMAKE_CURRENT_BINARY_DIR}/velut.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/velut.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
