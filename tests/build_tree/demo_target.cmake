# Checks that the "demo" target builds everything the demo program folder needs,
# from the build graph alone (nothing has to be built):
#   - every file any target of the build puts into the folder,
#   - lib<name>.so for every library the program loads by name (the baseName
#     defaults of the loaders under PROGRAM_SOURCES),
#   - every program the demo script runs ("$demo/NAME" or "$build/PATH" at the
#     start of a command or after -x).
# cmake -DNINJA=ninja -DBUILD_DIR=build [-DTARGET=demo] [-DDEMO_DIR=demo]
#       [-DPROGRAM_SOURCES=app] [-DDEMO_SCRIPT=scripts/demo] -P demo_target.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT TARGET)
  set(TARGET demo)
endif()
if(NOT DEMO_DIR)
  set(DEMO_DIR demo)
endif()

# Paths as the build graph names them, relative to the build folder.
function(graph_paths out)
  execute_process(COMMAND ${NINJA} -C ${BUILD_DIR} -t ${ARGN}
    OUTPUT_VARIABLE text RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "ninja -t ${ARGN} failed: ${err}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
function(relative out path)
  string(REPLACE "${BUILD_DIR}/" "" path "${path}")
  set(${out} "${path}" PARENT_SCOPE)
endfunction()
get_filename_component(BUILD_DIR "${BUILD_DIR}" ABSOLUTE)

# The target's whole closure: every node of its graph (phony ones included).
graph_paths(dot graph ${TARGET})
string(REGEX MATCHALL "label=\"[^\"]*\"" labels "${dot}")
set(built)
foreach(l ${labels})
  string(REGEX REPLACE "^label=\"(.*)\"$" "\\1" p "${l}")
  relative(p "${p}")
  list(APPEND built "${p}")
endforeach()

# What the folder needs.
set(needed)
graph_paths(targets targets all)
string(REPLACE "\n" ";" lines "${targets}")
foreach(line ${lines})
  string(REGEX REPLACE ": [^:]*$" "" p "${line}")
  relative(p "${p}")
  if(p MATCHES "^${DEMO_DIR}/")
    list(APPEND needed "${p}")
  endif()
endforeach()

if(PROGRAM_SOURCES)
  file(GLOB_RECURSE headers ${PROGRAM_SOURCES}/*.h)
  set(loaded)
  foreach(h ${headers})
    file(STRINGS ${h} hits REGEX "baseName = [^\"]*\"[A-Za-z0-9_]+\"")
    foreach(hit ${hits})
      string(REGEX REPLACE ".*baseName = [^\"]*\"([A-Za-z0-9_]+)\".*" "\\1" name "${hit}")
      list(APPEND loaded ${name})
      list(APPEND needed "${DEMO_DIR}/lib${name}.so")
    endforeach()
  endforeach()
  if(NOT loaded)
    message(FATAL_ERROR "No library loader with a baseName default under ${PROGRAM_SOURCES}: "
                        "this check no longer sees which libraries the program loads.")
  endif()
endif()

if(DEMO_SCRIPT)
  file(STRINGS ${DEMO_SCRIPT} script)
  set(run)
  foreach(line ${script})
    if(line MATCHES "(^[ \t]*|-x )\"\\$(demo|build)/([^\"]+)\"")
      if(CMAKE_MATCH_2 STREQUAL "demo")
        set(p "${DEMO_DIR}/${CMAKE_MATCH_3}")
      else()
        set(p "${CMAKE_MATCH_3}")
      endif()
      list(APPEND run "${p}")
      list(APPEND needed "${p}")
    endif()
  endforeach()
  if(NOT run)
    message(FATAL_ERROR "No program run by ${DEMO_SCRIPT} found: this check no longer reads it.")
  endif()
endif()

list(REMOVE_DUPLICATES needed)
set(missing)
foreach(p ${needed})
  if(NOT p IN_LIST built)
    list(APPEND missing "${p}")
  endif()
endforeach()
if(missing)
  list(JOIN missing "\n  " text)
  message(FATAL_ERROR "The demo folder needs these, but they are not built by the "
                      "\"${TARGET}\" target (add their targets to it):\n  ${text}")
endif()
message(STATUS "\"${TARGET}\" builds everything the demo folder needs")
