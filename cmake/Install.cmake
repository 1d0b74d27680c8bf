# Installing the programs the Debian way (cmake --install, scripts/package.sh):
# binaries on the PATH, the desktop entry with its icon and AppStream
# metainfo, manual pages made from each tool's own --help, and an example
# systemd unit for the headless scheduler under the documentation folder.
include(GNUInstallDirs)

install(TARGETS k71t k71t-cli k71t-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/k71t.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/k71t.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
configure_file(packaging/pl.k71t.K71T.metainfo.xml ${CMAKE_BINARY_DIR}/packaging/pl.k71t.K71T.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/pl.k71t.K71T.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/k71t-automat.service DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES README.md packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The operator's manual with its pictures, beside each other as in docs/.
install(FILES docs/MANUAL.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/screenshots DESTINATION ${CMAKE_INSTALL_DOCDIR} FILES_MATCHING PATTERN "*.png")
# The changelog of a native package, compressed as Debian wants it.
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_target(changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Manual pages from --help at build time, so they never drift from the
# programs. help2man comes from scripts/setup.sh. The sanitizer and fuzz
# builds make none: they are not installed.
if(NOT K71T_SANITIZE AND NOT K71T_FUZZ)
find_program(HELP2MAN help2man REQUIRED)
set(k71t_manual_names
  "k71t:program do konfiguracji, podglądu i archiwum wskaźnika K71T"
  "k71t-cli:konfiguracja, odczyt i archiwum wskaźnika K71T z wiersza poleceń"
  "k71t-sim:symulator wskaźnika K71T (slave Modbus RTU)")
set(k71t_manual_pages)
foreach(entry ${k71t_manual_names})
  string(REPLACE ":" ";" parts "${entry}")
  list(GET parts 0 tool)
  list(GET parts 1 description)
  set(page ${CMAKE_BINARY_DIR}/man/${tool}.1.gz)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    # help2man works in the C locale unless told (Polish letters became
    # "??"); PERL_UNICODE=A reads the Polish --name as UTF-8.
    COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 PERL_UNICODE=A QT_QPA_PLATFORM=offscreen
            ${HELP2MAN} --locale=C.UTF-8 --no-info --section=1 --name=${description}
            --version-string=${PROJECT_VERSION} --output=${CMAKE_BINARY_DIR}/man/${tool}.1 $<TARGET_FILE:${tool}>
    COMMAND ${GZIP} -9nf ${CMAKE_BINARY_DIR}/man/${tool}.1
    DEPENDS ${tool}
    COMMENT "Manual page of ${tool}"
    VERBATIM)
  list(APPEND k71t_manual_pages ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(manpages ALL DEPENDS ${k71t_manual_pages})
endif()

# The .deb (scripts/package.sh): Depends computed from the shared libraries,
# plus the Qt translations the program loads for its Qt dialogs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME k71t)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The maintainer's address: set K71T_MAINTAINER to the team's real one.
set(K71T_MAINTAINER "Zespół K71T <k71t@example.com>" CACHE STRING "Maintainer of the Debian package")
set(CPACK_PACKAGE_CONTACT "${K71T_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${K71T_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration, monitoring and archive tool for the K71T panel meter")
# The synopsis comes from the summary; this is the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "K71T reaches the K71T panel meter over a serial port as a Modbus RTU
slave: it configures the meter page by page or all at once, keeps
configurations in files, monitors it live, downloads its archive into
binary and tab-separated files and a MySQL table, runs scheduled
downloads (also headless, with k71t-cli), builds monthly files from the
meter's memory card and charts archived data. k71t-sim simulates the
meter. The program speaks Polish.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
include(CPack)
