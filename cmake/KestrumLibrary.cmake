# kestrum_add_library(TARGET EXPORT_NAME NAME BASE_NAME BASE COMPONENT COMP
#                     SOURCES ... HEADERS ...)
#
# One of Kestrum's shared libraries: Kestrum::NAME, its export header kestrum/BASE_export.h
# (macro BASE_EXPORT in capitals), hidden symbols, a versioned file name, its public headers
# (paths relative to the calling folder, which is the include root, each checked to compile on
# its own) and its component COMP of the installed CMake package, whose targets file
# KestrumCOMPTargets.cmake holds this library alone.
function(kestrum_add_library target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "EXPORT_NAME;BASE_NAME;COMPONENT" "SOURCES;HEADERS")
    add_library(${target} SHARED ${arg_SOURCES})
    add_library(Kestrum::${arg_EXPORT_NAME} ALIAS ${target})
    # The calling folder is the library's include root: it holds the library's own folder and
    # nothing else, so a file includes only what its target links.
    target_sources(${target} PUBLIC
        FILE_SET HEADERS
        BASE_DIRS ${CMAKE_CURRENT_SOURCE_DIR}
        FILES ${arg_HEADERS})

    set(export_header ${CMAKE_CURRENT_BINARY_DIR}/include/kestrum/${arg_BASE_NAME}_export.h)
    generate_export_header(${target} BASE_NAME ${arg_BASE_NAME} EXPORT_FILE_NAME ${export_header})
    # The build tree lies inside the source tree, so the generated header needs a file set of
    # its own: base folders of one set cannot nest.
    target_sources(${target} PUBLIC
        FILE_SET export_header TYPE HEADERS
        BASE_DIRS ${CMAKE_CURRENT_BINARY_DIR}/include
        FILES ${export_header})

    target_link_libraries(${target} PRIVATE orvo_warnings)
    set_target_properties(${target} PROPERTIES
        VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}
        SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
        EXPORT_NAME ${arg_EXPORT_NAME}
        VERIFY_INTERFACE_HEADER_SETS ON)

    # Install components follow the Debian packages: the core library alone, the Qt libraries
    # together, and everything a build against them needs in the development package.
    if(arg_COMPONENT STREQUAL "core")
        set(runtime_component libkestrum)
    else()
        set(runtime_component libkestrum-gui)
    endif()
    install(TARGETS ${target} EXPORT Kestrum${arg_COMPONENT}Targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
            COMPONENT ${runtime_component} NAMELINK_COMPONENT libkestrum-dev
        FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT libkestrum-dev
        FILE_SET export_header DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT libkestrum-dev)
    install(EXPORT Kestrum${arg_COMPONENT}Targets NAMESPACE Kestrum::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Kestrum COMPONENT libkestrum-dev)
endfunction()
