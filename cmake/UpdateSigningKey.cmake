# The two keys of the maker's version list: their public halves, which the program carries to check
# the list (src/app, a generated header), and, when this build signs the list it writes
# (installer/), the private key it signs with.
#
# The release key signs what to install and stays offline; the freshness key signs the list's times
# every month and may sit on the maker's web server (docs/updates.md).
#   QUODO_UPDATE_PUBLIC_KEY: the maker's public release key (PEM); the program is built from it alone,
#     with QUODO_FRESHNESS_PUBLIC_KEY, the maker's public freshness key, and the build writes no
#     list: the maker signs it where the private keys are (tools/write_version_list.py release, renew).
#   QUODO_UPDATE_SIGNING_KEY: a private release key (PEM, PKCS#8, P-256) that gives the program its
#     public half and signs the build's list; given with QUODO_UPDATE_PUBLIC_KEY, the two must be a
#     pair.
# With no release key, the build makes a development release key once and keeps it in
# <build folder>/keys/ (update-signing-key.pem, unencrypted). A build that holds the private release
# key signs the list's times with a development freshness key that follows from it
# (keys/freshness-signing-key.pem, tools/update_signing_key.py derive): the same for every build
# given one key, so that they carry one program. A release build (QUODO_RELEASE,
# cmake/ReleaseGuard.cmake) takes no private key at all.
#
# For the rest of the build: QUODO_UPDATE_KEY_SOURCE and QUODO_FRESHNESS_KEY_SOURCE are the PEMs the
# program's keys are read from; QUODO_UPDATE_KEY_IN_USE (cached) is the private release key this
# build signs with (the freshness key follows from it), empty when it signs nothing; another build
# that must sign with the same keys reads it from this build's cache
# (scripts/build-update-fixture.sh).
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(QUODO_UPDATE_PUBLIC_KEY "" CACHE FILEPATH
    "The maker's public release key (PEM) that the program believes; empty: the public half of the signing key")
set(QUODO_UPDATE_SIGNING_KEY "" CACHE FILEPATH
    "Private release key (PEM, PKCS#8, P-256) that signs the version list in this build; empty with no public key: one made once in keys/ of the build folder")
set(QUODO_FRESHNESS_PUBLIC_KEY "" CACHE FILEPATH
    "The maker's public freshness key (PEM) that the program believes, with QUODO_UPDATE_PUBLIC_KEY")
set(QUODO_VERSION_LIST_DAYS 30 CACHE STRING "How many days the version list this build signs holds (1 to 45)")
if(NOT QUODO_VERSION_LIST_DAYS MATCHES "^[1-9][0-9]*$" OR QUODO_VERSION_LIST_DAYS GREATER 45)
  message(FATAL_ERROR "QUODO_VERSION_LIST_DAYS must be a whole number of days from 1 to 45, not '${QUODO_VERSION_LIST_DAYS}'")
endif()
set(QUODO_KEY_TOOL ${CMAKE_SOURCE_DIR}/tools/update_signing_key.py)
set(QUODO_UPDATE_PUBLIC_PEM ${CMAKE_BINARY_DIR}/keys/update-signing-key.pub.pem)
set(QUODO_FRESHNESS_PUBLIC_PEM ${CMAKE_BINARY_DIR}/keys/freshness-signing-key.pub.pem)
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

include(${CMAKE_CURRENT_LIST_DIR}/ReleaseGuard.cmake)

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
elseif(quodo_signing_key)
  set(QUODO_UPDATE_KEY_SOURCE "${quodo_signing_key}")
else()
  set(quodo_signing_key ${CMAKE_BINARY_DIR}/keys/update-signing-key.pem)
  if(NOT EXISTS "${quodo_signing_key}")
    quodo_run_key_tool(unused new "${quodo_signing_key}")
  endif()
  set(QUODO_UPDATE_KEY_SOURCE "${quodo_signing_key}")
endif()

if(quodo_signing_key)
  if(QUODO_FRESHNESS_PUBLIC_KEY)
    message(FATAL_ERROR "A build that signs its own list (QUODO_UPDATE_SIGNING_KEY) signs its times with the "
                        "development freshness key that follows from the release key: QUODO_FRESHNESS_PUBLIC_KEY "
                        "goes with QUODO_UPDATE_PUBLIC_KEY alone.")
  endif()
  set(QUODO_FRESHNESS_KEY_SOURCE ${CMAKE_BINARY_DIR}/keys/freshness-signing-key.pem)
  quodo_run_key_tool(unused derive "${quodo_signing_key}" "${QUODO_FRESHNESS_KEY_SOURCE}")
elseif(QUODO_FRESHNESS_PUBLIC_KEY)
  quodo_existing_key(QUODO_FRESHNESS_PUBLIC_KEY)
  set(QUODO_FRESHNESS_KEY_SOURCE "${QUODO_FRESHNESS_PUBLIC_KEY_PATH}")
else()
  message(FATAL_ERROR "A build from the maker's public release key needs the public freshness key too: "
                      "-DQUODO_FRESHNESS_PUBLIC_KEY=/path/to/freshness-key.pub.pem")
endif()

quodo_release_guard("${QUODO_UPDATE_KEY_SOURCE}" "${QUODO_FRESHNESS_KEY_SOURCE}")
set(QUODO_UPDATE_KEY_IN_USE "${quodo_signing_key}" CACHE INTERNAL
    "The private release key that signs this build's version list (the freshness key follows from it)")
