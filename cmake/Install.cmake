# Installing on Linux as a desktop program: the two executables, the desktop entry and
# AppStream metainfo under the application id, the icon in the hicolor theme, the manual
# pages (built from their scdoc sources), the README and the licence as documentation.
#   cmake --install build/release --prefix /usr/local

include(GNUInstallDirs)
set(ORVEL_APP_ID example.orvel.OrvelAX9)
set(ORVEL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/orvelax9)

install(TARGETS OrvelAX9 orvelax9-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/${ORVEL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/${ORVEL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 64 256)
  install(FILES ${CMAKE_SOURCE_DIR}/data/icons/${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${ORVEL_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/window.png DESTINATION ${ORVEL_DOC_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${ORVEL_DOC_DIR} RENAME copyright)

# Manual pages: scdoc turns the sources in docs/man/ into roff, compressed as Debian keeps them.
find_program(SCDOC scdoc REQUIRED)
set(man_pages "")
foreach(page OrvelAX9.1 orvelax9-sim.1)
  set(out ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND sh -c "'${SCDOC}' < '${CMAKE_SOURCE_DIR}/docs/man/${page}.scd' | gzip -9n > '${out}'"
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${page}.scd
    COMMENT "Manual page ${page}"
    VERBATIM)
  list(APPEND man_pages ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(manpages ALL DEPENDS ${man_pages})
