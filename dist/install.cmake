# What an installation holds, the desktop integration and the Debian package.
# Included from the top-level CMakeLists.txt once every target exists.
#
#   cmake --install build --prefix P      (or make install PREFIX=P [DESTDIR=D])
#   make uninstall                         removes what build/install_manifest.txt lists
#   make package                           build/kestrel_<version>_<arch>.deb

set(KESTREL_APP_ID org.kestrel.Kestrel)
set(KESTREL_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/kestrel)
set(KESTREL_DIST ${CMAKE_SOURCE_DIR}/dist)

# The version as the program shows it (8.2c), from the program's own header.
file(STRINGS ${CMAKE_SOURCE_DIR}/app/shell/version.h version_lines
    REGEX "constexpr (int|char|long) kVersion")
foreach(line ${version_lines})
    if(line MATCHES "kVersionMajor = ([0-9]+)")
        set(version_major ${CMAKE_MATCH_1})
    elseif(line MATCHES "kVersionMinor = ([0-9]+)")
        set(version_minor ${CMAKE_MATCH_1})
    elseif(line MATCHES "kVersionLetter = '([a-z]*)'")
        set(version_letter ${CMAKE_MATCH_1})
    endif()
endforeach()
set(KESTREL_VERSION_TEXT "${version_major}.${version_minor}${version_letter}")

install(TARGETS kestrel-cli RUNTIME DESTINATION ${KESTREL_INSTALL_BINDIR})
# The two libraries are loaded by path, never linked: they live in a folder
# of their own, found from bin/ by the library lookup.
foreach(runtime Brackenly32 Wendover32)
    if(TARGET ${runtime})
        install(TARGETS ${runtime}
            LIBRARY DESTINATION ${KESTREL_INSTALL_PKGLIBDIR}
            RUNTIME DESTINATION ${KESTREL_INSTALL_PKGLIBDIR})
    endif()
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/app/qt/help/kestrel.html ${CMAKE_SOURCE_DIR}/README.md
    DESTINATION ${KESTREL_INSTALL_DOCDIR})
install(FILES ${KESTREL_DIST}/man/kestrel-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# bash-completion loads a file named after the command when it is first completed.
install(FILES ${KESTREL_DIST}/completion/kestrel.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kestrel-cli)

if(TARGET kestrel)
    install(TARGETS kestrel RUNTIME DESTINATION ${KESTREL_INSTALL_BINDIR})
    install(FILES ${KESTREL_DIST}/man/kestrel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${KESTREL_DIST}/completion/kestrel.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kestrel)
    install(FILES ${KESTREL_DIST}/${KESTREL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${KESTREL_DIST}/${KESTREL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${KESTREL_DIST}/kestrel-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME kestrel.xml)

    # The icon in every size, drawn at build time from one description.
    add_executable(kestrel-icons ${KESTREL_DIST}/icons/render_icons.cpp)
    target_link_libraries(kestrel-icons PRIVATE Qt6::Gui)
    set_target_properties(kestrel-icons PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/dist)
    set(icon_dir ${CMAKE_BINARY_DIR}/dist/icons)
    set(icon_stamp ${icon_dir}/hicolor/scalable/apps/${KESTREL_APP_ID}.svg)
    add_custom_command(OUTPUT ${icon_stamp}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${icon_dir}
        COMMAND kestrel-icons ${icon_dir} ${KESTREL_APP_ID}
        DEPENDS kestrel-icons
        COMMENT "Drawing the program icon"
        VERBATIM)
    add_custom_target(kestrel_icons ALL DEPENDS ${icon_stamp})
    install(DIRECTORY ${icon_dir}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

# The Debian package: everything above under /usr, its dependencies read
# from the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrel)
set(CPACK_PACKAGE_VERSION ${KESTREL_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "The Kestrel developers")
set(CPACK_PACKAGE_CONTACT "The Kestrel developers <kestrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "file manager, viewer and converter for TI-99/4A files")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrel shows TI-99/4A files as they are kept on a PC in two panes: files with\n"
    "TIFILES, V9T9 and Classic99 headers, floppy disk images, PC99 track images, ARC\n"
    "archives, SCSI/IDE/WDS hard-disk images and CF7A+ compact-flash cards. It lists\n"
    "Extended BASIC programs, shows records, hex dumps and pictures, copies files and\n"
    "converts them to PC files and back. kestrel-cli is the same core on the command line.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME_SKIP_COMPONENT ON)
include(CPack)

# cmake --build build --target uninstall: the files of the last install.
add_custom_target(uninstall
    COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
            -P ${KESTREL_DIST}/uninstall.cmake
    VERBATIM)
