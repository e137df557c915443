# The portable core, one static library per subsystem, built for both targets.
# Dependencies point one way: update -> deployment, install, lang, host -> messages, text -> platform.

function(nimbra_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

file(GLOB text_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/text/*.cpp)
file(GLOB host_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/host/*.cpp)
file(GLOB lang_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/lang/*.cpp)
file(GLOB install_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/install/*.cpp)
file(GLOB deployment_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/deployment/*.cpp)
file(GLOB update_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/update/*.cpp)
set(messages_sources ${PROJECT_SOURCE_DIR}/src/lang/presentation.cpp)
list(REMOVE_ITEM lang_sources ${messages_sources})
# The Windows entry point is not part of the portable core.
list(FILTER update_sources EXCLUDE REGEX "/win_main\\.cpp$")

# The platform interfaces are headers only.
add_library(nimbra_platform INTERFACE)
target_include_directories(nimbra_platform INTERFACE ${PROJECT_SOURCE_DIR}/src)
nimbra_core_library(nimbra_text SOURCES ${text_sources} DEPENDS nimbra_platform)
nimbra_core_library(nimbra_messages SOURCES ${messages_sources} DEPENDS nimbra_platform)
nimbra_core_library(nimbra_host SOURCES ${host_sources} DEPENDS nimbra_messages nimbra_text nimbra_platform)
nimbra_core_library(nimbra_lang SOURCES ${lang_sources} DEPENDS nimbra_host nimbra_messages nimbra_text)
nimbra_core_library(nimbra_install SOURCES ${install_sources} DEPENDS nimbra_messages nimbra_host)
# What deployment tools see: the options of the command line, the log, the gate
# that keeps boxes from a quiet run, the exit codes.
nimbra_core_library(nimbra_deployment SOURCES ${deployment_sources} DEPENDS nimbra_host nimbra_messages nimbra_text)
nimbra_core_library(nimbra_update SOURCES ${update_sources}
                    DEPENDS nimbra_deployment nimbra_install nimbra_lang nimbra_host nimbra_messages)
