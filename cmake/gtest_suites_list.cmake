# Run by ctest (see gtest_suites.cmake): lists the suites of nimbra_program
# when it is newer than the list, and adds a test per suite.

function(nimbra_list_suites)
  execute_process(COMMAND ${nimbra_emulator} ${nimbra_program} --gtest_list_tests
                  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 300)
  string(REPLACE "\r" "" listing "${listing}")
  string(REPLACE "\n" ";" lines "${listing}")
  set(tests "")
  foreach(line IN LISTS lines)
    # A suite's line is its name and a dot, for a typed suite followed by a
    # comment; its tests' lines are indented.
    if(line MATCHES "^([A-Za-z0-9_/]+)\\.(  #.*)?$")
      set(name "${nimbra_prefix}${CMAKE_MATCH_1}")
      string(APPEND tests "add_test([==[${name}]==] [==[${nimbra_emulator}]==] [==[${nimbra_program}]==] "
                          "[==[--gtest_filter=${CMAKE_MATCH_1}.*]==])\n"
                          "set_tests_properties([==[${name}]==] PROPERTIES ${nimbra_properties_text})\n")
    endif()
  endforeach()
  if(NOT result EQUAL 0 OR tests STREQUAL "")
    message(WARNING "${nimbra_program} --gtest_list_tests: ${result}\n${errors}")
    # Not written: the next ctest run lists again.
    set(nimbra_failed_listing "${result} ${errors}" PARENT_SCOPE)
    return()
  endif()
  file(WRITE "${nimbra_suites_file}" "${tests}")
endfunction()

set(nimbra_failed_listing "")
if(NOT EXISTS "${nimbra_program}")
  set(nimbra_failed_listing "not built")
elseif(NOT EXISTS "${nimbra_suites_file}" OR "${nimbra_program}" IS_NEWER_THAN "${nimbra_suites_file}")
  nimbra_list_suites()
endif()
if(nimbra_failed_listing STREQUAL "")
  include("${nimbra_suites_file}")
else()
  string(REPLACE "\n" " " nimbra_failed_listing "${nimbra_failed_listing}")
  add_test("${nimbra_prefix}listing" sh -c "echo 'cannot list the tests of ${nimbra_program}: ${nimbra_failed_listing}'; exit 1")
endif()
