# ORVEXA_SANITIZE builds every target, the tests' own included, with
# AddressSanitizer (and its leak checker) and UndefinedBehaviorSanitizer.
# Undefined behaviour ends the process at its first report, so that a test
# run fails on it instead of printing and passing.
option(ORVEXA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(ORVEXA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
