# Runs the HTML Help cases of help_file_test with Wine's htmlhelp trace and checks the pages that
# HTML Help itself navigated to: each help context its own topic, then the default topic twice.
# Every page must be in the help file (listed by chmls) and end in the expected topic name.
#   cmake -DIN_WINE=... -DTEST_EXE=... -DCHMLS=... -DHELP_FILE=... -DEXPECTED=/a.htm,/b.htm,...
#         -P CheckHelpTrace.cmake
cmake_minimum_required(VERSION 3.17)

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QUODO_WINEDEBUG=trace+htmlhelp
          ${IN_WINE} ${TEST_EXE}
          --gtest_filter=HtmlHelpTest.EachHelpContextOpensTheHelpWindow:HtmlHelpTest.DisplayTopicWithoutTopicOpensTheDefaultTopic
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE log)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "help_file_test failed (${result}):\n${output}")
endif()

# The test runner's wrapper may hand the trace over on either stream.
string(REGEX MATCHALL "navigate_url L\"mk:@MSITStore:[^\"\n]*::[^\"\n]*\"" lines "${output}${log}")
set(pages)
foreach(line IN LISTS lines)
  string(REGEX REPLACE ".*::([^\"]*)\"$" "\\1" page "${line}")
  list(APPEND pages "${page}")
endforeach()

string(REPLACE "," ";" expected "${EXPECTED}")
list(LENGTH pages opened)
list(LENGTH expected wanted)
if(NOT opened EQUAL wanted)
  message(FATAL_ERROR "HTML Help opened the pages\n  ${pages}\nexpected\n  ${expected}")
endif()

execute_process(COMMAND ${CHMLS} -p -n list ${HELP_FILE}
  RESULT_VARIABLE result OUTPUT_VARIABLE listing ERROR_QUIET)
string(REPLACE "\r" "" listing "${listing}")
string(REPLACE "\n" ";" contents "${listing}")
foreach(page want IN ZIP_LISTS pages expected)
  string(LENGTH "${want}" want_length)
  string(LENGTH "${page}" page_length)
  math(EXPR tail_start "${page_length} - ${want_length}")
  if(tail_start LESS 0)
    set(tail_start 0)
  endif()
  string(SUBSTRING "${page}" ${tail_start} -1 tail)
  if(NOT tail STREQUAL want)
    message(FATAL_ERROR "HTML Help opened ${page}, expected ${want}")
  endif()
  if(NOT page IN_LIST contents)
    message(FATAL_ERROR "HTML Help opened ${page}, which is not in ${HELP_FILE}")
  endif()
endforeach()
message(STATUS "HTML Help opened ${pages}")
