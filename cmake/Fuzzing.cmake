# ORVULINK_FUZZ: the libFuzzer targets of fuzz/. Every target of the build dir is compiled with
# coverage (-fsanitize=fuzzer-no-link), so the fuzzers see the branches of the component and of
# the simulator; only the fuzz targets link libFuzzer itself. The link option makes clang bring
# a runtime with the coverage callbacks into every other executable (the tests), so one build dir
# serves the test suite and the fuzzers. ORVULINK_SANITIZE adds ASan+UBSan on top, as usual.
if(NOT ORVULINK_FUZZ)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR
    "ORVULINK_FUZZ=ON needs clang (libFuzzer), not ${CMAKE_CXX_COMPILER_ID}: configure with "
    "-DCMAKE_CXX_COMPILER=clang++, or leave ORVULINK_FUZZ off")
endif()
add_compile_options(-fsanitize=fuzzer-no-link)
add_link_options(-fsanitize=fuzzer-no-link)
