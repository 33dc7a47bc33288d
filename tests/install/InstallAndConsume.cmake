# Run by ctest as a script; see CMakeLists.txt in this folder.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${result}): ${command}\n${output}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/staged --config ${BUILD_TYPE})
# Nothing in the tree may depend on where it was installed.
file(RENAME ${WORK_DIR}/staged ${WORK_DIR}/prefix)
set(prefix ${WORK_DIR}/prefix)

foreach(path include/rastero/image/BmpImage.h include/rastero/image/BmpPixel.h include/rastero/ops/Pixelate.h
             include/rastero/RasteroPixelate.h)
  if(NOT EXISTS ${prefix}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
run(${prefix}/bin/rastero --version)

file(GLOB_RECURSE package_config ${prefix}/*/RasteroConfig.cmake)
file(GLOB_RECURSE pkgconfig_file ${prefix}/*/rastero.pc)
if(NOT package_config OR NOT pkgconfig_file)
  message(FATAL_ERROR "package files missing: '${package_config}' '${pkgconfig_file}'")
endif()

# Through the CMake package.
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer -G ${GENERATOR} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer --config ${BUILD_TYPE})
file(GLOB_RECURSE consumer ${WORK_DIR}/consumer/rastero_consumer ${WORK_DIR}/consumer/rastero_consumer.exe)
run(${consumer} ${WORK_DIR}/cmake-consumer.bmp)

# Through pkg-config, with nothing but a compiler.
find_program(PKG_CONFIG NAMES pkg-config pkgconf REQUIRED)
get_filename_component(pkgconfig_dir ${pkgconfig_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pkgconfig_dir})
execute_process(COMMAND ${PKG_CONFIG} --cflags --libs rastero OUTPUT_VARIABLE flags RESULT_VARIABLE result
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "pkg-config does not know rastero")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
run(${CXX} -std=c++17 ${CONSUMER_DIR}/Consumer.cpp ${flags} -o ${WORK_DIR}/pkgconfig-consumer)
run(${WORK_DIR}/pkgconfig-consumer ${WORK_DIR}/pkgconfig-consumer.bmp)
