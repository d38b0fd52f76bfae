# The time zones' sources (included by the top CMakeLists.txt):
#  - the rules of every zone, generated at build time from the system's tzdata
#    (Debian package tzdata) into the build tree and compiled into tessaly_base;
#  - Howard Hinnant's date library (header-only; Debian package
#    libhowardhinnant-date-dev), whose date/ptz.h reads the POSIX rules.
# Both builds read the build machine's files: the Windows build is a cross build.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(TESSALY_ZONEINFO_DIR /usr/share/zoneinfo CACHE PATH "The tz database's TZif files (tzdata)")
if(NOT EXISTS ${TESSALY_ZONEINFO_DIR}/tzdata.zi)
  message(FATAL_ERROR "no tz database at ${TESSALY_ZONEINFO_DIR} (install tzdata: scripts/setup-*.sh)")
endif()
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/generated/zone_rules.cpp
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/make-zones.py rules
          ${TESSALY_ZONEINFO_DIR} ${CMAKE_BINARY_DIR}/generated/zone_rules.cpp
  # tzdata.zi is rewritten by every tzdata release.
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make-zones.py ${TESSALY_ZONEINFO_DIR}/tzdata.zi
  COMMENT "Time-zone rules from ${TESSALY_ZONEINFO_DIR}"
  VERBATIM)

# A host header directory: the cross build must not search it.
find_path(TESSALY_DATE_INCLUDE_DIR date/ptz.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT TESSALY_DATE_INCLUDE_DIR)
  message(FATAL_ERROR "date/ptz.h not found (install libhowardhinnant-date-dev: scripts/setup-*.sh)")
endif()
if(CMAKE_CROSSCOMPILING)
  # Adding the host's /usr/include to mingw's search path would bring glibc's
  # headers in with it: the cross build gets a copy of just the library's.
  set(date_dir ${CMAKE_BINARY_DIR}/hinnant-date)
  foreach(h date.h tz.h tz_private.h ptz.h)
    configure_file(${TESSALY_DATE_INCLUDE_DIR}/date/${h} ${date_dir}/date/${h} COPYONLY)
  endforeach()
else()
  set(date_dir ${TESSALY_DATE_INCLUDE_DIR})
endif()
# Third-party code: SYSTEM keeps our warning flags (and -Werror) away from it.
target_include_directories(tessaly_base SYSTEM PRIVATE ${date_dir})
