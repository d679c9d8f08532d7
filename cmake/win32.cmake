# Windows build: Scrimble.exe, statically linked GUI program. The test probe
# that inspects it from outside is a 64-bit project of its own
# (tests/e2e/probe), built by the Makefile.
enable_language(RC)
target_compile_definitions(scrimble_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                _WIN32_WINNT=0x0A00 WINVER=0x0A00)

set(ENTRY_SOURCE ${CMAKE_SOURCE_DIR}/src/ui/main_win32.cpp)
list(REMOVE_ITEM WIN32_SOURCES ${ENTRY_SOURCE})
# The portable code calls into the Windows services (and back), so both live in
# one library.
target_sources(scrimble_core PRIVATE ${WIN32_SOURCES})
add_library(scrimble_win32 ALIAS scrimble_core)

# Reproducible: the same commit gives the same exe on any machine and in any
# folder. No build paths in the code (assertions, debug info), no link time
# stamp in the PE header.
target_compile_options(scrimble_core PUBLIC -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
                                            -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
add_link_options(-Wl,--no-insert-timestamp)

set(SCRIMBLE_WIN32_LIBS user32 gdi32 comctl32 ole32 oleaut32 uuid shell32 imm32)

include(${CMAKE_SOURCE_DIR}/cmake/resources.cmake OPTIONAL)

add_executable(Scrimble WIN32 ${ENTRY_SOURCE} ${SCRIMBLE_RESOURCES})
target_link_libraries(Scrimble PRIVATE scrimble_win32 ${SCRIMBLE_WIN32_LIBS})
target_compile_options(Scrimble PRIVATE -Wall -Wextra)
target_link_options(Scrimble PRIVATE -static -municode -mwindows)
set_target_properties(Scrimble PROPERTIES OUTPUT_NAME Scrimble RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Every link checks that the exe imports only DLLs that Windows takes from its
# own folder (see the script); a failed check fails the build.
add_custom_command(TARGET Scrimble POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E env OBJDUMP=${CMAKE_OBJDUMP}
          ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh $<TARGET_FILE:Scrimble>
  VERBATIM)


file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_win32.cpp)
foreach(f IN LISTS BENCH_SOURCES)
  get_filename_component(name ${f} NAME_WE)
  add_executable(${name} ${f})
  target_link_libraries(${name} PRIVATE scrimble_win32 ${SCRIMBLE_WIN32_LIBS})
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  target_link_options(${name} PRIVATE -static -municode)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endforeach()
