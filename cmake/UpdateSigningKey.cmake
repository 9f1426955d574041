# The key of the maker's version list: its public half, which the program carries to check the list
# (src/app, a generated header), and, when this build signs the list it writes (installer/), its
# private half.
#
# QUODO_UPDATE_PUBLIC_KEY names the maker's public key (PEM): the program is built from it alone, and
# the list is signed as a step of its own on the machine that holds the private key
# (tools/write_version_list.py --key), unless QUODO_UPDATE_SIGNING_KEY names that private key too.
# QUODO_UPDATE_SIGNING_KEY alone names a private key (PEM, PKCS#8, P-256) that both gives the
# program its public half and signs the list. With neither, the build makes a development key pair
# once and keeps it in <build folder>/keys/: update-signing-key.pem (private, unencrypted) beside
# update-signing-key.pub.pem. A release build (QUODO_RELEASE) refuses to be made without the
# maker's public key, and shows its fingerprint.
#
# For the rest of the build: QUODO_UPDATE_KEY_SOURCE is the PEM the program's key is read from;
# QUODO_UPDATE_KEY_IN_USE (cached) is the private key this build signs with, empty when it signs
# nothing; another build that must sign with the same key reads it from this build's cache
# (scripts/build-update-fixture.sh).
find_package(Python3 REQUIRED COMPONENTS Interpreter)

option(QUODO_RELEASE "A release build: the program must carry the maker's public key (QUODO_UPDATE_PUBLIC_KEY)" OFF)
set(QUODO_UPDATE_PUBLIC_KEY "" CACHE FILEPATH
    "The maker's public key (PEM) that the program believes; empty: the public half of the signing key")
set(QUODO_UPDATE_SIGNING_KEY "" CACHE FILEPATH
    "Private key (PEM, PKCS#8, P-256) that signs the version list in this build; empty with no public key: one made once in keys/ of the build folder")
set(QUODO_VERSION_LIST_DAYS 30 CACHE STRING "How many days the version list this build signs holds")
if(NOT QUODO_VERSION_LIST_DAYS MATCHES "^[1-9][0-9]*$")
  message(FATAL_ERROR "QUODO_VERSION_LIST_DAYS must be a whole number of days, not '${QUODO_VERSION_LIST_DAYS}'")
endif()
set(QUODO_KEY_TOOL ${CMAKE_SOURCE_DIR}/tools/update_signing_key.py)
set(QUODO_UPDATE_PUBLIC_PEM ${CMAKE_BINARY_DIR}/keys/update-signing-key.pub.pem)
set(QUODO_UPDATE_KEY_HEADER ${CMAKE_BINARY_DIR}/generated/app/UpdateKey.h)

function(quodo_existing_key variable)
  get_filename_component(path "${${variable}}" ABSOLUTE)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${variable}: no such file '${path}'")
  endif()
  set(${variable}_PATH "${path}" PARENT_SCOPE)
endfunction()

function(quodo_run_key_tool output)
  execute_process(COMMAND ${Python3_EXECUTABLE} ${QUODO_KEY_TOOL} ${ARGN}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE error OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "update_signing_key.py ${ARGV1}: ${error}")
  endif()
  set(${output} "${out}" PARENT_SCOPE)
endfunction()

set(quodo_signing_key "")
if(QUODO_UPDATE_SIGNING_KEY)
  quodo_existing_key(QUODO_UPDATE_SIGNING_KEY)
  set(quodo_signing_key "${QUODO_UPDATE_SIGNING_KEY_PATH}")
endif()
if(QUODO_UPDATE_PUBLIC_KEY)
  quodo_existing_key(QUODO_UPDATE_PUBLIC_KEY)
  set(QUODO_UPDATE_KEY_SOURCE "${QUODO_UPDATE_PUBLIC_KEY_PATH}")
  if(quodo_signing_key)
    # A list signed by another key than the program's would be refused by every program built here.
    quodo_run_key_tool(unused pair "${quodo_signing_key}" "${QUODO_UPDATE_KEY_SOURCE}")
  endif()
elseif(QUODO_RELEASE)
  message(FATAL_ERROR "A release build (QUODO_RELEASE) needs the maker's public key: "
                      "-DQUODO_UPDATE_PUBLIC_KEY=/path/to/update-key.pub.pem. "
                      "The development key a build makes for itself is for development and tests only.")
elseif(quodo_signing_key)
  set(QUODO_UPDATE_KEY_SOURCE "${quodo_signing_key}")
else()
  set(quodo_signing_key ${CMAKE_BINARY_DIR}/keys/update-signing-key.pem)
  if(NOT EXISTS "${quodo_signing_key}")
    quodo_run_key_tool(unused new "${quodo_signing_key}")
  endif()
  set(QUODO_UPDATE_KEY_SOURCE "${quodo_signing_key}")
endif()
if(QUODO_RELEASE)
  quodo_run_key_tool(quodo_fingerprint fingerprint "${QUODO_UPDATE_KEY_SOURCE}")
  message(STATUS "Release build: the program believes the update key with SHA-256 fingerprint ${quodo_fingerprint}")
endif()
set(QUODO_UPDATE_KEY_IN_USE "${quodo_signing_key}" CACHE INTERNAL "The private key that signs this build's version list")
