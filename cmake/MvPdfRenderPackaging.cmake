# Installs the libraries, their headers and a CMake package, so that a host writes
#   find_package(MvPdfRender REQUIRED)
#   target_link_libraries(app PRIVATE MvPdfRender::mvpdfrender)
include(CMakePackageConfigHelpers)

set(MVPDFRENDER_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/MvPdfRender")

install(TARGETS mvpdfrender logcore
    EXPORT MvPdfRenderTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mvpdfrender
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mvpdfrender)

install(EXPORT MvPdfRenderTargets
    NAMESPACE MvPdfRender::
    DESTINATION ${MVPDFRENDER_CMAKE_DIR})

configure_package_config_file(
    ${CMAKE_CURRENT_LIST_DIR}/MvPdfRenderConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/MvPdfRenderConfig.cmake
    INSTALL_DESTINATION ${MVPDFRENDER_CMAKE_DIR})
write_basic_package_version_file(
    ${CMAKE_CURRENT_BINARY_DIR}/MvPdfRenderConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
install(FILES
    ${CMAKE_CURRENT_BINARY_DIR}/MvPdfRenderConfig.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/MvPdfRenderConfigVersion.cmake
    DESTINATION ${MVPDFRENDER_CMAKE_DIR})

configure_file(${CMAKE_CURRENT_LIST_DIR}/mvpdfrender.pc.in
    ${CMAKE_CURRENT_BINARY_DIR}/mvpdfrender.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/mvpdfrender.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
