# A release configuration (QUODO_RELEASE=ON) in a folder of its own: refused as each case below
# says; with all it needs, made without any private key and showing the key's fingerprint as openssl
# computes it. Run as: cmake -DROOT=<source folder> -DWORK=<scratch folder> -P this file.
function(configure output)
  file(REMOVE_RECURSE ${WORK}/build)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${ROOT} -B ${WORK}/build -G Ninja -DQUODO_RELEASE=ON -DQUODO_BENCH=OFF ${ARGN}
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(EXISTS ${WORK}/build/keys/update-signing-key.pem OR EXISTS ${WORK}/build/keys/freshness-signing-key.pem)
    message(FATAL_ERROR "A release configuration made a development key")
  endif()
  # CMake wraps its messages: one blank between words, so that a sentence matches whole.
  string(REGEX REPLACE "[ \t\r\n]+" " " said "${code}: ${out}${err}")
  set(${output} "${said}" PARENT_SCOPE)
endfunction()

function(expect_refused why)
  configure(refused ${ARGN})
  if(refused MATCHES "^0:" OR NOT refused MATCHES "${why}")
    message(FATAL_ERROR "Not refused for '${why}':\n${refused}")
  endif()
endfunction()

function(new_key name)
  execute_process(COMMAND openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out ${WORK}/${name}.pem
                  COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND openssl pkey -in ${WORK}/${name}.pem -pubout -out ${WORK}/${name}.pub.pem
                  COMMAND_ERROR_IS_FATAL ANY)
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(maker ${ROOT}/cmake/maker-release-key.pub.pem)
new_key(other)
new_key(freshness)
file(REMOVE ${WORK}/freshness.pem)  # the build machine holds no private key
file(WRITE ${WORK}/codesign.pem "a certificate")
file(WRITE ${WORK}/codesign.key "its key")
set(codesign -DQUODO_CODESIGN_CERT=${WORK}/codesign.pem -DQUODO_CODESIGN_KEY=${WORK}/codesign.key)
set(fresh -DQUODO_FRESHNESS_PUBLIC_KEY=${WORK}/freshness.pub.pem)

expect_refused("A release build \\(QUODO_RELEASE\\) needs the maker's public key" ${codesign})
expect_refused("needs the maker's public freshness key" -DQUODO_UPDATE_PUBLIC_KEY=${maker} ${codesign})
expect_refused("takes no private release key" -DQUODO_UPDATE_PUBLIC_KEY=${maker}
               -DQUODO_UPDATE_SIGNING_KEY=${WORK}/other.pem ${fresh} ${codesign})
expect_refused("is signed with Authenticode" -DQUODO_UPDATE_PUBLIC_KEY=${maker} ${fresh})
expect_refused("is not the maker's release key" -DQUODO_UPDATE_PUBLIC_KEY=${WORK}/other.pub.pem ${fresh} ${codesign})
expect_refused("one key" -DQUODO_UPDATE_PUBLIC_KEY=${maker} -DQUODO_FRESHNESS_PUBLIC_KEY=${maker} ${codesign})

execute_process(COMMAND openssl pkey -pubin -in ${maker} -outform DER -out ${WORK}/maker.der COMMAND_ERROR_IS_FATAL ANY)
file(SHA256 ${WORK}/maker.der fingerprint)
configure(accepted -DQUODO_UPDATE_PUBLIC_KEY=${maker} ${fresh} ${codesign})
if(NOT accepted MATCHES "^0:" OR NOT accepted MATCHES "update key with SHA-256 fingerprint ${fingerprint}")
  message(FATAL_ERROR "Not made, or without the fingerprint ${fingerprint}:\n${accepted}")
endif()

# A planned change of the release key: made, and said.
configure(rotated -DQUODO_UPDATE_PUBLIC_KEY=${WORK}/other.pub.pem ${fresh} ${codesign} -DQUODO_RELEASE_KEY_ROTATION=ON)
if(NOT rotated MATCHES "^0:" OR NOT rotated MATCHES "Release key rotation")
  message(FATAL_ERROR "A planned rotation not made, or not said:\n${rotated}")
endif()
file(REMOVE_RECURSE ${WORK})
