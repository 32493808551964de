# Runs dxf-roundtrip on a drawing and on a broken one. Variables: TOOL, INPUT, WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

execute_process(COMMAND ${TOOL} ${INPUT} ${WORK}/out.dxf
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "dxf-roundtrip failed (${status}): ${out}${err}")
endif()
if(NOT out MATCHES "release AC1015, text in CP932, read and saved as")
    message(FATAL_ERROR "unexpected report: ${out}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${INPUT} ${WORK}/out.dxf
    RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
    message(FATAL_ERROR "the saved drawing differs from ${INPUT}")
endif()

# A truncated drawing: exit 1, the file and line named, nothing written.
file(WRITE ${WORK}/broken.dxf "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n")
execute_process(COMMAND ${TOOL} ${WORK}/broken.dxf ${WORK}/broken-out.dxf
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 1)
    message(FATAL_ERROR "a broken drawing gave exit ${status}")
endif()
if(NOT err MATCHES "broken.dxf:7: the file ends after group code 10 without its value")
    message(FATAL_ERROR "unexpected message: ${err}")
endif()
if(EXISTS ${WORK}/broken-out.dxf)
    message(FATAL_ERROR "a drawing that could not be read was written")
endif()

# A wrong command line: exit 3 with the usage.
execute_process(COMMAND ${TOOL} RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 3 OR NOT err MATCHES "usage: dxf-roundtrip IN.dxf OUT.dxf")
    message(FATAL_ERROR "no usage for a wrong command line (${status}): ${err}")
endif()
