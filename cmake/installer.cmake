# The installer, nimbra-pack-update.exe: one self-contained GUI executable that
# carries the pack dwix.cok as its resource COK/DWIX (language 1049).
# Included from cmake/win32.cmake.

set(NIMBRA_PACK "" CACHE FILEPATH
    "The pack file (dwix.cok) to carry; empty: a generated placeholder of the real pack's size")
set(NIMBRA_PACK_VERSION 6 CACHE STRING "Version of the carried pack; its header byte is version + 32")
# The size of the real pack of version 6, so that a build without it behaves alike.
set(NIMBRA_PLACEHOLDER_SIZE 16582724)

if(NOT NIMBRA_PACK_VERSION MATCHES "^-?[0-9]+$" OR NIMBRA_PACK_VERSION LESS -32 OR NIMBRA_PACK_VERSION GREATER 223)
  message(FATAL_ERROR "NIMBRA_PACK_VERSION is \"${NIMBRA_PACK_VERSION}\"; expected a whole number "
                      "from -32 to 223 (the pack's version byte holds version + 32)")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(nimbra_pack_tool ${PROJECT_SOURCE_DIR}/resources/pack_tool.py)
set(nimbra_resources_dir ${CMAKE_BINARY_DIR}/resources)
file(MAKE_DIRECTORY ${nimbra_resources_dir})

if(NIMBRA_PACK)
  get_filename_component(NIMBRA_PACK_FILE "${NIMBRA_PACK}" ABSOLUTE BASE_DIR "${CMAKE_BINARY_DIR}")
  if(NOT EXISTS "${NIMBRA_PACK_FILE}" OR IS_DIRECTORY "${NIMBRA_PACK_FILE}")
    message(FATAL_ERROR "NIMBRA_PACK names ${NIMBRA_PACK_FILE}, which is not a file")
  endif()
  # A wrong pack is stopped here already; the build checks again (below), since
  # the file may change after configuring.
  execute_process(COMMAND ${Python3_EXECUTABLE} ${nimbra_pack_tool} check --version ${NIMBRA_PACK_VERSION}
                          "${NIMBRA_PACK_FILE}"
                  RESULT_VARIABLE nimbra_pack_result
                  ERROR_VARIABLE nimbra_pack_problem ERROR_STRIP_TRAILING_WHITESPACE)
  if(NOT nimbra_pack_result EQUAL 0)
    message(FATAL_ERROR "NIMBRA_PACK: ${nimbra_pack_problem}")
  endif()
  set(nimbra_pack_checked ${nimbra_resources_dir}/pack-header.checked)
  add_custom_command(
    OUTPUT ${nimbra_pack_checked}
    COMMAND ${Python3_EXECUTABLE} ${nimbra_pack_tool} check --version ${NIMBRA_PACK_VERSION}
            --stamp ${nimbra_pack_checked} "${NIMBRA_PACK_FILE}"
    DEPENDS "${NIMBRA_PACK_FILE}" ${nimbra_pack_tool}
    COMMENT "Checking the header of ${NIMBRA_PACK_FILE}"
    VERBATIM)
  set(nimbra_pack_depends "${NIMBRA_PACK_FILE}" ${nimbra_pack_checked})
else()
  # Generated at build time into the build folder, never into the sources.
  set(NIMBRA_PACK_FILE ${nimbra_resources_dir}/dwix.cok)
  add_custom_command(
    OUTPUT ${NIMBRA_PACK_FILE}
    COMMAND ${Python3_EXECUTABLE} ${nimbra_pack_tool} placeholder --version ${NIMBRA_PACK_VERSION}
            --size ${NIMBRA_PLACEHOLDER_SIZE} ${NIMBRA_PACK_FILE}
    DEPENDS ${nimbra_pack_tool}
    COMMENT "Generating the placeholder pack (version ${NIMBRA_PACK_VERSION}, ${NIMBRA_PLACEHOLDER_SIZE} bytes)"
    VERBATIM)
  set(nimbra_pack_depends ${NIMBRA_PACK_FILE})
endif()

set(NIMBRA_MANIFEST_FILE ${nimbra_resources_dir}/nimbra-pack-update.manifest)
set(NIMBRA_ICON_FILE ${PROJECT_SOURCE_DIR}/resources/nimbra.ico)
configure_file(${PROJECT_SOURCE_DIR}/resources/nimbra-pack-update.manifest.in ${NIMBRA_MANIFEST_FILE} @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/installer_resources.h.in
               ${nimbra_resources_dir}/installer_resources.h @ONLY)

set(nimbra_installer_rc ${PROJECT_SOURCE_DIR}/resources/installer.rc)
# windres reports no dependencies of its own: name the files the script pulls in.
set_source_files_properties(${nimbra_installer_rc} PROPERTIES OBJECT_DEPENDS
    "${NIMBRA_MANIFEST_FILE};${NIMBRA_ICON_FILE};${nimbra_resources_dir}/installer_resources.h;${nimbra_pack_depends}")

# The installer compiles the core itself, with link-time optimisation: across
# the whole core it drops what the installer never reaches, about 50 KB (see
# the check OverheadWithin256KiB below). The core libraries stay without it,
# since mingw's linker cannot merge one inline function defined both in LTO and
# in ordinary objects, and the Windows test programs would mix the two.
set(nimbra_installer_core_sources ${text_sources} ${messages_sources} ${host_sources} ${lang_sources}
    ${install_sources} ${update_sources} ${win32_sources})
add_executable(nimbra-pack-update WIN32 ${PROJECT_SOURCE_DIR}/src/update/win_main.cpp
               ${nimbra_installer_core_sources} ${nimbra_installer_rc})
target_include_directories(nimbra-pack-update PRIVATE ${PROJECT_SOURCE_DIR}/src ${nimbra_resources_dir})
target_link_libraries(nimbra-pack-update PRIVATE advapi32 user32 shell32)
# Defined for the entry, which does not read it yet: the run carries the pack
# version of InstallerConfiguration's defaults, whatever NIMBRA_PACK_VERSION says.
target_compile_definitions(nimbra-pack-update PRIVATE NIMBRA_PACK_VERSION=${NIMBRA_PACK_VERSION})
target_compile_options(nimbra-pack-update PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-flto>)
# No symbol table either. One partition: with the default two, GCC 12 for
# mingw stops with an internal compiler error in binds_to_current_def_p on
# this code base (a symbol privatised in the other partition).
target_link_options(nimbra-pack-update PRIVATE -flto -flto-partition=one -s)

# What a release must hold, read from the built file: no emulator needed.
set(nimbra_installer_checks
    GuiSubsystem32Bit AslrAndDepOn ImportsOnlySystemDlls CarriesPackAsCokDwixRussian
    ManifestRequiresAdministratorWithoutCompatibility HasIcon VersionInfoNamesTarvelNimbra
    NoTimestampNorBuildPaths OverheadWithin256KiB)
foreach(check ${nimbra_installer_checks})
  add_test(NAME installer.${check}
           COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/check_installer.py
                   $<TARGET_FILE:nimbra-pack-update> --pack ${NIMBRA_PACK_FILE} --version ${PROJECT_VERSION}
                   --forbid ${PROJECT_SOURCE_DIR} --forbid ${CMAKE_BINARY_DIR} ${check})
endforeach()
