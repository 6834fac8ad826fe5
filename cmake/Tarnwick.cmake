# Shared build rules for every target of the project.

set(TARNWICK_WARNINGS -Wall -Wextra -Werror)
set(TARNWICK_SANITIZERS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
# The libFuzzer build instruments all our code for coverage; only the fuzz targets (tests/fuzz)
# link libFuzzer's main.
set(TARNWICK_FUZZ_FLAGS -fsanitize=fuzzer-no-link ${TARNWICK_SANITIZERS})

function(tarnwick_flags target)
  target_compile_options(${target} PRIVATE ${TARNWICK_WARNINGS})
  target_compile_definitions(${target} PRIVATE QT_NO_FOREACH)
  if(TARNWICK_FUZZ)
    target_compile_options(${target} PRIVATE ${TARNWICK_FUZZ_FLAGS})
    target_link_options(${target} PRIVATE ${TARNWICK_SANITIZERS})
  elseif(TARNWICK_SANITIZE)
    target_compile_options(${target} PRIVATE ${TARNWICK_SANITIZERS})
    target_link_options(${target} PRIVATE ${TARNWICK_SANITIZERS})
  endif()
endfunction()

# tarnwick_library(name SOURCES a.cpp b.h c.ui ... LIBS dep1 dep2 ...)
# One static library per folder; the folder's parent is on the include path so that
# code includes "core/log.h", "widgets/popwindow.h" and so on.
function(tarnwick_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  tarnwick_flags(${name})
endfunction()

# tarnwick_test(name SOURCES ... LIBS ... [DISPLAY] [NETNS] [TIMEOUT s] [LABELS ...])
# Tests run with the offscreen platform unless DISPLAY is given; DISPLAY tests need the
# X server (and PulseAudio) that scripts/test.sh starts around ctest. NETNS tests run inside the
# private network namespace of scripts/netns.sh (Janus).
function(tarnwick_test name)
  cmake_parse_arguments(ARG "DISPLAY;NETNS" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt5::Test tarnwick_test_support)
  tarnwick_flags(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  if(ARG_NETNS)
    # Janus's ICE needs the private network namespace (needs root, as CI has).
    add_test(NAME ${name} COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/netns.sh run $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set(env "TARNWICK_SOURCE_DIR=${CMAKE_SOURCE_DIR}" "TARNWICK_BIN_DIR=${CMAKE_BINARY_DIR}/bin")
  if(NOT ARG_DISPLAY)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${env}"
                       LABELS "${ARG_LABELS}")
endfunction()
