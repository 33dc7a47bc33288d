# GoogleTest for the unit tests: the installed one for native builds, or one built from sources
# (RASTERO_GTEST_SOURCE_DIR) when the build's target has none installed, as in cross builds.
set(RASTERO_GTEST_SOURCE_DIR "" CACHE PATH "GoogleTest sources to build instead of an installed GoogleTest")

if(RASTERO_GTEST_SOURCE_DIR)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${RASTERO_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)
