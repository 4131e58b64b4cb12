# The version is set once, in project(). Programs that print it link vostel_version
# and include the generated header vostel_version.h.
configure_file(${CMAKE_CURRENT_LIST_DIR}/vostel_version.h.in ${PROJECT_BINARY_DIR}/generated/vostel_version.h
               @ONLY)
add_library(vostel_version INTERFACE)
target_include_directories(vostel_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
