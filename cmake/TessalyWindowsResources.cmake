# Windows resources for the executables: icons 128, 130 and 131 packed at build time from the PNGs
# in res/icons/, the manifest (Common Controls 6, per-monitor DPI, asInvoker) and a VERSIONINFO from
# the project's version, in one resource script compiled by windres. Resources in a static library
# are never linked in (nothing refers to them), so each executable takes the compiled script as an
# object of its own:
#
#   include(${PROJECT_SOURCE_DIR}/cmake/TessalyWindowsResources.cmake)
#   tessaly_add_windows_resources(tessaly)
#
# Included from the top-level file or any folder; the first include makes the script's target,
# later ones only see the function. Elsewhere than on Windows the function does nothing.
include_guard(GLOBAL)

function(tessaly_add_windows_resources target)
  if(WIN32)
    target_link_libraries(${target} PRIVATE tessaly_windows_resources)
  endif()
endfunction()

if(NOT WIN32)
  return()
endif()

enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# A function, so that its names stay out of the including folder's scope.
function(_tessaly_make_windows_resources)
  set(TESSALY_RES_WINDOWS_DIR ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../res/windows)
  cmake_path(NORMAL_PATH TESSALY_RES_WINDOWS_DIR)
  set(icons_dir ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../res/icons)
  cmake_path(NORMAL_PATH icons_dir)
  set(TESSALY_ICO_DIR ${CMAKE_CURRENT_BINARY_DIR}/tessaly_ico)

  # Each icon's images, by name: tessaly (IDR_MAINFRAME), file and folder (the picker's list).
  set(sizes_tessaly 16 24 32 48 64 128 256)
  set(sizes_file 16 32)
  set(sizes_folder 16 32)
  set(ico_files)
  foreach(name tessaly file folder)
    set(pngs)
    foreach(size IN LISTS sizes_${name})
      list(APPEND pngs ${icons_dir}/${name}_${size}.png)
    endforeach()
    add_custom_command(
      OUTPUT ${TESSALY_ICO_DIR}/${name}.ico
      COMMAND ${CMAKE_COMMAND} -E make_directory ${TESSALY_ICO_DIR}
      COMMAND Python3::Interpreter ${TESSALY_RES_WINDOWS_DIR}/make-ico.py
              ${TESSALY_ICO_DIR}/${name}.ico ${pngs}
      DEPENDS ${TESSALY_RES_WINDOWS_DIR}/make-ico.py ${pngs}
      COMMENT "Packing ${name}.ico"
      VERBATIM)
    list(APPEND ico_files ${TESSALY_ICO_DIR}/${name}.ico)
  endforeach()

  configure_file(${TESSALY_RES_WINDOWS_DIR}/tessaly.rc.in ${CMAKE_CURRENT_BINARY_DIR}/tessaly.rc
                 @ONLY)
  # windres reads the icons and the manifest itself; CMake sees no include to scan, so they are
  # named as the script's dependencies.
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/tessaly.rc PROPERTIES
    OBJECT_DEPENDS "${ico_files};${TESSALY_RES_WINDOWS_DIR}/tessaly.manifest")
  add_library(tessaly_windows_resources OBJECT ${CMAKE_CURRENT_BINARY_DIR}/tessaly.rc ${ico_files})
endfunction()
_tessaly_make_windows_resources()
