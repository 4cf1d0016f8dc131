# The reference site (VELUT_DOCS): Doxygen over the public headers, as
# ./dev.sh docs makes it, installed into share/doc/libvelut-doc/html as the
# doc component (the libvelut-doc package).
find_package(Doxygen REQUIRED)
find_program(VELUT_PYTHON3 python3 REQUIRED)  # Doxygen's filter of the headers

set(_velut_docs ${CMAKE_CURRENT_BINARY_DIR}/docs)
file(GLOB_RECURSE _velut_doc_inputs CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/include/*.h ${PROJECT_SOURCE_DIR}/winapi/include/*.h
     ${PROJECT_SOURCE_DIR}/velfirst/include/*.h ${PROJECT_SOURCE_DIR}/corefoundation/include/*.h
     ${PROJECT_SOURCE_DIR}/docs/reference/*)
add_custom_command(OUTPUT ${_velut_docs}/html/index.html
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_velut_docs}/html
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_velut_docs}
  COMMAND ${CMAKE_COMMAND} -E env VELUT_DOCS_OUT=${_velut_docs} VELUT_VERSION=${PROJECT_VERSION}
          ${DOXYGEN_EXECUTABLE} docs/reference/Doxyfile
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  DEPENDS ${_velut_doc_inputs}
  COMMENT "Making the reference site"
  VERBATIM)
add_custom_target(velut_docs ALL DEPENDS ${_velut_docs}/html/index.html)
install(DIRECTORY ${_velut_docs}/html/
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/libvelut-doc/html COMPONENT doc)
