# Warnings as errors for our own targets (not for third-party code).
function(tolvane_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  endif()
endfunction()

# A GoogleTest binary registered with CTest under one label.
# Usage: tolvane_test(NAME LABEL label SOURCES ... LIBS ... [ENV ...])
function(tolvane_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  tolvane_warnings(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set(env ${T_ENV})
  if(T_LABEL STREQUAL "widget" OR T_LABEL STREQUAL "browser" OR T_LABEL STREQUAL "e2e")
    list(APPEND env QT_QPA_PLATFORM=offscreen)
  endif()
  # Discovered tests cannot carry a list-valued ENVIRONMENT through the
  # generated script, so the test binary is started through `cmake -E env`,
  # for the listing and for every test alike.
  if(env)
    set_target_properties(${name} PROPERTIES
      CROSSCOMPILING_EMULATOR "${CMAKE_COMMAND};-E;env;${env}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
endfunction()
