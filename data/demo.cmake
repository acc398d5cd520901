# The demo folder's tolvane.ini: the endpoints section pointing at the loopback
# stand-ins, with the fingerprint of the cloud site's test certificate. It is
# made again only when its sources change, so settings changed while the demo
# runs survive a rebuild.
get_property(demo_fp_file GLOBAL PROPERTY TOLVANE_CLOUDSITE_CERT_SHA256_FILE)
set(demo_ini ${TOLVANE_DEMO_DIR}/tolvane.ini)
set(demo_ini_deps ${CMAKE_CURRENT_LIST_DIR}/demo/tolvane.ini
                  ${CMAKE_CURRENT_LIST_DIR}/demo/make_ini.cmake)
if(demo_fp_file)
  list(APPEND demo_ini_deps ${demo_fp_file})
endif()
add_custom_command(OUTPUT ${demo_ini}
  COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${CMAKE_CURRENT_LIST_DIR}/demo/tolvane.ini
          -DFINGERPRINT_FILE=${demo_fp_file} -DOUT=${demo_ini}
          -P ${CMAKE_CURRENT_LIST_DIR}/demo/make_ini.cmake
  DEPENDS ${demo_ini_deps}
  COMMENT "Demo settings tolvane.ini"
  VERBATIM)
add_custom_target(tolvane_demo_ini ALL DEPENDS ${demo_ini})
if(TARGET cloudsite_files)
  add_dependencies(tolvane_demo_ini cloudsite_files)
endif()
