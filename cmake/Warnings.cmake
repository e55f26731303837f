# Warning flags for every target of the project, and the sanitizer build.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wcast-align -Wunused
                      $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>
                      $<$<COMPILE_LANGUAGE:CXX>:-Woverloaded-virtual>)
  if(TALIQ_WERROR)
    add_compile_options(-Werror)
  endif()
endif()

if(TALIQ_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz harnesses: every library instrumented for libFuzzer's coverage;
# the harnesses link the fuzzer's main (tests/fuzz).
if(TALIQ_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
