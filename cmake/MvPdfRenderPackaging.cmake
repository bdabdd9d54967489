# Installs the libraries, their headers, a CMake package and a pkg-config file, so that a host
# writes (for the Qt 6 flavour: MvPdfRenderQt6, and mvpdfrender-qt6 for pkg-config)
#   find_package(MvPdfRender REQUIRED)
#   target_link_libraries(app PRIVATE MvPdfRender::mvpdfrender)
include(CMakePackageConfigHelpers)

set(MVPDFRENDER_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/${MVPDFRENDER_PACKAGE}")
set(MVPDFRENDER_INCLUDE_DIR "${CMAKE_INSTALL_INCLUDEDIR}/mvpdfrender${MVPDFRENDER_SUFFIX}")

# The bundled logging stand-in is installed with the library; a system one is the host's.
set(MVPDFRENDER_INSTALLED_TARGETS mvpdfrender)
if(MVPDFRENDER_LOGCORE STREQUAL "bundled")
    list(APPEND MVPDFRENDER_INSTALLED_TARGETS logcore)
endif()
# Components, as the packages divide them: runtime (the shared libraries), dev (headers, the
# link-time names, the CMake package, pkg-config) and tools (the command-line tool).
install(TARGETS ${MVPDFRENDER_INSTALLED_TARGETS}
    EXPORT ${MVPDFRENDER_PACKAGE}Targets
    # Shared libraries are not programs: no execute bits.
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
    PUBLIC_HEADER DESTINATION ${MVPDFRENDER_INCLUDE_DIR} COMPONENT dev
    INCLUDES DESTINATION ${MVPDFRENDER_INCLUDE_DIR})

install(EXPORT ${MVPDFRENDER_PACKAGE}Targets
    NAMESPACE ${MVPDFRENDER_PACKAGE}::
    DESTINATION ${MVPDFRENDER_CMAKE_DIR}
    COMPONENT dev)

configure_package_config_file(
    ${CMAKE_CURRENT_LIST_DIR}/MvPdfRenderConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/${MVPDFRENDER_PACKAGE}Config.cmake
    INSTALL_DESTINATION ${MVPDFRENDER_CMAKE_DIR})
write_basic_package_version_file(
    ${CMAKE_CURRENT_BINARY_DIR}/${MVPDFRENDER_PACKAGE}ConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
install(FILES
    ${CMAKE_CURRENT_BINARY_DIR}/${MVPDFRENDER_PACKAGE}Config.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/${MVPDFRENDER_PACKAGE}ConfigVersion.cmake
    DESTINATION ${MVPDFRENDER_CMAKE_DIR}
    COMPONENT dev)

# What a static link would also need: libqpdf and the logging library. (As libraries rather
# than modules, so that compiling against the shared library needs no other .pc file.)
set(MVPDFRENDER_PC_LIBS_PRIVATE "-lqpdf")
if(MVPDFRENDER_LOGCORE STREQUAL "bundled")
    string(APPEND MVPDFRENDER_PC_LIBS_PRIVATE " -lmvpdfrender-logcore${MVPDFRENDER_SUFFIX}")
elseif(MVPDFRENDER_PC_LOGCORE_MODULE)
    set(MVPDFRENDER_PC_REQUIRES_PRIVATE "${MVPDFRENDER_PC_LOGCORE_MODULE}")
else()
    string(APPEND MVPDFRENDER_PC_LIBS_PRIVATE " -llogcore")
endif()

# Outside the system prefix a host links with a search path to the libraries, so that it finds
# the library, and the linker the library's logging library, wherever the tree now stands.
set(MVPDFRENDER_PC_RPATH "")
if(MVPDFRENDER_INSTALL_RPATH)
    set(MVPDFRENDER_PC_RPATH "-Wl,-rpath,\${libdir} ")
endif()

# The way from the pkg-config folder up to the prefix, whatever the prefix is at install time;
# in the system's prefix (packages) the prefix itself, so that the flags show plain paths.
file(RELATIVE_PATH MVPDFRENDER_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
set(MVPDFRENDER_PC_PREFIX "\${pcfiledir}/${MVPDFRENDER_PC_TO_PREFIX}")
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    set(MVPDFRENDER_PC_PREFIX "/usr")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/mvpdfrender.pc.in
    ${CMAKE_CURRENT_BINARY_DIR}/mvpdfrender${MVPDFRENDER_SUFFIX}.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/mvpdfrender${MVPDFRENDER_SUFFIX}.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
    COMPONENT dev)

if(PROJECT_IS_TOP_LEVEL AND MVPDFRENDER_DEBIAN_FILES)
    include(${CMAKE_CURRENT_LIST_DIR}/MvPdfRenderDebian.cmake)
endif()
