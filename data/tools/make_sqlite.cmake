# cmake -DSQLITE3=<sqlite3> -DSCRIPT=<file.sql> -DWORKDIR=<dir> -DOUT=<file> -P make_sqlite.cmake
# Builds a database from a script of SQL and dot commands, into a temporary file
# that replaces OUT only when the whole script ran, so a failed build never
# leaves a half-filled database behind.
set(tmp "${OUT}.tmp")
file(REMOVE "${tmp}")
execute_process(
  COMMAND "${SQLITE3}" -bail "${tmp}" ".read ${SCRIPT}"
  WORKING_DIRECTORY "${WORKDIR}"
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
  file(REMOVE "${tmp}")
  message(FATAL_ERROR "building ${OUT} from ${SCRIPT} failed:\n${out}${err}")
endif()
file(RENAME "${tmp}" "${OUT}")
