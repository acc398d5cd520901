# Code tables of the demo program folder: the institution list "hospbsc.txt" in
# CP950, as clinics receive it, and the drug and diagnosis databases
# "MX.sqlite" and "ICD10CM.sqlite", built from the plain files in data/.
find_program(TOLVANE_SQLITE3 sqlite3 REQUIRED)
find_program(TOLVANE_ICONV iconv REQUIRED)

set(codes_src ${CMAKE_CURRENT_LIST_DIR})
set(codes_list ${TOLVANE_DEMO_DIR}/hospbsc.txt)
set(codes_mx ${TOLVANE_DEMO_DIR}/MX.sqlite)
set(codes_dx ${TOLVANE_DEMO_DIR}/ICD10CM.sqlite)

add_custom_command(OUTPUT ${codes_list}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TOLVANE_DEMO_DIR}
  COMMAND ${TOLVANE_ICONV} -f UTF-8 -t CP950 -o ${codes_list}.tmp ${codes_src}/hospbsc.utf8.txt
  COMMAND ${CMAKE_COMMAND} -E rename ${codes_list}.tmp ${codes_list}
  DEPENDS ${codes_src}/hospbsc.utf8.txt
  COMMENT "Institution list hospbsc.txt (CP950)"
  VERBATIM)

foreach(db mx icd10cm)
  if(db STREQUAL "mx")
    set(out ${codes_mx})
    set(inputs medicine.csv opd.csv vaccine.csv material.csv tools/mx-indexes.sql)
  else()
    set(out ${codes_dx})
    set(inputs dx.csv tools/icd10cm-indexes.sql)
  endif()
  list(TRANSFORM inputs PREPEND ${codes_src}/)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TOLVANE_DEMO_DIR}
    COMMAND ${CMAKE_COMMAND} -DSQLITE3=${TOLVANE_SQLITE3} -DSCRIPT=${codes_src}/${db}.sql
            -DWORKDIR=${codes_src} -DOUT=${out} -P ${codes_src}/tools/make_sqlite.cmake
    DEPENDS ${codes_src}/${db}.sql ${inputs} ${codes_src}/tools/make_sqlite.cmake
    COMMENT "Database ${out}"
    VERBATIM)
endforeach()

add_custom_target(tolvane_code_tables ALL DEPENDS ${codes_list} ${codes_mx} ${codes_dx})
