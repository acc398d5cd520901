# Fills the certificate fingerprint into the demo settings template and writes
# the result whole (temporary file, then rename).
file(READ ${TEMPLATE} text)
set(fp "")
if(FINGERPRINT_FILE AND EXISTS ${FINGERPRINT_FILE})
  file(READ ${FINGERPRINT_FILE} fp)
  string(STRIP "${fp}" fp)
endif()
string(REPLACE "@CLOUDSITE_CERT_SHA256@" "${fp}" text "${text}")
get_filename_component(dir ${OUT} DIRECTORY)
file(MAKE_DIRECTORY ${dir})
file(WRITE ${OUT}.tmp "${text}")
file(RENAME ${OUT}.tmp ${OUT})
