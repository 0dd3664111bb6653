# What `cmake --install` adds besides the programs, the desktop entry and the icons (installed
# where they are built), and the Debian package CPack makes of it: `cpack -G DEB` in a build
# folder, or scripts/package.
include(GNUInstallDirs)

set(VELTRANE_APP_ID org.veltrane.veltrane)

set(CPACK_PACKAGE_NAME veltrane)
set(CPACK_PACKAGE_VENDOR "The Veltrane developers")
set(CPACK_PACKAGE_CONTACT "The Veltrane developers <veltrane@veltrane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tonearm alignment templates and strobe disks")
# The project's licence, by its SPDX identifier where a format asks for one.
set(VELTRANE_LICENSE MIT)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)

# The Windows program is handed out as a zip: the programs, the README and the licence.
if(WIN32)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME veltrane-${PROJECT_VERSION}-windows-x86_64)
  set(CPACK_STRIP_FILES ON)
  include(CPack)
  return()
endif()

find_program(VELTRANE_GZIP gzip REQUIRED)
# Debian wants manual pages and changelogs compressed, and reproducibly: no name or time stamp
# in the gzip header (-n).
function(veltrane_gzip input output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${VELTRANE_GZIP} -9 -n -c ${input} > ${output}
    DEPENDS ${input}
    VERBATIM)
endfunction()

# The man pages and the AppStream file carry the version of project(VERSION).
configure_file(${PROJECT_SOURCE_DIR}/packaging/${VELTRANE_APP_ID}.metainfo.xml.in
               ${CMAKE_CURRENT_BINARY_DIR}/${VELTRANE_APP_ID}.metainfo.xml @ONLY)
set(veltrane_man_pages)
set(veltrane_programs veltrane-cli)
if(VELTRANE_QT)
  list(APPEND veltrane_programs veltrane)
endif()
foreach(program IN LISTS veltrane_programs)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/${program}.1.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${program}.1 @ONLY)
  veltrane_gzip(${CMAKE_CURRENT_BINARY_DIR}/${program}.1 ${CMAKE_CURRENT_BINARY_DIR}/${program}.1.gz)
  list(APPEND veltrane_man_pages ${CMAKE_CURRENT_BINARY_DIR}/${program}.1.gz)
endforeach()
install(FILES ${veltrane_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The package's own documents: the README (the help window points the user to it), the
# licence in Debian's machine-readable copyright format, and the package's changelog. The
# package has a Debian revision, so its changelog is changelog.Debian.gz.
set(VELTRANE_DEB_VERSION ${PROJECT_VERSION}-1)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE veltrane_licence)
string(FIND "${veltrane_licence}" "Permission" veltrane_terms_start)
string(SUBSTRING "${veltrane_licence}" ${veltrane_terms_start} -1 veltrane_terms)
string(STRIP "${veltrane_terms}" veltrane_terms)
string(REPLACE "\n\n" "\n.\n" veltrane_terms "${veltrane_terms}")
string(REPLACE "\n" "\n " veltrane_terms " ${veltrane_terms}")
# Debian's short name for the licence SPDX calls MIT is Expat.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Veltrane
Upstream-Contact: ${CPACK_PACKAGE_CONTACT}

Files: *
Copyright: 2026 The Veltrane developers
License: Expat
Comment: SPDX-License-Identifier: ${VELTRANE_LICENSE}

License: Expat
${veltrane_terms}
")
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.Debian.in
               ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian @ONLY)
set(veltrane_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz)
veltrane_gzip(${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian ${veltrane_changelog})
add_custom_target(veltrane_package_documents ALL DEPENDS ${veltrane_man_pages} ${veltrane_changelog})
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_CURRENT_BINARY_DIR}/copyright
              ${veltrane_changelog}
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(VELTRANE_QT)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${VELTRANE_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
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
# The Qt and C++ runtime libraries come from dpkg-shlibdeps. The pages ask for "Arial", which
# fontconfig maps to Liberation Sans; Qt loads its platform plugins at run time, so no linked
# library names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2, qt6-qpa-plugins")
include(CPack)
