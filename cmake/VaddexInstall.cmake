# What `cmake --install` puts where (GNU layout), and the Debian package `cpack -G DEB` makes
# of it.

install(TARGETS vaddex vaddex-cli zqsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The calculator programs and the help pages the programs look for in their data folder.
install(FILES data/ArchK7.zq data/ArchK8.zq data/XSrvrK7.zq
        DESTINATION ${VADDEX_DATA_DESTINATION})
install(DIRECTORY data/help DESTINATION ${VADDEX_DATA_DESTINATION})

install(FILES data/vaddex.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/org.vaddex.Vaddex.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The types of .zq and .zqbackup files. The Debian package needs no script for them:
# shared-mime-info's trigger on this folder rebuilds the database.
install(FILES data/org.vaddex.Vaddex.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES data/completion/vaddex-cli
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The application icon: the drawing itself, and pictures of it in the sizes desktops that do
# not scale SVG look for, rendered at build time.
set(VADDEX_ICON_SOURCE ${CMAKE_SOURCE_DIR}/data/icons/vaddex.svg)
install(FILES ${VADDEX_ICON_SOURCE} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(VADDEX_ICON_PICTURES)
foreach(size 16 22 24 32 48 64 128 256)
    set(picture ${CMAKE_BINARY_DIR}/icons/${size}x${size}/vaddex.png)
    add_custom_command(OUTPUT ${picture}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
        COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${picture}
                ${VADDEX_ICON_SOURCE}
        DEPENDS ${VADDEX_ICON_SOURCE}
        VERBATIM)
    list(APPEND VADDEX_ICON_PICTURES ${picture})
    install(FILES ${picture} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages, compressed as Debian wants them (-n: no time stamp, so builds repeat).
find_program(GZIP gzip REQUIRED)
set(VADDEX_MAN_PAGES)
foreach(page vaddex.1 vaddex-cli.1 zqsim.1)
    set(compressed ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${GZIP} -9 -n -c ${CMAKE_SOURCE_DIR}/data/man/${page} > ${compressed}
        DEPENDS ${CMAKE_SOURCE_DIR}/data/man/${page})
    list(APPEND VADDEX_MAN_PAGES ${compressed})
    install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# Debian's copyright and changelog files, in the package's documentation folder.
set(VADDEX_DOC_DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vaddex)
set(VADDEX_CHANGELOG ${CMAKE_BINARY_DIR}/package/changelog.Debian.gz)
add_custom_command(OUTPUT ${VADDEX_CHANGELOG}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
    COMMAND ${GZIP} -9 -n -c ${CMAKE_SOURCE_DIR}/data/package/changelog > ${VADDEX_CHANGELOG}
    DEPENDS ${CMAKE_SOURCE_DIR}/data/package/changelog)
install(FILES data/package/copyright ${VADDEX_CHANGELOG} DESTINATION ${VADDEX_DOC_DESTINATION})

add_custom_target(vaddex_install_files ALL
    DEPENDS ${VADDEX_ICON_PICTURES} ${VADDEX_MAN_PAGES} ${VADDEX_CHANGELOG})

set(CPACK_PACKAGE_NAME vaddex)
set(CPACK_PACKAGE_VENDOR "The Vaddex developers")
set(CPACK_PACKAGE_CONTACT "The Vaddex developers <vaddex@users.noreply.invalid>")
# Whoever builds the package maintains it; the default's address is a placeholder to replace.
set(VADDEX_PACKAGE_MAINTAINER "Vaddex developers <packager@vaddex.invalid>"
    CACHE STRING "The Debian package's maintainer, as \"Name <address>\"")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VADDEX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "link a PC to a ZQ K7 or K8 graphing calculator")
set(CPACK_PACKAGE_DESCRIPTION
    "Vaddex talks to a ZQ K7 or K8 graphing calculator over a serial line or, for
the ZQK8G+, over USB. A file-browser window and a command line list the
calculator's directories, copy variables to and from PC files, back up and
restore the whole memory, capture the screen and run manual XModem transfers.
A simulated calculator (zqsim) lets every feature be tried without one.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window draws its icons from SVG through Qt's image plugin, which nothing links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
include(CPack)
