# Read by cpack for each generator it runs.
if(CPACK_GENERATOR STREQUAL "DEB")
  # Without dpkg-shlibdeps the DEB generator would quietly leave out the
  # system libraries each package needs.
  find_program(VELUT_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(NOT VELUT_DPKG_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps not found: install Debian's dpkg-dev")
  endif()
  # Each package's summary is the first line of its component's
  # description; the project's one-line summary would precede them all.
  unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
endif()
