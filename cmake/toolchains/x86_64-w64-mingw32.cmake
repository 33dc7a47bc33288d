# 64-bit Windows with the MinGW-w64 cross compiler. Programs run under Wine (scripts/wine-run.sh
# keeps its prefix inside the build folder), so ctest runs the Windows tests as they are.
#
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/x86_64-w64-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(RASTERO_TARGET_TRIPLE x86_64-w64-mingw32)
# The POSIX thread model: GoogleTest and the threaded tests need std::mutex and std::thread.
set(CMAKE_C_COMPILER ${RASTERO_TARGET_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RASTERO_TARGET_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${RASTERO_TARGET_TRIPLE}-windres)
find_program(RASTERO_WIDL NAMES ${RASTERO_TARGET_TRIPLE}-widl widl REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${RASTERO_TARGET_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program and the module stand alone: no MinGW run-time DLLs to ship next to them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")

get_filename_component(rastero_wine_run ${CMAKE_CURRENT_LIST_DIR}/../../scripts/wine-run.sh ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${rastero_wine_run} ${CMAKE_BINARY_DIR}/wine)

set(RASTERO_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")

# Windows finds a program's DLLs beside it, so programs and the module share one folder.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
