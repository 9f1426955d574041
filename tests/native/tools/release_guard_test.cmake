# A release configuration (QUODO_RELEASE=ON) of the project in a folder of its own: refused without
# the maker's public key; with it, made without any private key, showing the key's fingerprint as
# openssl computes it. Run with: cmake -DROOT=<source folder> -DWORK=<scratch folder> -P this file.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(configure output result)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${ROOT} -B ${WORK}/build -G Ninja -DQUODO_RELEASE=ON -DQUODO_BENCH=OFF ${ARGN}
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${output} "${out}${err}" PARENT_SCOPE)
  set(${result} ${code} PARENT_SCOPE)
endfunction()

configure(refused code)
if(code EQUAL 0 OR NOT refused MATCHES "A release build \\(QUODO_RELEASE\\) needs the maker's public key")
  message(FATAL_ERROR "A release configuration without the maker's public key was not refused:\n${refused}")
endif()
if(EXISTS ${WORK}/build/keys/update-signing-key.pem)
  message(FATAL_ERROR "The refused release configuration made a development key")
endif()

execute_process(COMMAND python3 ${ROOT}/tools/update_signing_key.py new ${WORK}/maker/update-key.pem COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND openssl pkey -in ${WORK}/maker/update-key.pem -pubout -out ${WORK}/update-key.pub.pem
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND openssl pkey -pubin -in ${WORK}/update-key.pub.pem -outform DER -out ${WORK}/update-key.der
                COMMAND_ERROR_IS_FATAL ANY)
file(SHA256 ${WORK}/update-key.der fingerprint)
file(REMOVE_RECURSE ${WORK}/maker)  # the build machine holds no private key

file(REMOVE_RECURSE ${WORK}/build)
configure(accepted code -DQUODO_UPDATE_PUBLIC_KEY=${WORK}/update-key.pub.pem)
if(NOT code EQUAL 0 OR NOT accepted MATCHES "fingerprint ${fingerprint}")
  message(FATAL_ERROR "A release configuration with the public key ${fingerprint} failed or hid it:\n${accepted}")
endif()
if(EXISTS ${WORK}/build/keys/update-signing-key.pem)
  message(FATAL_ERROR "The release configuration made a development key")
endif()
file(REMOVE_RECURSE ${WORK})
