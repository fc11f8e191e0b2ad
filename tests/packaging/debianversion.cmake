# The Debian version of each build type, and that Debian sorts them as the releases follow each
# other: beta, then demo, then the release, then the next minor version's beta.
# Argument: MODULE_DIR, the folder of OrvoDebianVersion.cmake.
include(${MODULE_DIR}/OrvoDebianVersion.cmake)

set(ordered)
foreach(case "0.1.2.1=0.1~beta1" "0.1.1.1=0.1~demo1" "0.1.0.1=0.1.1" "0.1.0.7=0.1.7"
             "0.2.2.3=0.2~beta3" "1.10.0.0=1.10.0")
    string(REPLACE "=" ";" pair "${case}")
    list(GET pair 0 version)
    list(GET pair 1 expected)
    orvo_debian_version(debian ${version})
    if(NOT debian STREQUAL expected)
        message(FATAL_ERROR "${version} became ${debian}, not ${expected}")
    endif()
    list(APPEND ordered ${debian})
endforeach()

find_program(DPKG dpkg)
if(NOT DPKG)
    message(WARNING "dpkg is missing: the order of the versions is not checked")
    return()
endif()
set(previous)
foreach(debian IN LISTS ordered)
    if(previous)
        execute_process(COMMAND ${DPKG} --compare-versions ${previous} lt ${debian}
            RESULT_VARIABLE result)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "Debian does not sort ${previous} below ${debian}")
        endif()
    endif()
    set(previous ${debian})
endforeach()
