# Starts the kablos program as a user would, with a private home, and checks what it does.
# Variables: KABLOS (the program), WORK (a scratch folder).

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(ENV{XDG_DATA_HOME} "${WORK}/data")
set(ENV{XDG_CONFIG_HOME} "${WORK}/config")
set(user_ini "${WORK}/data/Brindlex/TRIM-KIT/KABLOS.ini")

include("${CMAKE_CURRENT_LIST_DIR}/support/ProgramRun.cmake")

run(0 --version)
expect_in("${out}" "KABLOS Version 12.0.26")

run(0 --help)
expect_in("${out}" "Usage: kablos")

run(2 --bogus)
expect_in("${err}" "unknown option --bogus")

# First start: the program folder's settings file is taken over at once.
run(0 --check /B -d2)
expect_in("${out}" "protocol: binary (371)")
expect_in("${out}" "debug mode: 2, log mode: off")
expect_in("${out}" "taken over from the program folder")
expect_in("${out}" "strip environments: 2")
if(NOT EXISTS "${user_ini}")
    message(FATAL_ERROR "no per-user settings file after the first start")
endif()

# Second start: the user's file, with the protocol from the per-user store.
file(WRITE "${WORK}/config/Brindlex/電線処理ダイアログ.ini" "[Properties]\nMType=A\nCommPort=2\n")
run(0 --check /B -d3)
expect_in("${out}" "protocol: ASCII (351)")
expect_in("${out}" "log mode: on")
expect_in("${out}" "port: 2, 4800,N,8,1")
string(FIND "${out}" "taken over" again)
if(NOT again EQUAL -1)
    message(FATAL_ERROR "the second start must read the user's file:\n${out}")
endif()
