# The Debian package: `cpack --preset package` (scripts/package) in a Release
# build configured for the prefix /usr. CPack's DEB generator packs what the
# install rules install, plus the files every Debian package carries.

set(CPACK_PACKAGE_CONTACT "The Quillforge developers <quillforge@example.org>"
    CACHE STRING "Maintainer of the Debian package: name <address>")

# Compressed without a time stamp, so the same sources give the same package.
function(qf_install_gzipped file destination)
  get_filename_component(name ${file} NAME)
  execute_process(COMMAND gzip -9 -n -c ${file} OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/${name}.gz
                  COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${name}.gz DESTINATION ${destination})
endfunction()

set(QF_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/quillforge)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${QF_DOCDIR})
# A native package's changelog, its entry dated by SOURCE_DATE_EPOCH when set
# (scripts/package sets the last commit's time).
string(TIMESTAMP QF_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
qf_install_gzipped(${CMAKE_BINARY_DIR}/packaging/changelog ${QF_DOCDIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/quillforge.1.in ${CMAKE_BINARY_DIR}/packaging/quillforge.1 @ONLY)
qf_install_gzipped(${CMAKE_BINARY_DIR}/packaging/quillforge.1 ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillforge)
set(CPACK_PACKAGE_VENDOR "The Quillforge developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "builder of Diablo II mod archives")
# The long description as Debian shows it: lines of at most 79 characters.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Quillforge builds and maintains mods for the game Diablo II. A mod is one\n"
  "MPQ archive (.QLM) holding replacement game files under their internal\n"
  "paths, its (listfile) and a (modinfo) record with the mod's title, author,\n"
  "game version, web address, version and description.\n"
  "\n"
  "In one window the modder creates or opens a mod, adds, removes and exports\n"
  "entries, edits the game's TAB-separated data tables in a grid and fills in\n"
  "the mod information; one Update writes every pending change into the\n"
  "archive. Mods open from the file manager.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the libraries the program and ARCHWRIT link, with
# their versions (Qt, StormLib, the C++ run-time).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Folders the packaging creates get Debian's modes whatever the umask is.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
