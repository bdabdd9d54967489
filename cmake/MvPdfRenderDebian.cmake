# Debian packages of one flavour, made by CPack (cpack -G DEB in the build folder; see
# scripts/package): the runtime library, the development files and the tool. The Qt 6 flavour
# carries "-qt6" in every package name, so that both install side by side.
set(MVPDFRENDER_DEB_RELEASE 1)
set(MVPDFRENDER_DEB_VERSION "${PROJECT_VERSION}-${MVPDFRENDER_DEB_RELEASE}")
set(MVPDFRENDER_DEB_MAINTAINER "mvpdfrender developers <mvpdfrender@example.org>")
set(MVPDFRENDER_DEB_RUNTIME "libmvpdfrender${MVPDFRENDER_SUFFIX}-${PROJECT_VERSION_MAJOR}")
if(MVPDFRENDER_SUFFIX STREQUAL "")
    # A library package is named after the soname: libmvpdfrender.so.1 -> libmvpdfrender1.
    set(MVPDFRENDER_DEB_RUNTIME "libmvpdfrender${PROJECT_VERSION_MAJOR}")
endif()
set(MVPDFRENDER_DEB_DEV "libmvpdfrender${MVPDFRENDER_SUFFIX}-dev")
set(MVPDFRENDER_DEB_TOOLS "mvpdfrender${MVPDFRENDER_SUFFIX}-tools")
if(MVPDFRENDER_QT_MAJOR STREQUAL "5")
    set(MVPDFRENDER_DEB_QT_DEV "qtbase5-dev")
else()
    set(MVPDFRENDER_DEB_QT_DEV "qt6-base-dev")
endif()

# Every package carries its copyright and changelog, as Debian requires.
string(TIMESTAMP MVPDFRENDER_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
foreach(component IN ITEMS runtime dev tools)
    string(TOUPPER "${component}" upper)
    set(PACKAGE "${MVPDFRENDER_DEB_${upper}}")
    set(VERSION "${MVPDFRENDER_DEB_VERSION}")
    set(MAINTAINER "${MVPDFRENDER_DEB_MAINTAINER}")
    set(DATE "${MVPDFRENDER_DEB_DATE}")
    set(docs "${CMAKE_CURRENT_BINARY_DIR}/debian/${PACKAGE}")
    configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${docs}/changelog.Debian @ONLY)
    add_custom_command(OUTPUT ${docs}/changelog.Debian.gz
        COMMAND gzip -9n -c ${docs}/changelog.Debian > ${docs}/changelog.Debian.gz
        DEPENDS ${docs}/changelog.Debian
        VERBATIM)
    add_custom_target(mvpdfrender_changelog_${component} ALL DEPENDS ${docs}/changelog.Debian.gz)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${docs}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${PACKAGE}
        COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME "mvpdfrender${MVPDFRENDER_SUFFIX}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "mvpdfrender developers")
set(CPACK_PACKAGE_CONTACT "${MVPDFRENDER_DEB_MAINTAINER}")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/packages")
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime dev tools)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${MVPDFRENDER_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MVPDFRENDER_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Dependencies from the libraries the binaries need; the tool's need of this library is
# found in the runtime package's own folder and stated below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    "${CMAKE_BINARY_DIR}/mvpdfrender" "${CMAKE_BINARY_DIR}/logcore")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(same_version "(= ${MVPDFRENDER_DEB_VERSION})")

# Each package's description starts with its own summary line (CPack indents the rest).
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME "${MVPDFRENDER_DEB_RUNTIME}")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# ldconfig runs by the trigger that dpkg provides, not by maintainer scripts; the empty
# scripts given here take the place of those CPack would write.
# The symbols file lists every exported symbol with the version that brought it, so that a
# package built against the library depends on the oldest version that has what it uses
# (scripts/package checks it against the library it packs).
configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/symbols-qt${MVPDFRENDER_QT_MAJOR}
    ${CMAKE_CURRENT_BINARY_DIR}/debian/symbols COPYONLY)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/triggers
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/postrm
    ${CMAKE_CURRENT_BINARY_DIR}/debian/symbols)
# The font families the pages name.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "fonts-open-sans, fonts-liberation")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "PDF reports and printout formatting for Qt hosts (Qt ${MVPDFRENDER_QT_MAJOR})
mvpdfrender renders reports into multi-page A4 PDF files, one page per pass
of the host's Qt event loop: printout lines flowed through narrow columns, or
documents of ready-made graphics items, under a header and above a footer.
It also formats text into fixed-width printout lines.

This package holds the shared library.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME "${MVPDFRENDER_DEB_DEV}")
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${MVPDFRENDER_DEB_RUNTIME} ${same_version}, ${MVPDFRENDER_DEB_QT_DEV}")
set(CPACK_COMPONENT_DEV_DESCRIPTION "PDF reports for Qt hosts (Qt ${MVPDFRENDER_QT_MAJOR}) - development files
mvpdfrender renders reports into multi-page A4 PDF files, one page per pass
of the host's Qt event loop, and formats text into fixed-width printout lines.

This package holds the headers, the CMake package and the pkg-config file.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME "${MVPDFRENDER_DEB_TOOLS}")
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOLS_PACKAGE_DEPENDS "${MVPDFRENDER_DEB_RUNTIME} ${same_version}")
# Qt's own texts in Polish (the help's headings, the parser's messages), for a Polish locale.
if(MVPDFRENDER_QT_MAJOR STREQUAL "5")
    set(CPACK_DEBIAN_TOOLS_PACKAGE_RECOMMENDS "qttranslations5-l10n")
else()
    set(CPACK_DEBIAN_TOOLS_PACKAGE_RECOMMENDS "qt6-translations-l10n")
endif()
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "turn printout archives into PDF reports (Qt ${MVPDFRENDER_QT_MAJOR})
The mvpdfrender${MVPDFRENDER_SUFFIX} command renders printout lines and
documents (text files, or JSON with text lines and images) into multi-page
A4 PDF reports with bookmarks, optionally PDF/A-1b, and turns printer lines
into display lines.")

include(CPack)
