# Installs the built tree into a fresh prefix, then configures, builds and runs each consumer
# project against it: one that loads every component, and one that asks for the core alone on
# a machine where Qt cannot be found. Arguments: BUILD_DIR, PACKAGE_DIR, WORK_DIR.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "failed (${result}): ${ARGN}")
    endif()
endfunction()

function(consume name)
    set(build ${WORK_DIR}/${name})
    run(${CMAKE_COMMAND} -S ${PACKAGE_DIR}/${name} -B ${build} -DCMAKE_PREFIX_PATH=${prefix}
        ${ARGN})
    run(${CMAKE_COMMAND} --build ${build})
    run(${build}/consumer ${build}/consumer.cfg)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
consume(consumer)
consume(core-consumer -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON)
