# A version of another shape, or an unknown build type, must stop the configuration.
# Arguments: MODULE_DIR, VERSION.
include(${MODULE_DIR}/OrvoDebianVersion.cmake)
orvo_debian_version(debian ${VERSION})
