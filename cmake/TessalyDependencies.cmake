# GoogleTest and Boost's headers, found the same way for both platforms' builds.

if(CMAKE_CROSSCOMPILING AND WIN32)
  # Debian's GoogleTest sources (package googletest), built with the cross compiler; nothing is
  # downloaded.
  set(TESSALY_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(${TESSALY_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # It defines GTest::gtest and GTest::gtest_main itself.
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# Boost.Regex is header-only since 1.76: one Boost version, 1.81, for both platforms.
if(DEFINED TESSALY_HOST_BOOST_HEADERS)
  # The host's headers through a folder of their own, so that no other host header reaches the
  # cross compiler.
  set(tessaly_boost_include ${CMAKE_BINARY_DIR}/host-boost)
  file(MAKE_DIRECTORY ${tessaly_boost_include})
  file(CREATE_LINK ${TESSALY_HOST_BOOST_HEADERS} ${tessaly_boost_include}/boost SYMBOLIC)
  set(Boost_INCLUDE_DIR ${tessaly_boost_include} CACHE PATH "Boost's headers" FORCE)
  set(Boost_NO_BOOST_CMAKE ON)
endif()
find_package(Boost 1.81 REQUIRED)

# Unicode normalisation: utf8proc (libutf8proc-dev) on POSIX; Windows has its own NormalizeString
# in kernel32. Debian ships no CMake package for it, so its header and library are found by name.
if(NOT WIN32)
  find_path(UTF8PROC_INCLUDE_DIR utf8proc.h REQUIRED)
  find_library(UTF8PROC_LIBRARY utf8proc REQUIRED)
  add_library(utf8proc::utf8proc UNKNOWN IMPORTED)
  set_target_properties(utf8proc::utf8proc PROPERTIES IMPORTED_LOCATION ${UTF8PROC_LIBRARY}
                        INTERFACE_INCLUDE_DIRECTORIES ${UTF8PROC_INCLUDE_DIR})
endif()
