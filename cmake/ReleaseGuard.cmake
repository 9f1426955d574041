# What a release build (QUODO_RELEASE) must be made with, checked when configuring: the maker's own
# public release key, the one committed in cmake/maker-release-key.pub.pem (or, for a planned change
# of that key, another one with QUODO_RELEASE_KEY_ROTATION); the public freshness key, a key of its
# own; no private release key on the build machine (the list is signed where that key is kept); and
# Authenticode signing (cmake/CodeSigning.cmake). Included by cmake/UpdateSigningKey.cmake before it
# looks at the keys, so that a refused release makes no development key.
option(QUODO_RELEASE "A release build: the maker's keys and Authenticode signing, checked when configuring" OFF)
option(QUODO_RELEASE_KEY_ROTATION
       "A release that moves to a new release key: its public key need not be the committed one" OFF)
set(QUODO_MAKER_RELEASE_KEY ${CMAKE_CURRENT_LIST_DIR}/maker-release-key.pub.pem)

if(QUODO_RELEASE)
  if(NOT QUODO_UPDATE_PUBLIC_KEY)
    message(FATAL_ERROR "A release build (QUODO_RELEASE) needs the maker's public key: "
                        "-DQUODO_UPDATE_PUBLIC_KEY=/path/to/update-key.pub.pem. "
                        "The development key a build makes for itself is for development and tests only.")
  endif()
  if(QUODO_UPDATE_SIGNING_KEY)
    message(FATAL_ERROR "A release build (QUODO_RELEASE) takes no private release key (QUODO_UPDATE_SIGNING_KEY): "
                        "the release key stays on the maker's offline machine, where the version list is signed "
                        "(tools/write_version_list.py release).")
  endif()
  if(NOT QUODO_FRESHNESS_PUBLIC_KEY)
    message(FATAL_ERROR "A release build (QUODO_RELEASE) needs the maker's public freshness key: "
                        "-DQUODO_FRESHNESS_PUBLIC_KEY=/path/to/freshness-key.pub.pem.")
  endif()
  if(NOT QUODO_CODESIGN_CERT OR NOT (QUODO_CODESIGN_KEY OR QUODO_CODESIGN_PKCS11_KEY))
    message(FATAL_ERROR "A release build (QUODO_RELEASE) is signed with Authenticode: "
                        "-DQUODO_CODESIGN_CERT=... with -DQUODO_CODESIGN_KEY=... or -DQUODO_CODESIGN_PKCS11_KEY=... "
                        "(cmake/CodeSigning.cmake).")
  endif()
endif()

# Once the keys are known (their PEMs): the release key must be the maker's committed one, and the
# two keys two keys.
function(quodo_release_guard release_key freshness_key)
  if(NOT QUODO_RELEASE)
    return()
  endif()
  quodo_run_key_tool(release_fingerprint fingerprint "${release_key}")
  quodo_run_key_tool(freshness_fingerprint fingerprint "${freshness_key}")
  quodo_run_key_tool(maker_fingerprint fingerprint "${QUODO_MAKER_RELEASE_KEY}")
  if(release_fingerprint STREQUAL freshness_fingerprint)
    message(FATAL_ERROR "The release key and the freshness key are one key: a release needs two.")
  endif()
  if(NOT release_fingerprint STREQUAL maker_fingerprint)
    if(NOT QUODO_RELEASE_KEY_ROTATION)
      message(FATAL_ERROR "The release key ${QUODO_UPDATE_PUBLIC_KEY} (SHA-256 ${release_fingerprint}) is not the "
                          "maker's release key (cmake/maker-release-key.pub.pem, ${maker_fingerprint}). "
                          "Only for a planned change of the key: -DQUODO_RELEASE_KEY_ROTATION=ON.")
    endif()
    message(WARNING "Release key rotation: this release believes ${release_fingerprint}, not the committed "
                    "${maker_fingerprint}. Commit the new public key once this release is out.")
  endif()
  message(STATUS "Release build: the program believes the update key with SHA-256 fingerprint ${release_fingerprint}")
  message(STATUS "Release build: the program believes the freshness key with SHA-256 fingerprint ${freshness_fingerprint}")
endfunction()
