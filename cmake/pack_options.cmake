# What a pack option may hold, and what follows from the pack file name. Pure
# functions of their arguments, so that tests/cmake/pack_options_test.cmake can
# try them in script mode (cmake -P).

set(NIMBRA_DEFAULT_PACK_KEY crickets)
set(NIMBRA_DEFAULT_PACK_FILE dwix.cok)
set(NIMBRA_DEFAULT_PACK_VERSION 6)

# nimbra_pack_problem(OUT KEY FILE VERSION): OUT := what is wrong with these
# options, as a message for the person who gave them; empty when all is well.
function(nimbra_pack_problem out key file version)
  set(problems "")
  if(NOT key MATCHES "^[A-Za-z0-9]+$")
    string(APPEND problems "\nNIMBRA_PACK_KEY is \"${key}\": expected a word of letters and digits, the key "
                           "of the pack's name in Nimbra's language files (e.g. crickets)")
  endif()
  # The base name becomes the pack's resource name and the extension its type:
  # a word of digits alone would be a numbered resource, which the installer
  # does not look up.
  if(NOT file MATCHES "^[A-Za-z][A-Za-z0-9]*\\.[A-Za-z][A-Za-z0-9]*$")
    string(APPEND problems "\nNIMBRA_PACK_FILE is \"${file}\": expected a file name made of a base name and an "
                           "extension, each a word of letters and digits that begins with a letter (e.g. dwix.cok)")
  elseif(file MATCHES "^([Cc][Oo][Nn]|[Pp][Rr][Nn]|[Aa][Uu][Xx]|[Nn][Uu][Ll]|([Cc][Oo][Mm]|[Ll][Pp][Tt])[1-9])\\.")
    string(APPEND problems "\nNIMBRA_PACK_FILE is \"${file}\": Windows reserves the base name "
                           "${CMAKE_MATCH_1} for a device")
  endif()
  # The pack's header holds the version + 32 in one byte.
  if(NOT version MATCHES "^-?[0-9]+$" OR version LESS -32 OR version GREATER 223)
    string(APPEND problems "\nNIMBRA_PACK_VERSION is \"${version}\": expected a whole number from -32 to 223 "
                           "(the pack's version byte holds version + 32)")
  endif()
  string(STRIP "${problems}" problems)
  set(${out} "${problems}" PARENT_SCOPE)
endfunction()

# nimbra_pack_resource(FILE NAME_OUT TYPE_OUT): the resource that carries the
# pack file FILE (a valid name): its base name and its extension, lower-cased
# for the resource script. windres stores names upper-cased, and only its
# upper-case words are keywords (ICON, HTML, ...), so a pack named like one
# still becomes a named resource.
function(nimbra_pack_resource file name_out type_out)
  string(REGEX REPLACE "\\.[^.]*$" "" base "${file}")
  string(REGEX REPLACE "^[^.]*\\." "" extension "${file}")
  string(TOLOWER "${base}" base)
  string(TOLOWER "${extension}" extension)
  set(${name_out} "${base}" PARENT_SCOPE)
  set(${type_out} "${extension}" PARENT_SCOPE)
endfunction()

# nimbra_pack_file_version(PROJECT_VERSION PACK_VERSION OUT): the four parts
# of the installer's file version, "1.0.0.7": the project's three, then the
# pack version, so that the installer of a newer pack has the higher file
# version. A negative pack version, which no part can hold, counts as 0 there.
function(nimbra_pack_file_version project_version pack_version out)
  set(last ${pack_version})
  if(pack_version LESS 0)
    set(last 0)
  endif()
  set(${out} "${project_version}.${last}" PARENT_SCOPE)
endfunction()
