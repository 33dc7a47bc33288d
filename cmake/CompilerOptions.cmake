# Warnings and sanitizers shared by every target of the project.

function(rastero_apply_options target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${RASTERO_WERROR}>:/WX>)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
                           $<$<BOOL:${RASTERO_WERROR}>:-Werror>)
  endif()
endfunction()

if(RASTERO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Results that must match bit for bit (rescaled pixels, file sizes) depend on the order of
# floating-point operations: no fused multiply-adds on any target.
if(NOT MSVC)
  add_compile_options(-ffp-contract=off)
endif()

# On 32-bit POSIX systems, stat, readdir and fopen refuse files with 64-bit sizes or inode numbers
# (common on today's file systems) unless the 64-bit file interfaces are chosen.
if(UNIX)
  add_compile_definitions(_FILE_OFFSET_BITS=64)
endif()
