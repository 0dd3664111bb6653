# What `cmake --install` adds besides the programs, the desktop entry and the icons (installed
# where they are built), and the Debian package CPack makes of it: `cpack -G DEB` in a build
# folder, or scripts/package.
include(GNUInstallDirs)

set(VELTRANE_APP_ID org.veltrane.veltrane)

# Debian wants manual pages compressed, and reproducibly: no name or time stamp in the gzip
# header (-n).
find_program(VELTRANE_GZIP gzip REQUIRED)
# The man page and the AppStream file carry the version of project(VERSION).
configure_file(${PROJECT_SOURCE_DIR}/packaging/veltrane-cli.1.in
               ${CMAKE_CURRENT_BINARY_DIR}/veltrane-cli.1 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/${VELTRANE_APP_ID}.metainfo.xml.in
               ${CMAKE_CURRENT_BINARY_DIR}/${VELTRANE_APP_ID}.metainfo.xml @ONLY)
set(veltrane_man_page ${CMAKE_CURRENT_BINARY_DIR}/veltrane-cli.1.gz)
add_custom_command(
  OUTPUT ${veltrane_man_page}
  COMMAND ${VELTRANE_GZIP} -9 -n -c ${CMAKE_CURRENT_BINARY_DIR}/veltrane-cli.1
          > ${veltrane_man_page}
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/veltrane-cli.1
  VERBATIM)
add_custom_target(veltrane_man_page ALL DEPENDS ${veltrane_man_page})
install(FILES ${veltrane_man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(VELTRANE_QT)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${VELTRANE_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltrane)
set(CPACK_PACKAGE_VENDOR "The Veltrane developers")
set(CPACK_PACKAGE_CONTACT "The Veltrane developers <veltrane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tonearm alignment templates and strobe disks")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Veltrane computes the alignment of a pivoted tonearm's cartridge (null radii,\n\
effective length, overhang, offset angle for Löfgren A, Löfgren B and\n\
Stevenson A) and prints a full-scale arc alignment template and stroboscope\n\
disks for 50 Hz and 60 Hz mains. veltrane-cli gives the same results on the\n\
command line and writes the pages as PDF, SVG or PNG.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# veltrane_<version>_<architecture>.deb, the architecture from dpkg.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The Qt, qpdf and C++ runtime libraries come from dpkg-shlibdeps. The pages ask for "Arial", which
# fontconfig maps to Liberation Sans; Qt loads its platform plugins at run time, so no linked
# library names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-qpa-plugins")
include(CPack)
