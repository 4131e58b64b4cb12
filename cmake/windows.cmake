# The Windows build (cross-built with cmake/mingw-w64.cmake): native Win32
# edges in src/win32 instead of Qt and X11.
set(VOSTEL_GUI OFF CACHE BOOL "Qt is not available for Windows builds" FORCE)
set(VOSTEL_BENCH OFF CACHE BOOL "The benchmarks are measured on Linux" FORCE)

# nlohmann-json is header-only: Debian's headers serve the cross build too.
# Only its own folder is put on the include path, not /usr/include with the
# build machine's C library.
set(_json_include ${CMAKE_BINARY_DIR}/host-include)
set(_json_config ${CMAKE_BINARY_DIR}/host-packages/nlohmann_json)
if(NOT EXISTS /usr/include/nlohmann/json.hpp)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev")
endif()
file(MAKE_DIRECTORY ${_json_include} ${_json_config})
file(CREATE_LINK /usr/include/nlohmann ${_json_include}/nlohmann SYMBOLIC)
file(WRITE ${_json_config}/nlohmann_jsonConfig.cmake
     "if(NOT TARGET nlohmann_json::nlohmann_json)\n"
     "  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)\n"
     "  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_json_include})\n"
     "endif()\n")
file(WRITE ${_json_config}/nlohmann_jsonConfigVersion.cmake
     "set(PACKAGE_VERSION 3)\nset(PACKAGE_VERSION_COMPATIBLE TRUE)\n")
set(nlohmann_json_DIR ${_json_config} CACHE PATH "" FORCE)

include(${CMAKE_CURRENT_LIST_DIR}/windows-resources.cmake)
