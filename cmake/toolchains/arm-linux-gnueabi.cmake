# 32-bit little-endian ARM Linux (soft-float EABI), the nearest installable relative of the ARM
# machines the module was made for. Programs run under qemu-arm user-mode emulation, so ctest
# runs the unit tests as they are.
#
#   cmake -S . -B build/arm -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabi.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(RASTERO_TARGET_TRIPLE arm-linux-gnueabi)
set(CMAKE_C_COMPILER ${RASTERO_TARGET_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${RASTERO_TARGET_TRIPLE}-g++)

set(RASTERO_TARGET_SYSROOT /usr/${RASTERO_TARGET_TRIPLE})
set(CMAKE_FIND_ROOT_PATH ${RASTERO_TARGET_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L ${RASTERO_TARGET_SYSROOT})

# No GoogleTest is installed for the target, so the tests build it from the Debian sources.
set(RASTERO_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")
