# Writes the SHA-256 fingerprint of CERT to OUT as colon-separated hex.
execute_process(COMMAND ${OPENSSL} x509 -in ${CERT} -noout -fingerprint -sha256
                OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot read the fingerprint of ${CERT}")
endif()
string(REGEX REPLACE "^.*=" "" fp "${out}")
string(STRIP "${fp}" fp)
file(WRITE ${OUT} "${fp}\n")
