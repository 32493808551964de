# Helpers of the tests that start the kablos program as a user does. KABLOS names the program.

function(run expected_code)
    execute_process(COMMAND "${KABLOS}" ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT code STREQUAL "${expected_code}")
        message(FATAL_ERROR "kablos ${ARGN}: exit ${code}, expected ${expected_code}\n${out}\n${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_in text what)
    string(FIND "${text}" "${what}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "expected \"${what}\" in:\n${text}")
    endif()
endfunction()
