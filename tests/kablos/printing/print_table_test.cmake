# kablos --print-table as an unattended run uses it. Variables: KABLOS (the program), SAMPLES
# (the samples folder), XLSX_TOOL (the independent reader), WORK (a scratch folder).

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

include("${CMAKE_CURRENT_LIST_DIR}/../support/ProgramRun.cmake")

set(table "${WORK}/電線処理表.xlsx")
run(0 --print-table "${SAMPLES}/casting.txt" --template "${SAMPLES}/processing-table.xlsx" --output "${table}")
expect_in("${out}" "6 pages")
execute_process(COMMAND /usr/bin/python3 "${XLSX_TOOL}" dump "${table}" RESULT_VARIABLE code OUTPUT_VARIABLE dump)
if(NOT code EQUAL 0)
    message(FATAL_ERROR "openpyxl cannot read ${table}:\n${dump}")
endif()
expect_in("${dump}" "cell\tSheet1 (7)\tI1\tP. 6")

# A template that is not a workbook: no message box, a failed exit, no file.
file(WRITE "${WORK}/broken.xlsx" "not a workbook")
run(1 --print-table "${SAMPLES}/casting.txt" --template "${WORK}/broken.xlsx" --output "${WORK}/out.xlsx")
expect_in("${err}" "not a workbook")
# A template without a named cell: the print's message.
execute_process(COMMAND /usr/bin/python3 "${XLSX_TOOL}" variant "${SAMPLES}/processing-table.xlsx"
    "${WORK}/noname.xlsx" drop SNO RESULT_VARIABLE code)
run(1 --print-table "${SAMPLES}/casting.txt" --template "${WORK}/noname.xlsx" --output "${WORK}/out.xlsx")
expect_in("${err}" "処理表印刷に失敗しました。(SNO)")
if(EXISTS "${WORK}/out.xlsx")
    message(FATAL_ERROR "a failed print left ${WORK}/out.xlsx behind")
endif()

run(2 --print-table "${SAMPLES}/casting.txt" --template "${SAMPLES}/processing-table.xlsx" --output "${WORK}/out.txt")
run(2 --print-table "${SAMPLES}/casting.txt")
expect_in("${err}" "go together")
