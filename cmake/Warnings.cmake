# Project-wide compile flags: warnings (errors in CI) and the optional sanitizers.
add_library(orvulink_flags INTERFACE)
target_compile_options(orvulink_flags INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Wunused
  -Woverloaded-virtual -Wimplicit-fallthrough)
# GCC 12 reports -Wrestrict falsely on inlined std::basic_string concatenation at -O2 (GCC bug
# 105329); the warning stays on everywhere else.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(orvulink_flags INTERFACE -Wno-restrict)
endif()
if(ORVULINK_WERROR)
  target_compile_options(orvulink_flags INTERFACE -Werror)
endif()
if(ORVULINK_TSAN)
  target_compile_options(orvulink_flags INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(orvulink_flags INTERFACE -fsanitize=thread)
endif()
if(ORVULINK_SANITIZE)
  target_compile_options(orvulink_flags INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(orvulink_flags INTERFACE -fsanitize=address,undefined)
endif()

# Precompiled headers for the targets whose sources all pull in the same heavy libraries
# (CLI11, nlohmann::json, cpp-httplib, GoogleTest): each is parsed once per target instead of
# once per source file, which roughly halves the build. ORVULINK_PCH=OFF turns it off.
function(orvulink_precompile target)
  if(ORVULINK_PCH)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()
