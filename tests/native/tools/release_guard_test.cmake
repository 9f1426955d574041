# A release configuration (QUODO_RELEASE=ON) in a folder of its own: refused without the maker's
# public key; with it, made without any private key and showing the key's fingerprint as openssl
# computes it. Run as: cmake -DROOT=<source folder> -DWORK=<scratch folder> -P this file.
function(configure output)
  file(REMOVE_RECURSE ${WORK}/build)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${ROOT} -B ${WORK}/build -G Ninja -DQUODO_RELEASE=ON -DQUODO_BENCH=OFF ${ARGN}
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(EXISTS ${WORK}/build/keys/update-signing-key.pem)
    message(FATAL_ERROR "A release configuration made a development key")
  endif()
  set(${output} "${code}: ${out}${err}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK})
configure(refused)
if(refused MATCHES "^0:" OR NOT refused MATCHES "A release build \\(QUODO_RELEASE\\) needs the maker's public key")
  message(FATAL_ERROR "Not refused without the maker's public key:\n${refused}")
endif()

execute_process(COMMAND openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out ${WORK}/key.pem
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND openssl pkey -in ${WORK}/key.pem -pubout -out ${WORK}/key.pub.pem COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND openssl pkey -pubin -in ${WORK}/key.pub.pem -outform DER -out ${WORK}/key.der
                COMMAND_ERROR_IS_FATAL ANY)
file(SHA256 ${WORK}/key.der fingerprint)
file(REMOVE ${WORK}/key.pem)  # the build machine holds no private key
configure(accepted -DQUODO_UPDATE_PUBLIC_KEY=${WORK}/key.pub.pem)
if(NOT accepted MATCHES "^0:" OR NOT accepted MATCHES "fingerprint ${fingerprint}")
  message(FATAL_ERROR "Not made, or without the fingerprint ${fingerprint}:\n${accepted}")
endif()
file(REMOVE_RECURSE ${WORK})
