# kestrum_add_library(TARGET EXPORT_NAME NAME BASE_NAME BASE SOURCES ... HEADERS ...)
#
# One of Kestrum's shared libraries: Kestrum::NAME, its export header kestrum/BASE_export.h
# (macro BASE_EXPORT in capitals), hidden symbols, a versioned file name, its public headers
# (paths relative to the calling folder) and its place in the installed CMake package. More
# headers may join the HEADERS file set later.
function(kestrum_add_library target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "EXPORT_NAME;BASE_NAME" "SOURCES;HEADERS")
    add_library(${target} SHARED ${arg_SOURCES})
    add_library(Kestrum::${arg_EXPORT_NAME} ALIAS ${target})
    target_sources(${target} PUBLIC
        FILE_SET HEADERS
        BASE_DIRS ${PROJECT_SOURCE_DIR}
        FILES ${arg_HEADERS})

    set(export_header ${PROJECT_BINARY_DIR}/include/kestrum/${arg_BASE_NAME}_export.h)
    generate_export_header(${target} BASE_NAME ${arg_BASE_NAME} EXPORT_FILE_NAME ${export_header})
    # The build tree lies inside the source tree, so the generated header needs a file set of
    # its own: base folders of one set cannot nest.
    target_sources(${target} PUBLIC
        FILE_SET export_header TYPE HEADERS
        BASE_DIRS ${PROJECT_BINARY_DIR}/include
        FILES ${export_header})

    target_link_libraries(${target} PRIVATE orvo_warnings)
    set_target_properties(${target} PROPERTIES
        VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}
        SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
        EXPORT_NAME ${arg_EXPORT_NAME})

    install(TARGETS ${target} EXPORT KestrumTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILE_SET export_header DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endfunction()
