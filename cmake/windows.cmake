# The Windows platform layer and its tests (included by the top CMakeLists.txt
# for WIN32 builds only).
set(TESSALY_WIN32_DIR ${CMAKE_SOURCE_DIR}/src/platform/win32)

add_library(tessaly_win32_platform STATIC
  ${TESSALY_WIN32_DIR}/win32_platform.cpp
  ${TESSALY_WIN32_DIR}/win32_text.cpp
  ${TESSALY_WIN32_DIR}/win32_web.cpp)
# Vista-level API (RegGetValueW, GetLocaleInfoEx); Unicode calls are named explicitly.
target_compile_definitions(tessaly_win32_platform PUBLIC
  _WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
find_package(Threads REQUIRED)
target_link_libraries(tessaly_win32_platform PUBLIC
  tessaly_core user32 gdi32 comdlg32 winhttp advapi32 Threads::Threads)

if(TESSALY_TESTS)
  # Win32 helpers only the tests need (they create windows and timers).
  add_library(tessaly_win32_fixture STATIC
    ${TESSALY_WIN32_DIR}/fixture/fake_viewer.cpp
    ${TESSALY_WIN32_DIR}/fixture/file_reader.cpp
    ${TESSALY_WIN32_DIR}/fixture/key_probe.cpp)
  target_link_libraries(tessaly_win32_fixture PUBLIC tessaly_win32_platform comctl32)

  # GoogleTest's targets come from tests/CMakeLists.txt, added after this
  # file; target names are resolved when the build is generated.
  file(GLOB WIN32_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
  # key_probe.cpp is a program of its own (driven by xdotool, not gtest).
  list(FILTER WIN32_TEST_SOURCES EXCLUDE REGEX "/key_probe\\.cpp$")
  add_executable(win32_tests ${WIN32_TEST_SOURCES})
  target_link_libraries(win32_tests PRIVATE tessaly_win32_fixture GTest::gtest)
  set_target_properties(win32_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # Counts the key presses xdotool types into its window (scripts/wine-key-test.sh).
  add_executable(key_probe ${CMAKE_SOURCE_DIR}/tests/win32/key_probe.cpp)
  target_link_libraries(key_probe PRIVATE tessaly_win32_fixture)
  set_target_properties(key_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  enable_testing()
  add_test(NAME win32_tests COMMAND win32_tests)
endif()
