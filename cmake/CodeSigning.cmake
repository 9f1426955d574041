# Authenticode signatures for what the Windows build ships: Quodo.exe right after it is linked
# (quodo_sign_after_build), and the uninstaller and the installer from within makensis
# (QUODO_MAKENSIS_SIGNING, which defines SIGN for installer/Quodo.nsi). Quodo.exe is thus signed
# before the installer packs it, and the installer before the version list takes its hash.
# scripts/sign-code.sh does the signing with Debian's osslsigncode.
#
# QUODO_CODESIGN_CERT names the maker's code-signing certificate; left empty, nothing is signed.
# Its private key is a file (QUODO_CODESIGN_KEY) or a key on a PKCS#11 token
# (QUODO_CODESIGN_PKCS11_KEY, a "pkcs11:" URI, with the token's module QUODO_CODESIGN_PKCS11_MODULE).
#
# Every Windows build also makes, once, a test certificate authority in keys/codesign-test/ of the
# build folder (scripts/make-test-codesign-ca.sh): the tests sign with it, never a release.
set(QUODO_CODESIGN_CERT "" CACHE FILEPATH
    "The maker's code-signing certificate with its chain (PEM or DER); empty: nothing is signed")
set(QUODO_CODESIGN_KEY "" CACHE FILEPATH "The certificate's private key as a file (PEM or DER)")
set(QUODO_CODESIGN_PKCS11_KEY "" CACHE STRING "Or the PKCS#11 URI (pkcs11:...) of the key on a token")
set(QUODO_CODESIGN_PKCS11_MODULE "" CACHE FILEPATH "The token's PKCS#11 module")
set(QUODO_CODESIGN_PASSWORD_FILE "" CACHE FILEPATH
    "A file holding the key's pass phrase or the token's PIN (optional)")
set(QUODO_CODESIGN_TIMESTAMP_URL "" CACHE STRING "An RFC 3161 time-stamp server (optional)")

set(QUODO_TEST_CODESIGN_DIR ${CMAKE_BINARY_DIR}/keys/codesign-test)
if(NOT EXISTS ${QUODO_TEST_CODESIGN_DIR}/signer.pem)
  execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/make-test-codesign-ca.sh ${QUODO_TEST_CODESIGN_DIR}
                  RESULT_VARIABLE quodo_ca_made ERROR_VARIABLE quodo_ca_error)
  if(NOT quodo_ca_made EQUAL 0)
    message(FATAL_ERROR "Could not make the test certificate authority: ${quodo_ca_error}")
  endif()
endif()

set(QUODO_CODESIGN_COMMAND "")
set(QUODO_CODESIGN_CONFIG "")
set(QUODO_MAKENSIS_SIGNING "")
if(QUODO_CODESIGN_CERT)
  find_program(QUODO_OSSLSIGNCODE osslsigncode REQUIRED)  # a missing tool shows at configuration
  if(QUODO_CODESIGN_PKCS11_KEY)
    set(quodo_codesign_key "${QUODO_CODESIGN_PKCS11_KEY}")
    if(QUODO_CODESIGN_KEY OR NOT QUODO_CODESIGN_PKCS11_MODULE)
      message(FATAL_ERROR "QUODO_CODESIGN_PKCS11_KEY goes with QUODO_CODESIGN_PKCS11_MODULE, not with QUODO_CODESIGN_KEY")
    endif()
  elseif(QUODO_CODESIGN_KEY)
    set(quodo_codesign_key "${QUODO_CODESIGN_KEY}")
  else()
    message(FATAL_ERROR "QUODO_CODESIGN_CERT needs its private key: QUODO_CODESIGN_KEY or QUODO_CODESIGN_PKCS11_KEY")
  endif()
  foreach(option QUODO_CODESIGN_CERT QUODO_CODESIGN_KEY QUODO_CODESIGN_PKCS11_MODULE QUODO_CODESIGN_PASSWORD_FILE)
    if(${option} AND NOT EXISTS "${${option}}")
      message(FATAL_ERROR "${option}: no such file '${${option}}'")
    endif()
  endforeach()

  # The settings go to sign-code.sh as a file of shell assignments, each value in single quotes.
  foreach(value "${QUODO_CODESIGN_CERT}" "${quodo_codesign_key}" "${QUODO_CODESIGN_PKCS11_MODULE}"
                "${QUODO_CODESIGN_PASSWORD_FILE}" "${QUODO_CODESIGN_TIMESTAMP_URL}")
    if(value MATCHES "'")
      message(FATAL_ERROR "Code signing: a setting may not hold a single quote: ${value}")
    endif()
  endforeach()
  set(QUODO_CODESIGN_CONFIG ${CMAKE_BINARY_DIR}/signing/codesign.conf)
  string(CONCAT quodo_config
    "cert='${QUODO_CODESIGN_CERT}'\n"
    "key='${quodo_codesign_key}'\n"
    "pkcs11_module='${QUODO_CODESIGN_PKCS11_MODULE}'\n"
    "password_file='${QUODO_CODESIGN_PASSWORD_FILE}'\n"
    "timestamp_url='${QUODO_CODESIGN_TIMESTAMP_URL}'\n"
    "description='Quodo'\n"
    "url='https://www.quodosoft.nl/'\n")
  file(WRITE ${QUODO_CODESIGN_CONFIG}.new "${quodo_config}")
  configure_file(${QUODO_CODESIGN_CONFIG}.new ${QUODO_CODESIGN_CONFIG} COPYONLY)  # touched only when changed

  set(quodo_sign_script ${CMAKE_SOURCE_DIR}/scripts/sign-code.sh)
  set(QUODO_CODESIGN_COMMAND bash ${quodo_sign_script} ${QUODO_CODESIGN_CONFIG})
  # makensis puts the file's name in place of %1.
  set(QUODO_MAKENSIS_SIGNING "-DSIGN=bash \"${quodo_sign_script}\" \"${QUODO_CODESIGN_CONFIG}\" \"%1\"")
  message(STATUS "Code signing with ${QUODO_CODESIGN_CERT}")
endif()

# Signs TARGET's file in place as the last step of its build, when the build signs; a changed
# signing setting links it anew.
function(quodo_sign_after_build target)
  if(QUODO_CODESIGN_COMMAND)
    add_custom_command(TARGET ${target} POST_BUILD
                       COMMAND ${QUODO_CODESIGN_COMMAND} $<TARGET_FILE:${target}>
                       COMMENT "Signing $<TARGET_FILE_NAME:${target}>"
                       VERBATIM)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${QUODO_CODESIGN_CONFIG})
  endif()
endfunction()
