# Hardening builds, both off by default. CALVANE_SANITIZE builds everything, the whole
# test suite included, with AddressSanitizer (leak checking on) and
# UndefinedBehaviorSanitizer, stopping at the first report. CALVANE_FUZZ (clang only)
# adds the libFuzzer targets of fuzz/ and the fuzzer's coverage instrumentation in
# every library; it implies the sanitizers, so one build serves the tests and the fuzzers.
if(CALVANE_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "CALVANE_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
if(CALVANE_SANITIZE OR CALVANE_FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(CALVANE_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
