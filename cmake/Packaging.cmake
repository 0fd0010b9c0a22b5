# Installation and the Debian package (cpack -G DEB), kept together so the layout is seen whole:
#   lib/brodix/       brodix, brodix-chart and the symbol sheet Brodix.bmp: the programs look
#                     for the sheet beside their real executable (/proc/self/exe)
#   bin/              relative symbolic links to the two programs
#   share/...         manual pages, desktop entry, AppStream metadata, icons, sample pictures
#   share/doc/brodix/ copyright and changelog, as Debian packages carry them
include(GNUInstallDirs)

# The release date, in the changelog, the manual pages and the AppStream metadata.
set(BRODIX_RELEASE_DATE "2026-12-07")
set(BRODIX_MAINTAINER "Brodix maintainers <maintainers@users.noreply.c-seed-03f4db90.example>")
set(BRODIX_PRIVATE_DIR lib/brodix)
set(BRODIX_STAGE ${CMAKE_BINARY_DIR}/packaging)

set(BRODIX_PROGRAMS brodix-chart)
if(TARGET brodix)
  list(APPEND BRODIX_PROGRAMS brodix)
endif()
install(TARGETS ${BRODIX_PROGRAMS} RUNTIME DESTINATION ${BRODIX_PRIVATE_DIR})
# The whole global offset table read-only (Debian's hardening, "bindnow"); costs only linking.
foreach(program IN LISTS BRODIX_PROGRAMS)
  target_link_options(${program} PRIVATE -Wl,-z,relro,-z,now)
endforeach()
install(FILES ${BRODIX_SYMBOL_SHEET} DESTINATION ${BRODIX_PRIVATE_DIR})
file(MAKE_DIRECTORY ${BRODIX_STAGE}/bin)
foreach(program IN LISTS BRODIX_PROGRAMS)
  # Made in the build tree and installed as links.
  file(CREATE_LINK ../${BRODIX_PRIVATE_DIR}/${program} ${BRODIX_STAGE}/bin/${program} SYMBOLIC)
  install(FILES ${BRODIX_STAGE}/bin/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

# Dates in the manual pages and the changelog follow the release, not the build.
execute_process(COMMAND date -u -d ${BRODIX_RELEASE_DATE} "+%B %Y"
                OUTPUT_VARIABLE BRODIX_MAN_DATE OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND date -u -R -d "${BRODIX_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE BRODIX_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE)

# Manual pages and the changelog are installed compressed (gzip -n: no name or time inside).
set(BRODIX_COMPRESSED)
function(brodix_compress source name)
  configure_file(${source} ${BRODIX_STAGE}/${name} @ONLY)
  add_custom_command(OUTPUT ${BRODIX_STAGE}/${name}.gz
    COMMAND gzip -9nkf ${BRODIX_STAGE}/${name}
    DEPENDS ${BRODIX_STAGE}/${name} VERBATIM)
  set(BRODIX_COMPRESSED ${BRODIX_COMPRESSED} ${BRODIX_STAGE}/${name}.gz PARENT_SCOPE)
endfunction()
foreach(program IN LISTS BRODIX_PROGRAMS)
  brodix_compress(docs/man/${program}.1.in ${program}.1)
  install(FILES ${BRODIX_STAGE}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
brodix_compress(packaging/changelog.in changelog)
add_custom_target(brodix_compressed ALL DEPENDS ${BRODIX_COMPRESSED})

set(BRODIX_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/brodix)
install(FILES packaging/copyright ${BRODIX_STAGE}/changelog.gz DESTINATION ${BRODIX_DOC_DIR})
install(FILES examples/flower.bmp examples/sunset.bmp
        DESTINATION ${CMAKE_INSTALL_DATADIR}/brodix/examples)

if(TARGET brodix)
  install(FILES ui/desktop/brodix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(packaging/org.brodix.brodix.metainfo.xml
                 ${BRODIX_STAGE}/org.brodix.brodix.metainfo.xml @ONLY)
  install(FILES ${BRODIX_STAGE}/org.brodix.brodix.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ui/icons/brodix-32.xpm DESTINATION ${CMAKE_INSTALL_DATADIR}/pixmaps
          RENAME brodix.xpm)
  foreach(size 48 64 128 256)
    install(FILES ui/icons/brodix-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME brodix.png)
  endforeach()
endif()

# Each program's manual page describes every option its --help names.
if(BRODIX_BUILD_TESTS)
  foreach(program IN LISTS BRODIX_PROGRAMS)
    add_test(NAME man_page_options.${program}
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/man_page_options.sh
                     $<TARGET_FILE:${program}> ${CMAKE_SOURCE_DIR}/docs/man/${program}.1.in)
  endforeach()
  # Every brodix-chart command and demo script the README shows runs as written.
  add_test(NAME readme_examples
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/readme_examples.sh ${CMAKE_BINARY_DIR}
                   ${CMAKE_SOURCE_DIR})
endif()

set(CPACK_PACKAGE_NAME brodix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${BRODIX_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "counted cross-stitch charts from small pictures")
set(CPACK_PACKAGE_DESCRIPTION "\
Brodix turns a picture into a counted cross-stitch chart: a BMP of at most
200 x 200 pixels stitch for stitch, or a PNG, JPEG, GIF or BMP photo of any
size fitted to up to 200 x 200 stitches. Each colour gets a symbol, and a
legend lists each colour's swatch, symbol and stitch count. It names the DMC,
Anchor or Madeira thread of every colour with the floss to buy, can chart in
thread colours with a colour budget and without stray stitches, and saves the
chart as BMP files cut into numbered pages or as one PDF ready to print. The
window program brodix and the command brodix-chart share the same engine.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Added to what dpkg-shlibdeps finds: the fonts the charts and windows are drawn with, and
# Qt's platform plugins, without which the window cannot open (Qt only recommends them).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic, fonts-dejavu-core")
if(TARGET brodix)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", qt6-qpa-plugins")
endif()
# Thread catalogues.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS kxstitch-common)
set(CPACK_GENERATOR DEB)
include(CPack)
