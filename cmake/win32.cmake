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

# OLE and the shell are loaded at their first use (platform/ole_win32.h).
set(SCRIMBLE_WIN32_LIBS user32 gdi32 comctl32 uuid imm32)

include(${CMAKE_SOURCE_DIR}/cmake/resources.cmake OPTIONAL)

add_executable(Scrimble WIN32 ${ENTRY_SOURCE} ${SCRIMBLE_RESOURCES})
target_link_libraries(Scrimble PRIVATE scrimble_win32 ${SCRIMBLE_WIN32_LIBS})
target_compile_options(Scrimble PRIVATE -Wall -Wextra)
target_link_options(Scrimble PRIVATE -static -municode -mwindows)
set_target_properties(Scrimble PROPERTIES OUTPUT_NAME Scrimble RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# The exe carries only what it runs: every function and datum in a section of
# its own, and the linker drops those nothing refers to. Its symbols and the
# runtime libraries' debug information go to Scrimble.exe.debug beside it,
# which the exe names (.gnu_debuglink, with the debug file's checksum) for a
# debugger reading a crash. objcopy would stamp the time of day into the PE
# headers of both; SOURCE_DATE_EPOCH keeps the zero the link left there.
# Then every link checks that the exe imports only DLLs that Windows takes
# from its own folder, and only functions Windows Vista has (see the script);
# a failed check fails the build.
target_compile_options(scrimble_core PUBLIC -ffunction-sections -fdata-sections)
target_link_options(Scrimble PRIVATE -Wl,--gc-sections)
add_custom_command(TARGET Scrimble POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
          ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:Scrimble> $<TARGET_FILE_NAME:Scrimble>.debug
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
          ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=$<TARGET_FILE_NAME:Scrimble>.debug
          $<TARGET_FILE_NAME:Scrimble>
  COMMAND ${CMAKE_COMMAND} -E env OBJDUMP=${CMAKE_OBJDUMP}
          ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh $<TARGET_FILE_NAME:Scrimble>
  WORKING_DIRECTORY $<TARGET_FILE_DIR:Scrimble>
  VERBATIM)

# Benchmark programs: console programs on Scrimble's code, and GUI programs
# (*_window_win32.cpp) that stand alone as floors to time Scrimble against.
file(GLOB BENCH_WINDOW_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_window_win32.cpp)
foreach(f IN LISTS BENCH_WINDOW_SOURCES)
  get_filename_component(name ${f} NAME_WE)
  add_executable(${name} WIN32 ${f})
  target_compile_definitions(${name} PRIVATE UNICODE _UNICODE)
  target_link_libraries(${name} PRIVATE user32 gdi32)
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  target_link_options(${name} PRIVATE -static -municode -mwindows)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endforeach()
# The floor with Scrimble's 27 controls shows what Scrimble shows: it carries
# Scrimble's resources (icon, button pictures, common controls 6 manifest),
# reads the window's layout table and draws the button pictures with the same
# code, and drops the rest of the library as Scrimble does.
if(TARGET controls_window_win32)
  target_sources(controls_window_win32 PRIVATE ${SCRIMBLE_RESOURCES})
  target_link_libraries(controls_window_win32 PRIVATE scrimble_win32 ${SCRIMBLE_WIN32_LIBS})
  target_link_options(controls_window_win32 PRIVATE -Wl,--gc-sections -s)
endif()

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_win32.cpp)
list(REMOVE_ITEM BENCH_SOURCES ${BENCH_WINDOW_SOURCES} "")
foreach(f IN LISTS BENCH_SOURCES)
  get_filename_component(name ${f} NAME_WE)
  add_executable(${name} ${f})
  target_link_libraries(${name} PRIVATE scrimble_win32 ${SCRIMBLE_WIN32_LIBS})
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  target_link_options(${name} PRIVATE -static -municode)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endforeach()
