# What `cmake --install` puts where, and how CPack packs it: a Debian package from the
# Linux build, a zip from the Windows build. The version is the project's own; the man
# page, the Windows read-me and the packages all take it from there.

set(PELCOR_MAINTAINER "Pelcor maintainers <pelcor@example.org>"
    CACHE STRING "The maintainer named in the Debian package and its changelog")

set(CPACK_PACKAGE_NAME pelcor)
set(CPACK_PACKAGE_VENDOR "Pelcor maintainers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "convert Cyrillic text files in place between code pages 866 and 1251")
set(CPACK_PACKAGE_DESCRIPTION
    "Pelcor converts one text file in place between the DOS Cyrillic code
page 866 and the Windows Cyrillic code page 1251, block by block, without a
temporary file, so that the text reads right in the other code page: a
character both code pages have comes out as itself, any other becomes the
nearest look-alike in one byte, never a letter where there was a sign. ASCII,
line ends and the letters stay as they are, and the file keeps its length. Failures to open, read or write the file are reported
on the console and answered with Ignore, Repeat or Abort.")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)

if(WIN32)
  # One folder for Windows users, pelcor-<version>-win32, so that unpacking puts nothing
  # else into the folder it is unpacked in: the program and a read-me in UTF-8 with a
  # byte order mark and CR LF line ends, so that Notepad shows the Russian.
  configure_file(${PROJECT_SOURCE_DIR}/docs/readme-windows.txt
                 ${PROJECT_BINARY_DIR}/readme-windows.txt @ONLY)
  file(READ ${PROJECT_BINARY_DIR}/readme-windows.txt readme)
  string(REPLACE "\n" "\r\n" readme "${readme}")
  string(ASCII 239 187 191 bom)
  file(WRITE ${PROJECT_BINARY_DIR}/readme.txt "${bom}${readme}")

  install(TARGETS pelcor RUNTIME DESTINATION .)
  install(FILES ${PROJECT_BINARY_DIR}/readme.txt DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME pelcor-${PROJECT_VERSION}-win32)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)  # named as the zip
else()
  include(GNUInstallDirs)

  # The man page names the project's version and is installed compressed, as man-db
  # reads it and Debian wants it.
  configure_file(${PROJECT_SOURCE_DIR}/docs/pelcor.1 ${PROJECT_BINARY_DIR}/pelcor.1 @ONLY)
  # The Debian changelog names this version, dated when the build was configured (or by
  # SOURCE_DATE_EPOCH where that is set).
  string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(${PROJECT_SOURCE_DIR}/docs/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)

  # gzip -n leaves the name and time out of the header: the same input gives the same bytes.
  foreach(doc pelcor.1 changelog)
    add_custom_command(
      OUTPUT ${PROJECT_BINARY_DIR}/${doc}.gz
      COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/${doc} > ${PROJECT_BINARY_DIR}/${doc}.gz
      DEPENDS ${PROJECT_BINARY_DIR}/${doc}
      VERBATIM)
  endforeach()
  add_custom_target(pelcor_docs ALL DEPENDS ${PROJECT_BINARY_DIR}/pelcor.1.gz
                                            ${PROJECT_BINARY_DIR}/changelog.gz)

  install(TARGETS pelcor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_BINARY_DIR}/pelcor.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/docs/copyright ${PROJECT_BINARY_DIR}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/pelcor)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PELCOR_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The dependencies are those of the binary, as dpkg-shlibdeps (dpkg-dev) finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
endif()

include(CPack)
