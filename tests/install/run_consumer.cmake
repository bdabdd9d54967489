# Installs the built project into a temporary prefix, then configures, builds and runs a small
# host project that finds it with find_package(MvPdfRender), and another that builds the
# library from source with add_subdirectory(... EXCLUDE_FROM_ALL).
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
run_step(${CMAKE_COMMAND} -S "${CONSUMER_DIR}" -B "${consumer_build}"
    "-DCMAKE_PREFIX_PATH=${prefix}" -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_CXX_FLAGS=${CONSUMER_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${CONSUMER_FLAGS}")
run_step(${CMAKE_COMMAND} --build "${consumer_build}" -j2)
run_step(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
    "LD_LIBRARY_PATH=${prefix}/lib:${prefix}/lib64" "${consumer_build}/consumer")

set(subdirectory_build "${WORK_DIR}/subdirectory")
run_step(${CMAKE_COMMAND} -S "${CONSUMER_DIR}/../subdirectory" -B "${subdirectory_build}"
    "-DMVPDFRENDER_SOURCE_DIR=${SOURCE_DIR}" -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_CXX_FLAGS=${CONSUMER_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${CONSUMER_FLAGS}"
    "-DCMAKE_SHARED_LINKER_FLAGS=${CONSUMER_FLAGS}")
run_step(${CMAKE_COMMAND} --build "${subdirectory_build}" -j2 --target consumer)
run_step(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen "${subdirectory_build}/consumer")
