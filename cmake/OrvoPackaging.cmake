# The Debian packages, made by CPack from a tree configured with ORVO_DEB_PACKAGE (the package
# preset): libkestrum (the core library), libkestrum-gui (the Qt libraries), libkestrum-dev
# (headers and the CMake package) and orvo (the programs and everything a desktop and a shell
# need of them). Without the option, an install keeps a RUNPATH relative to the program, so that
# a tree installed under any prefix finds its own libraries.
option(ORVO_DEB_PACKAGE "Configure for the Debian packages (prefix /usr, no RUNPATH, cpack)" OFF)
set(ORVO_PACKAGE_MAINTAINER
    "Orvo maintainers <maintainers@users.noreply.c-seed-521a18d8.example>"
    CACHE STRING "The Maintainer field of the Debian packages")

include(OrvoDebianVersion)
orvo_debian_version(ORVO_DEBIAN_VERSION ${PROJECT_VERSION})

if(NOT ORVO_DEB_PACKAGE)
    set(CMAKE_INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
    return()
endif()

# Debian's programs find their libraries in the system's folders, and its policy refuses a
# RUNPATH that points elsewhere.
set(CMAKE_INSTALL_RPATH "")
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    message(FATAL_ERROR "ORVO_DEB_PACKAGE installs to /usr, not '${CMAKE_INSTALL_PREFIX}'")
endif()

# Package names carry the SONAME's version (libkestrum.so.0.1 is libkestrum0.1), so that the
# libraries of an incompatible version can be installed beside these.
set(_orvo_soversion ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR})
set(ORVO_PACKAGE_libkestrum libkestrum${_orvo_soversion})
set(ORVO_PACKAGE_libkestrum-gui libkestrum-gui${_orvo_soversion})
set(ORVO_PACKAGE_libkestrum-dev libkestrum-dev)
set(ORVO_PACKAGE_orvo orvo)
set(ORVO_PACKAGE_COMPONENTS libkestrum libkestrum-gui libkestrum-dev orvo)

# The engine opens the audio and video libraries with dlopen, under the SONAME versions of the
# headers it was compiled with (medialibraries.cpp), so dpkg-shlibdeps cannot see them: the
# orvo package names them itself. FFmpeg's pkg-config versions start with those same majors;
# the package that holds each library file is asked of dpkg, so a name never guessed wrong.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ORVO_AV REQUIRED libavformat libavcodec libavutil)
set(ORVO_MEDIA_PACKAGES)
foreach(library avformat avcodec avutil)
    string(REGEX MATCH "^[0-9]+" major "${ORVO_AV_lib${library}_VERSION}")
    set(soname lib${library}.so.${major})
    find_library(ORVO_${library}_RUNTIME NAMES ${soname} NO_CACHE)
    if(NOT ORVO_${library}_RUNTIME)
        message(FATAL_ERROR "${soname}, which the engine opens, is not installed")
    endif()
    execute_process(COMMAND dpkg-query -S ${ORVO_${library}_RUNTIME}
        OUTPUT_VARIABLE owner RESULT_VARIABLE result ERROR_QUIET)
    if(NOT result EQUAL 0 OR NOT owner MATCHES "^([^:, ]+)")
        message(FATAL_ERROR "no Debian package holds ${ORVO_${library}_RUNTIME}")
    endif()
    list(APPEND ORVO_MEDIA_PACKAGES ${CMAKE_MATCH_1})
endforeach()
message(STATUS "The orvo package depends on ${ORVO_MEDIA_PACKAGES}, which the engine opens")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvo)
set(CPACK_PACKAGE_VERSION ${ORVO_DEBIAN_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvo")
set(CPACK_PACKAGE_CONTACT "${ORVO_PACKAGE_MAINTAINER}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${ORVO_PACKAGE_COMPONENTS})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_VERSION ${ORVO_DEBIAN_VERSION})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The programs link the libraries of the sibling packages, which dpkg-shlibdeps finds here and
# leaves to the dependencies between the components.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# The libraries' packages make them known to the dynamic linker through the ldconfig trigger;
# their own maintainer scripts take the place of those CPack would write to call ldconfig.
set(_orvo_library_control)
foreach(file triggers postinst postrm)
    list(APPEND _orvo_library_control ${PROJECT_SOURCE_DIR}/packaging/debian/${file})
endforeach()

foreach(component IN LISTS ORVO_PACKAGE_COMPONENTS)
    string(TOUPPER ${component} upper)
    set(CPACK_DEBIAN_${upper}_PACKAGE_NAME ${ORVO_PACKAGE_${component}})
endforeach()

set(CPACK_DEBIAN_LIBKESTRUM_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIBKESTRUM_DESCRIPTION "Kestrum property database library
Kestrum is the library beside the DVD subtitle tool Orvo: a typed property
database with a binary file format, its loading and atomic saving, a version
resource reader, text helpers and trace messages to a viewer.

This package holds the core library, which needs the C++ standard library
and POSIX only.")
set(CPACK_DEBIAN_LIBKESTRUM_PACKAGE_CONTROL_EXTRA ${_orvo_library_control})

set(CPACK_DEBIAN_LIBKESTRUM-GUI_PACKAGE_SECTION libs)
set(CPACK_COMPONENT_LIBKESTRUM-GUI_DEPENDS libkestrum)
set(CPACK_COMPONENT_LIBKESTRUM-GUI_DESCRIPTION "Kestrum property database library - Qt parts
Kestrum is the library beside the DVD subtitle tool Orvo: a typed property
database with a binary file format.

This package holds its Qt libraries: kestrum-gui (stored fonts, colours and
texts as Qt values) and kestrum-widgets (a generic settings editor dialog,
a folder tree and custom controls).")
set(CPACK_DEBIAN_LIBKESTRUM-GUI_PACKAGE_CONTROL_EXTRA ${_orvo_library_control})

set(CPACK_DEBIAN_LIBKESTRUM-DEV_PACKAGE_SECTION libdevel)
set(CPACK_COMPONENT_LIBKESTRUM-DEV_DEPENDS libkestrum libkestrum-gui)
# The Qt components of the CMake package need Qt's headers; the core alone does not.
set(CPACK_DEBIAN_LIBKESTRUM-DEV_PACKAGE_RECOMMENDS qt6-base-dev)
set(CPACK_COMPONENT_LIBKESTRUM-DEV_DESCRIPTION "Kestrum property database library - development files
Kestrum is the library beside the DVD subtitle tool Orvo: a typed property
database with a binary file format, a settings editor dialog and custom Qt
controls.

This package holds the headers and the CMake package: find_package(Kestrum)
gives the targets Kestrum::kestrum, Kestrum::gui and Kestrum::widgets and the
function kestrum_add_version_resource.")

set(CPACK_DEBIAN_ORVO_PACKAGE_SECTION video)
set(CPACK_COMPONENT_ORVO_DEPENDS libkestrum libkestrum-gui)
list(JOIN ORVO_MEDIA_PACKAGES ", " _orvo_media_depends)
set(CPACK_DEBIAN_ORVO_PACKAGE_DEPENDS "${_orvo_media_depends}")
# The default look's font is Arial, which Liberation Sans stands in for.
set(CPACK_DEBIAN_ORVO_PACKAGE_RECOMMENDS fonts-liberation2)
set(CPACK_COMPONENT_ORVO_DESCRIPTION "subtitle bitmaps and script files for DVD authoring
Orvo turns a list of subtitles, or a subtitle file (SRT, WebVTT, ASS/SSA,
MicroDVD and more), into one 4-bit bitmap per subtitle and a script file that
DVD subtitle authoring tools import, or into PNG pictures and a control file
for spumux, or into a VobSub index and its subpictures.

The look (font, colours, margins, alignment, box or outline) is shaped in a
window with a live preview; orvo --batch makes the same run without a display.
The package also holds kestrum-prop and kestrum-propedit, which read and
change Orvo's settings files, and the trace viewer kestrum-trace.")

include(CPack)
