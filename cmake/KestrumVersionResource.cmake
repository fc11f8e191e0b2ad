# kestrum_add_version_resource(TARGET VERSION major.minor.buildtype.build)
#
# Compiles a version resource into TARGET, which CVersion::Init then finds. The version
# defaults to the project version.
set(_kestrum_version_template ${CMAKE_CURRENT_LIST_DIR}/versionresource.cpp.in)

function(kestrum_add_version_resource target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "VERSION" "")
    if(NOT arg_VERSION)
        set(arg_VERSION ${PROJECT_VERSION})
    endif()
    string(REPLACE "." ";" parts "${arg_VERSION}.0.0.0.0")
    list(GET parts 0 KESTRUM_VERSION_MAJOR)
    list(GET parts 1 KESTRUM_VERSION_MINOR)
    list(GET parts 2 KESTRUM_VERSION_TYPE)
    list(GET parts 3 KESTRUM_VERSION_BUILD)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_versionresource.cpp)
    configure_file(${_kestrum_version_template} ${out} @ONLY)
    target_sources(${target} PRIVATE ${out})
endfunction()
