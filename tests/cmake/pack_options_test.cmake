# The checks of the pack options and what follows from the pack file name.
#
#     cmake -P tests/cmake/pack_options_test.cmake
#
# Fails with the list of cases that went wrong.

include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/pack_options.cmake)

set(failures "")

# accepted(KEY FILE VERSION)
function(accepted key file version)
  nimbra_pack_problem(problem "${key}" "${file}" "${version}")
  if(problem)
    set(failures "${failures}\n  [${key}] [${file}] [${version}] refused: ${problem}" PARENT_SCOPE)
  endif()
endfunction()

# refused(KEY FILE VERSION EXPECTED...): the message holds every EXPECTED text.
function(refused key file version)
  nimbra_pack_problem(problem "${key}" "${file}" "${version}")
  foreach(expected ${ARGN})
    string(FIND "${problem}" "${expected}" at)
    if(at EQUAL -1)
      set(failures "${failures}\n  [${key}] [${file}] [${version}]: no \"${expected}\" in \"${problem}\"" PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

accepted(crickets dwix.cok 6)
accepted(birds Birds7.pak 7)
accepted(K2 a.b -32)
accepted(x psh1.icon 223)  # named like a macro and a keyword of the resource script

set(key_problem "NIMBRA_PACK_KEY is \"")
refused("" dwix.cok 6 "${key_problem}\": expected a word of letters and digits")
refused("two words" dwix.cok 6 "${key_problem}two words\"")
refused("crick-ets" dwix.cok 6 "${key_problem}crick-ets\"")
refused("crickets\n" dwix.cok 6 "${key_problem}")

set(name_problem "expected a file name made of a base name and an extension")
foreach(file "" dwix .cok dwix. a.b.c "sub/dwix.cok" "..\\dwix.cok" 7.cok dwix.7z "dwix cok" "dwix.cok ")
  refused(crickets "${file}" 6 "NIMBRA_PACK_FILE is \"${file}\": ${name_problem}")
endforeach()
foreach(file con.cok NUL.pak Com1.cok lpt9.x aux.cok prn.wav)
  refused(crickets ${file} 6 "NIMBRA_PACK_FILE is \"${file}\": Windows reserves the base name")
endforeach()
accepted(crickets console.cok 6)
accepted(crickets com10.cok 6)

set(version_problem ": expected a whole number from -32 to 223")
foreach(version "" seven 7.5 224 -33 "6 " 0x10)
  refused(crickets dwix.cok "${version}" "NIMBRA_PACK_VERSION is \"${version}\"${version_problem}")
endforeach()

# Everything wrong at once: every option is named.
refused("" "" "" NIMBRA_PACK_KEY NIMBRA_PACK_FILE NIMBRA_PACK_VERSION)

# resource(FILE NAME TYPE)
function(resource file name type)
  nimbra_pack_resource(${file} got_name got_type)
  if(NOT "${got_name}/${got_type}" STREQUAL "${name}/${type}")
    set(failures "${failures}\n  ${file}: resource ${got_name}/${got_type}, expected ${name}/${type}" PARENT_SCOPE)
  endif()
endfunction()
resource(dwix.cok dwix cok)
resource(Birds7.PAK birds7 pak)

# file_version(PACK_VERSION EXPECTED)
function(file_version pack_version expected)
  nimbra_pack_file_version(1.0.0 ${pack_version} got)
  if(NOT got STREQUAL expected)
    set(failures "${failures}\n  pack version ${pack_version}: file version ${got}, expected ${expected}" PARENT_SCOPE)
  endif()
endfunction()
file_version(6 1.0.0.6)
file_version(223 1.0.0.223)
file_version(0 1.0.0.0)
file_version(-5 1.0.0.0)

if(failures)
  message(FATAL_ERROR "pack options:${failures}")
endif()
message(STATUS "pack options: every case as expected")
