# Windows resources of Scrimble.exe: the icon and button pictures, kept as
# text art in src/ui/art and turned into .ico/.bmp files at build time, plus
# the version information and the application manifest, compiled by windres.
# Sets SCRIMBLE_RESOURCES for the executable's sources.
find_package(Python3 COMPONENTS Interpreter REQUIRED)

set(SCRIMBLE_ART_DIR ${CMAKE_SOURCE_DIR}/src/ui/art)
set(SCRIMBLE_ART_OUT ${CMAKE_BINARY_DIR}/art)
set(SCRIMBLE_ART_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/gen_art.py)
set(SCRIMBLE_RC ${CMAKE_SOURCE_DIR}/src/ui/resources/scrimble.rc)

# The manifest and the version resource name the architecture of the exe they
# are linked into: the loader refuses a 64-bit program that asks for the x86
# common controls.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "64")
  set(SCRIMBLE_MANIFEST_ARCH amd64)
  set(SCRIMBLE_ARCH_NAME x64)
else()
  set(SCRIMBLE_MANIFEST_ARCH x86)
  set(SCRIMBLE_ARCH_NAME x86)
endif()

# The version, from VERSION through scripts/version.sh (1.1.0, or 1.1.0-3-gHASH
# three commits after the release); the fourth number is that commit count.
execute_process(COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/version.sh
                OUTPUT_VARIABLE SCRIMBLE_VERSION OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
if(NOT SCRIMBLE_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)(-([0-9]+)-g[0-9a-f]+)?$")
  message(FATAL_ERROR "scripts/version.sh gave '${SCRIMBLE_VERSION}', not N.N.N[-count-gHASH]")
endif()
set(SCRIMBLE_VERSION_COMMITS ${CMAKE_MATCH_5})
if(NOT SCRIMBLE_VERSION_COMMITS)
  set(SCRIMBLE_VERSION_COMMITS 0)
endif()
set(SCRIMBLE_VERSION_QUAD "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}.${SCRIMBLE_VERSION_COMMITS}")
string(REPLACE "." "," SCRIMBLE_VERSION_COMMAS ${SCRIMBLE_VERSION_QUAD})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/VERSION)

set(SCRIMBLE_GENERATED_RES ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/src/ui/resources/scrimble.manifest.in
               ${SCRIMBLE_GENERATED_RES}/scrimble.manifest @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/src/ui/resources/version.h.in
               ${SCRIMBLE_GENERATED_RES}/version.h @ONLY)

# Named explicitly: the .rc refers to each output by name, and whether an art
# file yields a .bmp or an .ico is written inside it.
set(SCRIMBLE_ART_BITMAPS full_screen active_window save explorer print home path region)
set(SCRIMBLE_ART_ICONS app)

set(art_sources)
set(art_outputs)
foreach(name IN LISTS SCRIMBLE_ART_BITMAPS)
  list(APPEND art_sources ${SCRIMBLE_ART_DIR}/${name}.art)
  list(APPEND art_outputs ${SCRIMBLE_ART_OUT}/${name}.bmp)
endforeach()
foreach(name IN LISTS SCRIMBLE_ART_ICONS)
  list(APPEND art_sources ${SCRIMBLE_ART_DIR}/${name}.art)
  list(APPEND art_outputs ${SCRIMBLE_ART_OUT}/${name}.ico)
endforeach()

add_custom_command(
  OUTPUT ${art_outputs}
  COMMAND ${Python3_EXECUTABLE} ${SCRIMBLE_ART_SCRIPT} --out-dir ${SCRIMBLE_ART_OUT} ${art_sources}
  DEPENDS ${art_sources} ${SCRIMBLE_ART_SCRIPT}
  COMMENT "Generating icon and button pictures from text art"
  VERBATIM)
add_custom_target(scrimble_art DEPENDS ${art_outputs})

# windres finds "ui/resource_ids.h" under src/, and the generated manifest,
# version header and pictures in the build tree. It reports no header
# dependencies, so everything the .rc pulls in is listed by hand.
set_source_files_properties(${SCRIMBLE_RC} PROPERTIES
  INCLUDE_DIRECTORIES "${CMAKE_SOURCE_DIR}/src;${SCRIMBLE_GENERATED_RES};${SCRIMBLE_ART_OUT}"
  OBJECT_DEPENDS "${art_outputs};${CMAKE_SOURCE_DIR}/src/ui/resource_ids.h;${SCRIMBLE_GENERATED_RES}/scrimble.manifest;${SCRIMBLE_GENERATED_RES}/version.h")

# The generated pictures ride along as sources so that their custom command
# belongs to whichever target compiles the .rc.
set(SCRIMBLE_RESOURCES ${SCRIMBLE_RC} ${art_outputs})
