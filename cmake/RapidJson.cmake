# RapidJSON, header-only, from Debian's rapidjson-dev (scripts/setup.sh), for every build, the
# Windows one too. Only its own headers are made visible, through a folder of the build's that
# links to them: the cross build must not see the rest of the system's /usr/include.
find_path(QUODO_RAPIDJSON_INCLUDE rapidjson/reader.h PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT QUODO_RAPIDJSON_INCLUDE)
  message(FATAL_ERROR "rapidjson/reader.h not found: run scripts/setup.sh (Debian package rapidjson-dev)")
endif()
set(quodo_rapidjson_dir ${CMAKE_BINARY_DIR}/third_party/include)
if(NOT EXISTS ${quodo_rapidjson_dir}/rapidjson)
  file(MAKE_DIRECTORY ${quodo_rapidjson_dir})
  file(CREATE_LINK ${QUODO_RAPIDJSON_INCLUDE}/rapidjson ${quodo_rapidjson_dir}/rapidjson SYMBOLIC)
endif()
add_library(quodo_rapidjson INTERFACE)
target_include_directories(quodo_rapidjson SYSTEM INTERFACE ${quodo_rapidjson_dir})
# The sanitizer builds (QUODO_SANITIZE, QUODO_FUZZ) leave one known finding inside RapidJSON alone.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND (QUODO_SANITIZE OR QUODO_FUZZ))
  target_compile_options(quodo_rapidjson INTERFACE -fsanitize-ignorelist=${CMAKE_SOURCE_DIR}/cmake/rapidjson-ubsan.ignore)
endif()
