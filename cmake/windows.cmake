# The Windows platform layer and its tests (included by the top CMakeLists.txt
# for WIN32 builds only).
set(TESSALY_WIN32_DIR ${CMAKE_SOURCE_DIR}/src/platform/win32)

# The Windows time-zone keys' IANA names, from Unicode CLDR (Debian package
# unicode-cldr-core) on the build machine.
find_file(TESSALY_WINDOWS_ZONES_XML windowsZones.xml
  PATHS /usr/share/unicode/cldr/common/supplemental NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT TESSALY_WINDOWS_ZONES_XML)
  message(FATAL_ERROR "CLDR's windowsZones.xml not found (install unicode-cldr-core: scripts/setup-windows.sh)")
endif()
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/generated/windows_zones.cpp
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/make-zones.py windows
          ${TESSALY_WINDOWS_ZONES_XML} ${CMAKE_BINARY_DIR}/generated/windows_zones.cpp
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make-zones.py ${TESSALY_WINDOWS_ZONES_XML}
  COMMENT "Windows time-zone keys from ${TESSALY_WINDOWS_ZONES_XML}"
  VERBATIM)

add_library(tessaly_win32_platform STATIC
  ${TESSALY_WIN32_DIR}/win32_platform.cpp
  ${TESSALY_WIN32_DIR}/win32_keys.cpp
  ${TESSALY_WIN32_DIR}/win32_text.cpp
  ${TESSALY_WIN32_DIR}/win32_web.cpp
  ${CMAKE_BINARY_DIR}/generated/windows_zones.cpp)
# Vista-level API (RegGetValueW, GetLocaleInfoEx); Unicode calls are named explicitly.
target_compile_definitions(tessaly_win32_platform PUBLIC
  _WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
find_package(Threads REQUIRED)
target_link_libraries(tessaly_win32_platform PUBLIC
  tessaly_core user32 gdi32 comdlg32 shell32 winhttp advapi32 winmm Threads::Threads)

if(TESSALY_TESTS)
  # Win32 helpers only the tests need (they create windows and timers).
  set(TESSALY_WIN32_FIXTURE_DIR ${CMAKE_SOURCE_DIR}/tests/win32/fixture)
  add_library(tessaly_win32_fixture STATIC
    ${TESSALY_WIN32_FIXTURE_DIR}/demo_viewer_process.cpp
    ${TESSALY_WIN32_FIXTURE_DIR}/fake_viewer.cpp
    ${TESSALY_WIN32_FIXTURE_DIR}/file_reader.cpp
    ${TESSALY_WIN32_FIXTURE_DIR}/key_probe.cpp
    ${TESSALY_WIN32_FIXTURE_DIR}/self_process.cpp
    ${TESSALY_WIN32_FIXTURE_DIR}/storms_writer.cpp)
  # Included as "win32/fixture/...".
  target_include_directories(tessaly_win32_fixture PUBLIC ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(tessaly_win32_fixture PUBLIC tessaly_win32_platform comctl32)
  # The demo viewer tests start tools/demo-viewer's program from its place in
  # the build tree, relative to the test executables' folder.
  file(RELATIVE_PATH demo_viewer_from_tests ${CMAKE_BINARY_DIR}/tests
       ${CMAKE_BINARY_DIR}/tools/demo-viewer/demo-viewer.exe)
  target_compile_definitions(tessaly_win32_fixture PRIVATE
    TESSALY_DEMO_VIEWER_FROM_TESTS="${demo_viewer_from_tests}")

  # GoogleTest's targets come from tests/CMakeLists.txt, added after this
  # file; target names are resolved when the build is generated.
  file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
  # key_probe.cpp is a program of its own (driven by xdotool, not gtest).
  list(FILTER WIN32_TEST_SOURCES EXCLUDE REGEX "/key_probe\\.cpp$")
  add_executable(win32_tests ${WIN32_TEST_SOURCES})
  target_link_libraries(win32_tests PRIVATE tessaly_win32_fixture GTest::gtest)
  set_target_properties(win32_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_dependencies(win32_tests demo-viewer)
  # The alert sound, beside the test program as beside Tessaly.exe.
  add_custom_command(TARGET win32_tests POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/assets/alert.wav
            ${CMAKE_BINARY_DIR}/tests/alert.wav)
  # Counts the key presses xdotool types into its window (scripts/wine-key-test.sh).
  add_executable(key_probe ${CMAKE_SOURCE_DIR}/tests/win32/key_probe.cpp)
  target_link_libraries(key_probe PRIVATE tessaly_win32_fixture)
  set_target_properties(key_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  enable_testing()
  add_test(NAME win32_tests COMMAND win32_tests)
endif()

# --- Tessaly.exe: the Win32 views over the window models --------------------
enable_language(RC)
set(TESSALY_UI_DIR ${CMAKE_SOURCE_DIR}/src/ui/win32)
configure_file(${TESSALY_UI_DIR}/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
add_library(tessaly_win32_ui STATIC
  ${TESSALY_UI_DIR}/win32_ui.cpp
  ${TESSALY_UI_DIR}/views.cpp
  ${TESSALY_UI_DIR}/dpi.cpp
  ${TESSALY_UI_DIR}/dialog_view.cpp
  ${TESSALY_UI_DIR}/main_view.cpp
  ${TESSALY_UI_DIR}/eta_box_view.cpp
  ${TESSALY_UI_DIR}/eta_list_view.cpp
  ${TESSALY_UI_DIR}/list_keys_view.cpp
  ${TESSALY_UI_DIR}/pathcast_view.cpp
  ${TESSALY_UI_DIR}/watched_view.cpp)
target_include_directories(tessaly_win32_ui PUBLIC ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(tessaly_win32_ui PUBLIC tessaly_win32_platform comctl32 gdi32 user32)
# windres resolves the icon and manifest paths against its include path.
set(TESSALY_RC_FLAGS -I${TESSALY_UI_DIR} -I${CMAKE_BINARY_DIR}/generated)
set_source_files_properties(${TESSALY_UI_DIR}/tessaly.rc PROPERTIES
  OBJECT_DEPENDS "${TESSALY_UI_DIR}/resource.h;${TESSALY_UI_DIR}/tessaly.manifest;${TESSALY_UI_DIR}/res/tessaly.ico;${CMAKE_BINARY_DIR}/generated/version.h")
add_executable(Tessaly WIN32 ${TESSALY_UI_DIR}/main.cpp ${TESSALY_UI_DIR}/tessaly.rc)
target_compile_options(Tessaly PRIVATE $<$<COMPILE_LANGUAGE:RC>:${TESSALY_RC_FLAGS}>)
target_link_options(Tessaly PRIVATE -municode)
target_link_libraries(Tessaly PRIVATE tessaly_win32_ui)
set_target_properties(Tessaly PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# The icon file the placefile header names must sit beside the program, and
# the sound the watched places' alerts play.
if(EXISTS ${CMAKE_SOURCE_DIR}/assets/stormtrack.png)
  add_custom_command(TARGET Tessaly POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/assets/stormtrack.png
            ${CMAKE_BINARY_DIR}/stormtrack.png)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/assets/alert.wav)
  add_custom_command(TARGET Tessaly POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/assets/alert.wav
            ${CMAKE_BINARY_DIR}/alert.wav)
endif()

if(TESSALY_TESTS)
  # The views' tests: the templates, the bindings and the event round trip,
  # with the resources linked in as in Tessaly.exe.
  file(GLOB UI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32-ui/*.cpp)
  add_executable(ui_tests ${UI_TEST_SOURCES} ${TESSALY_UI_DIR}/tessaly.rc)
  target_compile_options(ui_tests PRIVATE $<$<COMPILE_LANGUAGE:RC>:${TESSALY_RC_FLAGS}>)
  target_link_libraries(ui_tests PRIVATE tessaly_win32_ui tessaly_sim_platform GTest::gtest GTest::gtest_main)
  set_target_properties(ui_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ui_tests COMMAND ui_tests)
endif()
if(TESSALY_TESTS)
  # Reads panels and window texts for the road test (scripts/wine-road-test.sh).
  add_executable(window_probe ${CMAKE_SOURCE_DIR}/tests/win32-ui/probe/window_probe.cpp)
  target_link_libraries(window_probe PRIVATE tessaly_win32_platform)
  set_target_properties(window_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # Screen rectangles of controls, for the road test's clicks.
  add_executable(control_probe ${CMAKE_SOURCE_DIR}/tests/win32-ui/probe/control_probe.cpp)
  target_link_libraries(control_probe PRIVATE user32)
  set_target_properties(control_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endif()
