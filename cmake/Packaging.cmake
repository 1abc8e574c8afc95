# Install rules for the two programs and their desktop integration, and the Debian package.
# Included by the top-level CMakeLists.txt after every target is defined.
#
#   cmake --install BUILD [--prefix /usr/local]   # programs, desktop entry, icons, manual page
#   cpack --config BUILD/CPackConfig.cmake        # BUILD/kavrin_<version>_<arch>.deb
include(GNUInstallDirs)

set(_kavrin_res ${PROJECT_SOURCE_DIR}/res)

# The desktop program with what makes it appear in the desktop's application list: the entry
# under share/applications and its icon in the hicolor theme (the PNGs that
# scripts/make-hicolor-icons renders, plus the SVG as the scalable size).
if(TARGET kavrin)
    install(TARGETS kavrin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${_kavrin_res}/kavrin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    if(EXISTS ${_kavrin_res}/icons/hicolor)
        install(DIRECTORY ${_kavrin_res}/icons/hicolor
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
                FILES_MATCHING PATTERN "kavrin.png")
    endif()
    if(EXISTS ${_kavrin_res}/kavrin.svg)
        install(FILES ${_kavrin_res}/kavrin.svg
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    endif()
endif()

# The command-line companion and its manual page, compressed as Debian installs manual pages
# (gzip -n leaves out the time stamp, so the package is the same from one build to the next).
if(TARGET kavrin-cli)
    install(TARGETS kavrin-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

    set(_kavrin_man ${PROJECT_SOURCE_DIR}/docs/kavrin-cli.1)
    find_program(KAVRIN_GZIP gzip)
    mark_as_advanced(KAVRIN_GZIP)
    if(KAVRIN_GZIP)
        set(_kavrin_man_gz ${CMAKE_CURRENT_BINARY_DIR}/kavrin-cli.1.gz)
        add_custom_command(
            OUTPUT ${_kavrin_man_gz}
            COMMAND ${KAVRIN_GZIP} -9 -n -c ${_kavrin_man} > ${_kavrin_man_gz}
            DEPENDS ${_kavrin_man}
            COMMENT "Compressing the manual page kavrin-cli.1"
            VERBATIM)
        add_custom_target(kavrin-cli-man ALL DEPENDS ${_kavrin_man_gz})
        install(FILES ${_kavrin_man_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    else()
        install(FILES ${_kavrin_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
endif()

# The Debian package, made by `cpack` in the build directory.
set(KAVRIN_PACKAGE_MAINTAINER "Kavrin developers <kavrin@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kavrin)
set(CPACK_PACKAGE_VENDOR "Kavrin")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${KAVRIN_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "busy-wait delay routine generator for PIC midrange microcontrollers")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME kavrin)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # kavrin_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KAVRIN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kavrin turns an oscillator frequency and a wanted delay into a PIC midrange
assembler subroutine of two or three nested DECFSZ loops with nop and goto $+1
filler, and reports the delay reached and its error.
.
The package holds the desktop program kavrin (wxWidgets) and its command-line
companion kavrin-cli, which prints the same routine for scripts and build
systems, optionally as JSON or laid out for gpasm.")
# The run-time libraries (wxWidgets, GTK, the C++ library) are found by dpkg-shlibdeps in
# the programs themselves rather than listed by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")

include(CPack)
