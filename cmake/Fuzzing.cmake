# ORVEXA_FUZZ builds the libFuzzer targets of fuzz/ (clang only): every
# target of ours is compiled with the fuzzer's coverage instrumentation,
# AddressSanitizer and UndefinedBehaviorSanitizer, and undefined behaviour
# ends the run at its first report, so that libFuzzer keeps the input.
option(ORVEXA_FUZZ "Build the fuzz targets (clang, with AddressSanitizer and UndefinedBehaviorSanitizer)" OFF)
if(ORVEXA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ORVEXA_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
