# The API reference (MVPDFRENDER_BUILD_DOCS): Doxygen turns the installed headers and
# doc/mainpage.md into HTML, failing on any undocumented public declaration, and the HTML is
# installed with the development files.
find_package(Doxygen REQUIRED)

set(MVPDFRENDER_DOCS_DIR ${PROJECT_BINARY_DIR}/doc)
set(docs_sources ${MVPDFRENDER_PUBLIC_HEADERS_ABSOLUTE} ${PROJECT_SOURCE_DIR}/doc/mainpage.md)
list(JOIN docs_sources " " MVPDFRENDER_DOCS_INPUT)
configure_file(${PROJECT_SOURCE_DIR}/doc/Doxyfile.in ${MVPDFRENDER_DOCS_DIR}/Doxyfile @ONLY)

add_custom_command(OUTPUT ${MVPDFRENDER_DOCS_DIR}/html/index.html
    COMMAND ${CMAKE_COMMAND} -E remove_directory ${MVPDFRENDER_DOCS_DIR}/html
    COMMAND Doxygen::doxygen ${MVPDFRENDER_DOCS_DIR}/Doxyfile
    DEPENDS ${docs_sources} ${MVPDFRENDER_DOCS_DIR}/Doxyfile
    COMMENT "The API reference"
    VERBATIM)
add_custom_target(mvpdfrender_docs ALL DEPENDS ${MVPDFRENDER_DOCS_DIR}/html/index.html)

install(DIRECTORY ${MVPDFRENDER_DOCS_DIR}/html
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/libmvpdfrender${MVPDFRENDER_SUFFIX}-dev
    COMPONENT dev)
