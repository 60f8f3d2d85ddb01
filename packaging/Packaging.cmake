# The pages that ship with the program, the desktop integration files, the manual
# pages, and the Debian package made by "cpack -G DEB" in the build folder.

# The pages the Help commands open: the user guide, a page stating this version,
# and the README it points to. Gathered in the build folder as they are installed,
# so the program finds them the same way from either place.
set(pages_dir ${CMAKE_BINARY_DIR}/doc)
file(GLOB guide_files RELATIVE ${CMAKE_SOURCE_DIR}/docs/guide CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/docs/guide/*)
foreach(page ${guide_files})
  configure_file(${CMAKE_SOURCE_DIR}/docs/guide/${page} ${pages_dir}/guide/${page} COPYONLY)
endforeach()
set(README_INSTALLED ${CMAKE_INSTALL_FULL_DOCDIR}/README.md)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.html.in ${pages_dir}/guide/version.html @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/README.md ${pages_dir}/README.md COPYONLY)
install(DIRECTORY ${pages_dir}/ DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The file types: *.m80 banks, and *.syx dumps where the system has no type for them.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/quorlin-mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME quorlin.xml)
configure_file(${CMAKE_CURRENT_LIST_DIR}/quorlin.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/org.velmora.quorlin.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/org.velmora.quorlin.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the changelog, compressed as Debian keeps them; the licence beside
# them in the machine-readable form Debian reads.
find_program(GZIP_EXECUTABLE gzip)
function(quorlin_compressed source output)
  if(GZIP_EXECUTABLE)
    get_filename_component(folder ${output} DIRECTORY)
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
      COMMAND ${GZIP_EXECUTABLE} -9nc ${source} > ${output}
      DEPENDS ${source} VERBATIM)
    set(compressed ${output} PARENT_SCOPE)
  else()
    set(compressed ${source} PARENT_SCOPE)
  endif()
endfunction()
set(man_pages quorlin.1 quorlin-cli.1 mks80-sim.1)
foreach(page ${man_pages})
  quorlin_compressed(${CMAKE_SOURCE_DIR}/docs/man/${page} ${CMAKE_BINARY_DIR}/man/${page}.gz)
  list(APPEND man_outputs ${compressed})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_outputs})
install(FILES ${man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# A native package (no Debian revision in its version) keeps its changelog as changelog.gz.
quorlin_compressed(${CMAKE_CURRENT_LIST_DIR}/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_target(debian_changelog ALL DEPENDS ${compressed})
install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorlin)
set(CPACK_PACKAGE_VENDOR Velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor and librarian for the memory of a Roland MKS-80")
# No line of the description may begin with a dot: Debian reads such a line as a
# control statement. Lines stay within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
  "Quorlin fetches the 64 patches and 64 tones of a Roland MKS-80 synthesizer
module over MIDI into a bank, lets you rename them and copy them between banks,
keeps banks in files of its own (.m80), reads recorded system-exclusive dumps
and sends a bank back into the instrument. With quorlin-cli for scripted
backups and mks80-sim, a virtual MKS-80.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Quorlin developers <maintainers@quorlin.invalid>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The libraries the programs link come from dpkg-shlibdeps; Qt's platform plugins are
# loaded at run time, so no library dependency names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(QUORLIN_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
# xdg-open shows the guide in the browser; the file-type and menu caches are refreshed
# by the triggers of these packages.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "jackd2")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
