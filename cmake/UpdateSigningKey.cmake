# The key that signs the version list this build writes (installer/) and whose public half the
# program carries to check that list (src/app, a generated header).
#
# QUODO_UPDATE_SIGNING_KEY names the private key: a PEM file (PKCS#8, P-256), which a maker who
# releases keeps outside the build tree. Left empty, the build makes a key pair once and keeps it in
# <build folder>/keys/: update-signing-key.pem (private, unencrypted) beside
# update-signing-key.pub.pem. QUODO_UPDATE_KEY_IN_USE is the private key this build signs with;
# another build that must sign with the same key reads it from this build's cache
# (scripts/build-update-fixture.sh).
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(QUODO_UPDATE_SIGNING_KEY "" CACHE FILEPATH
    "Private key (PEM, PKCS#8, P-256) that signs the version list; empty: one made once in keys/ of the build folder")
set(QUODO_KEY_TOOL ${CMAKE_SOURCE_DIR}/tools/update_signing_key.py)
set(QUODO_UPDATE_PUBLIC_KEY ${CMAKE_BINARY_DIR}/keys/update-signing-key.pub.pem)
set(QUODO_UPDATE_KEY_HEADER ${CMAKE_BINARY_DIR}/generated/app/UpdateKey.h)

if(QUODO_UPDATE_SIGNING_KEY)
  get_filename_component(quodo_signing_key "${QUODO_UPDATE_SIGNING_KEY}" ABSOLUTE)
  if(NOT EXISTS "${quodo_signing_key}")
    message(FATAL_ERROR "QUODO_UPDATE_SIGNING_KEY: no such file '${quodo_signing_key}'")
  endif()
else()
  set(quodo_signing_key ${CMAKE_BINARY_DIR}/keys/update-signing-key.pem)
  if(NOT EXISTS "${quodo_signing_key}")
    execute_process(COMMAND ${Python3_EXECUTABLE} ${QUODO_KEY_TOOL} new ${quodo_signing_key}
                    RESULT_VARIABLE quodo_key_made ERROR_VARIABLE quodo_key_error)
    if(NOT quodo_key_made EQUAL 0)
      message(FATAL_ERROR "Could not make the update signing key: ${quodo_key_error}")
    endif()
  endif()
endif()
set(QUODO_UPDATE_KEY_IN_USE "${quodo_signing_key}" CACHE INTERNAL "The private key that signs this build's version list")
