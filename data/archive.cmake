# The demo folder's query archive: two earlier days of the demo patient, written
# by the program's own archive writer, so that Enter in the ID box has dates to
# list before the first "Read". A day the demo user archived is left alone.
add_executable(tolvane_archive_seed ${CMAKE_CURRENT_LIST_DIR}/tools/archive_seed.cpp)
tolvane_warnings(tolvane_archive_seed)
target_link_libraries(tolvane_archive_seed PRIVATE tolvane_query tolvane_cloud sim_cshis_encoder sim_cardstate)

set(seed_cards ${CMAKE_SOURCE_DIR}/sim/cshis/fixtures/cards.json)
set(seed_records ${CMAKE_SOURCE_DIR}/sim/cloudsite/fixtures/cloud-records.json)
set(seed_id B220715631)
set(seed_dates 1151021 1151118)
set(seed_files)
foreach(date ${seed_dates})
  string(SUBSTRING ${date} 0 5 month)
  list(APPEND seed_files ${TOLVANE_DEMO_DIR}/cloudData/${month}/${date}${seed_id}.dat)
endforeach()
add_custom_command(OUTPUT ${seed_files}
  COMMAND tolvane_archive_seed ${TOLVANE_DEMO_DIR} ${seed_cards} demo ${seed_records} ${seed_dates}
  DEPENDS tolvane_archive_seed ${seed_cards} ${seed_records}
          ${TOLVANE_DEMO_DIR}/hospbsc.txt ${TOLVANE_DEMO_DIR}/ICD10CM.sqlite
  COMMENT "Demo query archive: ${seed_dates} of ${seed_id}"
  VERBATIM)
add_custom_target(tolvane_demo_archive ALL DEPENDS ${seed_files})
add_dependencies(tolvane_demo_archive tolvane_code_tables)
