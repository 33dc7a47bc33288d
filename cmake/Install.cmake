# Everything `cmake --install` puts in place, in one spot: the static library with its headers,
# the module with its public header, the tool, a CMake package (find_package(Rastero) gives
# Rastero::rastero and Rastero::BrelvinBMPPixelate) and a pkg-config file for the static library.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(RASTERO_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/Rastero)
set(RASTERO_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/rastero)

# The library's headers include one another as "image/...", "ops/..." and "bmpfile/...", so they
# keep those folders under include/rastero, which users put on their include path.
target_include_directories(rastero PUBLIC $<INSTALL_INTERFACE:${RASTERO_INSTALL_INCLUDEDIR}>)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/image ${PROJECT_SOURCE_DIR}/ops ${PROJECT_SOURCE_DIR}/bmpfile
        DESTINATION ${RASTERO_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.h")

set(rastero_installed_targets rastero)
if(TARGET BrelvinBMPPixelate)
  list(APPEND rastero_installed_targets BrelvinBMPPixelate)
  # The module's public header, included as "rastero/RasteroPixelate.h".
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/boundary/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endif()
install(TARGETS ${rastero_installed_targets} EXPORT RasteroTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(TARGET rastero_tool)
  install(TARGETS rastero_tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(EXPORT RasteroTargets NAMESPACE Rastero:: DESTINATION ${RASTERO_INSTALL_CMAKEDIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/RasteroConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/RasteroConfig.cmake
                              INSTALL_DESTINATION ${RASTERO_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/RasteroConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/RasteroConfig.cmake ${PROJECT_BINARY_DIR}/RasteroConfigVersion.cmake
        DESTINATION ${RASTERO_INSTALL_CMAKEDIR})

# The pkg-config file finds its prefix from where it lies, so the tree can move after installing.
set(rastero_pkgconfig_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH RASTERO_PKGCONFIG_TO_PREFIX /${rastero_pkgconfig_dir} /)
string(REGEX REPLACE "/$" "" RASTERO_PKGCONFIG_TO_PREFIX "${RASTERO_PKGCONFIG_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/rastero.pc.in ${PROJECT_BINARY_DIR}/rastero.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/rastero.pc DESTINATION ${rastero_pkgconfig_dir})
