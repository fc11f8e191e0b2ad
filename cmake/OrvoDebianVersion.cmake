# orvo_debian_version(OUT VERSION)
#
# The Debian package version of a project version major.minor.buildtype.build (build type 0
# release, 1 demo, 2 beta). Debian sorts a tilde below the end of a version, and the letters of
# "beta" below those of "demo": a beta of 0.1 (0.1~beta1) sorts below its demo (0.1~demo1),
# which is made from a finished build to be shown, and both below the release (0.1.1), whose
# build number keeps two releases of one minor version apart.
function(orvo_debian_version out version)
    if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
        message(FATAL_ERROR "version '${version}' is not major.minor.buildtype.build")
    endif()
    set(base ${CMAKE_MATCH_1}.${CMAKE_MATCH_2})
    set(type ${CMAKE_MATCH_3})
    set(build ${CMAKE_MATCH_4})
    if(type EQUAL 0)
        set(${out} ${base}.${build} PARENT_SCOPE)
    elseif(type EQUAL 1)
        set(${out} ${base}~demo${build} PARENT_SCOPE)
    elseif(type EQUAL 2)
        set(${out} ${base}~beta${build} PARENT_SCOPE)
    else()
        message(FATAL_ERROR "version '${version}': build type ${type} is none of 0 (release), "
                            "1 (demo) and 2 (beta)")
    endif()
endfunction()
