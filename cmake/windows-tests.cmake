# Tests of the Windows build: GoogleTest built from Debian's source package
# with the cross compiler, every test program run under Wine.
set(VOSTEL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest package)")
if(NOT EXISTS ${VOSTEL_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${VOSTEL_GTEST_SOURCE}: install the googletest package")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${VOSTEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# GoogleTest's own code is not held to this project's warning flags.
set_property(TARGET gtest gtest_main PROPERTY COMPILE_OPTIONS "")

# Wine with a prefix of its own in the build folder, made at its first use.
set(VOSTEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/wine-run ${VOSTEL_WINEPREFIX})
