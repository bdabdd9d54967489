# A host's installed logging library, as the target `logcore` that the bundled stand-in would
# be: its CMake package when it has one, else its pkg-config module. Nothing of it is
# installed with this project.
find_package(logcore CONFIG QUIET)
if(TARGET logcore::logcore)
    set(MVPDFRENDER_SYSTEM_LOGCORE logcore::logcore)
elseif(NOT TARGET logcore)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(LOGCORE REQUIRED IMPORTED_TARGET logcore)
    set(MVPDFRENDER_SYSTEM_LOGCORE PkgConfig::LOGCORE)
    # The pkg-config file of the library names the module.
    set(MVPDFRENDER_PC_LOGCORE_MODULE logcore)
endif()
if(MVPDFRENDER_SYSTEM_LOGCORE)
    add_library(logcore INTERFACE IMPORTED GLOBAL)
    target_link_libraries(logcore INTERFACE ${MVPDFRENDER_SYSTEM_LOGCORE})
endif()
message(STATUS "Logging library: the system's (${MVPDFRENDER_SYSTEM_LOGCORE})")
