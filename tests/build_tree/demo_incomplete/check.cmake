# Configures the tiny build and runs the demo check on it: the check must fail and
# name each file left out.
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${BINARY} -G Ninja
    -DCMAKE_MAKE_PROGRAM=${NINJA}
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "configuring ${SOURCE} failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -DNINJA=${NINJA} -DBUILD_DIR=${BINARY}
    -DPROGRAM_SOURCES=${SOURCE}/app -DDEMO_SCRIPT=${SOURCE}/demo.sh -P ${CHECK}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(rc EQUAL 0)
  message(FATAL_ERROR "the demo check passed a demo target that leaves files out:\n${out}")
endif()
foreach(name demo/libstandin.so demo/libOther.so demo/server)
  string(FIND "${out}" "  ${name}\n" at)
  if(at LESS 0)
    message(FATAL_ERROR "the demo check does not name ${name}:\n${out}")
  endif()
endforeach()
foreach(name demo/program)
  string(FIND "${out}" "  ${name}\n" at)
  if(NOT at LESS 0)
    message(FATAL_ERROR "the demo check names ${name}, which the demo target builds:\n${out}")
  endif()
endforeach()
