# Runs the real kestrum-prop: a set into a new file, then a get of the same key, in a folder
# of this test's own.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(file ${WORK_DIR}/settings.cfg)

execute_process(COMMAND ${TOOL} set ${file} Look ImgName string "sub\\ttitle"
                RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "set exited with ${status}: ${err}")
endif()

execute_process(COMMAND ${TOOL} get ${file} Look ImgName
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out STREQUAL "sub\\ttitle\n")
    message(FATAL_ERROR "get exited with ${status}, printed \"${out}\": ${err}")
endif()

execute_process(COMMAND ${TOOL} get ${file} Look Missing
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 1 OR NOT out STREQUAL "")
    message(FATAL_ERROR "get of a missing key exited with ${status}, printed \"${out}\"")
endif()

file(REMOVE_RECURSE ${WORK_DIR})
