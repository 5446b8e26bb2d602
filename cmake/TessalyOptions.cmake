# Warnings fail CI and developers' builds (scripts/test turns this on); a user's build with a
# newer compiler that warns about something new must still succeed.
option(TESSALY_WERROR "Treat compiler warnings as errors" OFF)

# One INTERFACE target carries the language level and warning flags for every target.
add_library(tessaly_options INTERFACE)
target_compile_features(tessaly_options INTERFACE cxx_std_20)
target_compile_options(tessaly_options INTERFACE -Wall -Wextra
  $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local> $<$<CXX_COMPILER_ID:Clang>:-Wshadow-uncaptured-local>)
if(TESSALY_WERROR)
  target_compile_options(tessaly_options INTERFACE -Werror)
  # GCC 12 at -O3 reports -Wrestrict inside std::string's own concatenation (GCC bug 105329):
  # it stays a warning there, so a test that joins strings does not break the Release build.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(tessaly_options INTERFACE -Wno-error=restrict)
  endif()
endif()
target_include_directories(tessaly_options INTERFACE ${PROJECT_SOURCE_DIR})

# The thread sanitizer cannot share a process with the address sanitizer.
option(TESSALY_TSAN "Build with the thread sanitizer" OFF)
if(TESSALY_TSAN AND TESSALY_SANITIZE)
  message(FATAL_ERROR "TESSALY_TSAN and TESSALY_SANITIZE cannot be combined: configure a build "
                      "directory for each")
endif()
if(TESSALY_TSAN AND TESSALY_FUZZ)
  message(FATAL_ERROR "TESSALY_TSAN and TESSALY_FUZZ cannot be combined: the fuzzers are built "
                      "with the address sanitizer")
endif()

if(TESSALY_SANITIZE)
  target_compile_options(tessaly_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(tessaly_options INTERFACE -fsanitize=address,undefined)
endif()

# Every test's properties: a timeout, so a hang fails instead of stalling CI, and under the
# address sanitizer the leak checker told to pass over what system libraries keep until exit
# (fontconfig's caches, loaded by Qt).
set(TESSALY_TEST_PROPERTIES TIMEOUT 120)
# The journals of the runs the tests make stay in the build, not in the user's state folder.
list(APPEND TESSALY_TEST_PROPERTIES ENVIRONMENT_MODIFICATION
     "XDG_STATE_HOME=set:${PROJECT_BINARY_DIR}/test-state")
if(TESSALY_SANITIZE)
  list(APPEND TESSALY_TEST_PROPERTIES ENVIRONMENT
       "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0")
endif()

if(TESSALY_TSAN)
  target_compile_options(tessaly_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(tessaly_options INTERFACE -fsanitize=thread)
endif()

# A test executable per source folder, its tests with TESSALY_TEST_PROPERTIES.
function(tessaly_add_test_folder name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gtest_main tessaly_options)
  tessaly_register_tests(${name})
endfunction()

# A test executable's tests into CTest: one test each natively; under an emulator (Wine), the
# executable as one test, since starting it costs far more than most of its tests.
function(tessaly_register_tests name)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  else()
    gtest_discover_tests(${name} PROPERTIES ${TESSALY_TEST_PROPERTIES} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# A static library of the folder's *.cpp files with its public dependencies; nothing while the
# folder has no sources yet.
function(tessaly_add_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC ${ARGN} tessaly_options)
endfunction()
