# Installs the built project into a temporary prefix and moves the installed tree elsewhere;
# then, with no LD_LIBRARY_PATH or other help, runs the installed tool, configures, builds and
# runs a small host project that finds the moved tree with find_package(PACKAGE), and builds
# and runs the same host with pkg-config. Also builds the library from source in a host's tree
# with add_subdirectory(... EXCLUDE_FROM_ALL).
set(prefix "${WORK_DIR}/prefix")

# The README shows the consumer's report job: it must be that very code.
file(READ "${CONSUMER_DIR}/dayreport.h" dayreport)
string(FIND "${dayreport}" "class DayReport" begin)
string(FIND "${dayreport}" "\n};" end)
math(EXPR length "${end} + 3 - ${begin}")
string(SUBSTRING "${dayreport}" ${begin} ${length} example)
file(READ "${SOURCE_DIR}/README.md" readme)
string(FIND "${readme}" "${example}" at)
if(begin EQUAL -1 OR end EQUAL -1 OR at EQUAL -1)
    message(FATAL_ERROR "README.md does not show the report job of ${CONSUMER_DIR}/dayreport.h")
endif()
set(consumer_build "${WORK_DIR}/build")
file(REMOVE_RECURSE "${WORK_DIR}")

function(run_step)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "step failed (${result}): ${ARGN}\n${out}\n${err}")
    endif()
endfunction()

run_step(${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${prefix}")
# Nothing plain named logcore, and nothing of the other flavour's names.
file(GLOB_RECURSE installed RELATIVE "${prefix}" "${prefix}/*")
foreach(file IN LISTS installed)
    if(file MATCHES "(^|/)liblogcore[.]" OR file MATCHES "^include/logcore[.]h")
        message(FATAL_ERROR "installed a file that takes the host logging library's name: ${file}")
    endif()
    if(SUFFIX STREQUAL "" AND file MATCHES "qt6|Qt6")
        message(FATAL_ERROR "the Qt 5 flavour installed a Qt 6 name: ${file}")
    endif()
    if(NOT SUFFIX STREQUAL "" AND file MATCHES "mvpdfrender" AND NOT file MATCHES "-qt6|Qt6")
        message(FATAL_ERROR "the Qt 6 flavour installed a name of the Qt 5 flavour: ${file}")
    endif()
endforeach()

# The installed tree, moved: its binaries find their libraries relative to themselves.
set(moved "${WORK_DIR}/moved")
file(RENAME "${prefix}" "${moved}")
file(GLOB tools "${moved}/bin/mvpdfrender${SUFFIX}")
if(tools)
    run_step(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${tools} lines
        "${SOURCE_DIR}/examples/samples/printout.txt" -o "${WORK_DIR}/tool.pdf" --quiet)
endif()
run_step(${CMAKE_COMMAND} -S "${CONSUMER_DIR}" -B "${consumer_build}"
    "-DCMAKE_PREFIX_PATH=${moved}" -DCMAKE_BUILD_TYPE=Release "-DPACKAGE=${PACKAGE}")
run_step(${CMAKE_COMMAND} --build "${consumer_build}" -j2)
run_step(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen "${consumer_build}/consumer")

# The pkg-config file finds its prefix from where it stands.
file(GLOB_RECURSE pc_files "${moved}/*/mvpdfrender${SUFFIX}.pc")
list(GET pc_files 0 pc_file)
get_filename_component(pc_dir "${pc_file}" DIRECTORY)
find_program(PKG_CONFIG_EXECUTABLE pkg-config REQUIRED)
execute_process(COMMAND ${CMAKE_COMMAND} -E env "PKG_CONFIG_PATH=${pc_dir}"
        ${PKG_CONFIG_EXECUTABLE} --cflags --libs mvpdfrender${SUFFIX}
    OUTPUT_VARIABLE pc_flags RESULT_VARIABLE pc_result OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT pc_result EQUAL 0 OR NOT pc_flags MATCHES "${moved}")
    message(FATAL_ERROR "pkg-config does not point into the moved tree: ${pc_flags}")
endif()
separate_arguments(pc_list UNIX_COMMAND "${pc_flags}")
run_step(c++ -std=c++17 -fPIC "-I${CONSUMER_DIR}" "${CONSUMER_DIR}/main.cpp" ${pc_list}
    -o "${WORK_DIR}/pkgconfig-consumer")
run_step(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen "${WORK_DIR}/pkgconfig-consumer")

set(subdirectory_build "${WORK_DIR}/subdirectory")
run_step(${CMAKE_COMMAND} -S "${SOURCE_DIR}/tests/install/subdirectory" -B "${subdirectory_build}"
    "-DMVPDFRENDER_SOURCE_DIR=${SOURCE_DIR}" -DCMAKE_BUILD_TYPE=Release)
run_step(${CMAKE_COMMAND} --build "${subdirectory_build}" -j2 --target consumer)
run_step(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen "${subdirectory_build}/consumer")
