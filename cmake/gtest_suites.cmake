# nimbra_add_gtest_suites(TARGET PREFIX prefix [PROPERTIES name value ...]):
# one ctest test per GoogleTest suite of the Windows test program TARGET,
# named <prefix><Suite>, that runs the suite's tests in one process under the
# emulator (Wine). Under qemu-i386 every Wine process costs about 3 s before
# its first test: a process per suite instead of per test saves most of that.
# Scratch names derive from each test's own name, so suites run side by side.
# A property value that is a list separates its items with $<SEMICOLON>.
#
# The suites are listed when ctest starts (--gtest_list_tests, again only when
# the program is newer than the list), in the Wine prefix and on the display
# that the tests use. A program that cannot list them gives the failing test
# <prefix>listing.
function(nimbra_add_gtest_suites target)
  cmake_parse_arguments(ARG "" "PREFIX" "PROPERTIES" ${ARGN})
  set(base ${CMAKE_CURRENT_BINARY_DIR}/${target})
  set(properties "")
  foreach(item IN LISTS ARG_PROPERTIES)
    string(APPEND properties " [=[${item}]=]")
  endforeach()
  file(GENERATE OUTPUT ${base}_suites_include.cmake CONTENT
"set(nimbra_program [==[$<TARGET_FILE:${target}>]==])
set(nimbra_emulator [==[${CMAKE_CROSSCOMPILING_EMULATOR}]==])
set(nimbra_prefix [==[${ARG_PREFIX}]==])
set(nimbra_suites_file [==[${base}_suites.cmake]==])
set(nimbra_properties_text [==[${properties}]==])
include([==[${PROJECT_SOURCE_DIR}/cmake/gtest_suites_list.cmake]==])
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${base}_suites_include.cmake)
endfunction()
