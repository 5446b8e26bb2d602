# The Linux package: the files an installed copy carries besides the programs, the desktop entry
# and the icons (the README, the licence, a Debian changelog, manual pages, the AppStream
# metainfo), and CPack's settings for the .deb that scripts/package makes. Everything takes the
# project's version and TESSALY_RELEASE_DATE from the top-level CMakeLists.txt.
include_guard(GLOBAL)
include(GNUInstallDirs)

# The project has no public address yet: its contact, home and software-centre identity are
# stand-ins under the reserved .example domain, to be replaced together once it has one.
set(TESSALY_CONTACT "The Tessaly developers <developers@tessaly.example>")
set(TESSALY_HOMEPAGE_URL "https://tessaly.example")
set(TESSALY_APPSTREAM_ID "example.tessaly.tessaly")

# Debian's place for a package's documents is named after the package, not the project.
set(tessaly_docdir ${CMAKE_INSTALL_DATADIR}/doc/tessaly)
set(tessaly_package_dir ${PROJECT_BINARY_DIR}/package)

configure_file(${PROJECT_SOURCE_DIR}/res/package/tessaly.metainfo.xml.in
               ${tessaly_package_dir}/${TESSALY_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${tessaly_package_dir}/${TESSALY_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian's changelogs and manual pages are compressed at the highest level and without a time
# stamp, so that each build gives the same bytes.
function(tessaly_configure_gzipped template output)
  configure_file(${template} ${output} @ONLY)
  execute_process(COMMAND gzip -9 -n -c ${output} OUTPUT_FILE ${output}.gz
                  COMMAND_ERROR_IS_FATAL ANY)
endfunction()

# The changelog's date in the form Debian's changelogs use (RFC 2822).
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C
                        date -u -R -d "${TESSALY_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE TESSALY_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
tessaly_configure_gzipped(${PROJECT_SOURCE_DIR}/res/package/changelog.in
                          ${tessaly_package_dir}/changelog)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${tessaly_package_dir}/changelog.gz
        DESTINATION ${tessaly_docdir})
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${tessaly_docdir} RENAME copyright)

foreach(program tessaly tessaly-batch)
  tessaly_configure_gzipped(${PROJECT_SOURCE_DIR}/res/package/${program}.1.in
                            ${tessaly_package_dir}/${program}.1)
  install(FILES ${tessaly_package_dir}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VENDOR "The Tessaly developers")
set(CPACK_PACKAGE_CONTACT "${TESSALY_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "mirror a folder tree's layout onto a flat folder of files")
set(CPACK_PACKAGE_DESCRIPTION [=[
Tessaly gives a flat folder of files the sub-folder layout of another folder
tree: for a template tree of, say, .wav files and one flat folder of their
converted .mp3 copies, it moves each copy into the sub-folder that mirrors
where its twin lies, creating folders as needed. It never overwrites a file,
and lists names that would collide in ConflictFile.txt.

The package holds the window program, tessaly (in Japanese), and
tessaly-batch, which does the same job from a terminal.]=])
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TESSALY_HOMEPAGE_URL}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/TessalyStripPackage.cmake)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries from the binaries themselves; what they load by name besides: the dialog font's
# IPA metric twin and xdg-open, which opens ConflictFile.txt. Qt's own Japanese texts are welcome
# but not needed.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
