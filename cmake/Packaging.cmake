# Install rules for the two programs, their desktop integration and documents, and the Debian
# package. Included by the top-level CMakeLists.txt after every target is defined.
#
#   cmake --install BUILD [--prefix /usr/local]   # programs, desktop entry, icons, manual pages
#   cpack --config BUILD/CPackConfig.cmake        # BUILD/kavrin_<version>_<arch>.deb
#
# Set SOURCE_DATE_EPOCH (the commit's time) for cpack: every file in the package then bears
# that time, and the package is the same bytes from one build to the next.
include(GNUInstallDirs)

set(_kavrin_res ${PROJECT_SOURCE_DIR}/res)
set(_kavrin_docs ${PROJECT_SOURCE_DIR}/docs)

# A program, stripped of the .comment and .note sections too when the install strips (as the
# Debian package does), like Debian's own packages.
function(kavrin_install_program target)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(CMAKE_STRIP AND NOT WIN32)
        set(file "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${target}>")
        install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                            \"${file}\" COMMAND_ERROR_IS_FATAL ANY)
endif()")
    endif()
endfunction()

# A document installed compressed as Debian installs manual pages and changelogs. gzip -n leaves
# out the name and time stamp, so the file is the same from one build to the next.
find_program(KAVRIN_GZIP gzip)
mark_as_advanced(KAVRIN_GZIP)
function(kavrin_install_gzipped source destination)
    get_filename_component(name ${source} NAME)
    if(NOT KAVRIN_GZIP)
        install(FILES ${source} DESTINATION ${destination})
        return()
    endif()
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
    add_custom_command(
        OUTPUT ${out}
        COMMAND ${KAVRIN_GZIP} -9 -n -c ${source} > ${out}
        DEPENDS ${source}
        COMMENT "Compressing ${name}"
        VERBATIM)
    add_custom_target(${name}-gz ALL DEPENDS ${out})
    install(FILES ${out} DESTINATION ${destination})
endfunction()

# The latest entry of the package's changelog must be this version; its date is the release date
# in the AppStream metadata.
set(_kavrin_changelog ${_kavrin_res}/debian/changelog)
file(STRINGS ${_kavrin_changelog} _kavrin_entry LIMIT_COUNT 1)
string(REPLACE "." "[.]" _kavrin_version_pattern "${PROJECT_VERSION}")
if(NOT _kavrin_entry MATCHES "^kavrin \\(${_kavrin_version_pattern}\\) ")
    message(FATAL_ERROR "res/debian/changelog: the latest entry is not version ${PROJECT_VERSION}")
endif()
file(STRINGS ${_kavrin_changelog} _kavrin_trailer REGEX "^ -- " LIMIT_COUNT 1)
if(NOT _kavrin_trailer MATCHES ", ([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    message(FATAL_ERROR "res/debian/changelog: no date in the latest entry's trailer line")
endif()
set(_kavrin_day ${CMAKE_MATCH_1})
set(_kavrin_year ${CMAKE_MATCH_3})
set(_kavrin_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND _kavrin_months ${CMAKE_MATCH_2} _kavrin_month)
math(EXPR _kavrin_month "${_kavrin_month} + 1")
foreach(_part _kavrin_month _kavrin_day)
    string(LENGTH "${${_part}}" _length)
    if(_length EQUAL 1)
        set(${_part} 0${${_part}})
    endif()
endforeach()
set(KAVRIN_RELEASE_DATE ${_kavrin_year}-${_kavrin_month}-${_kavrin_day})

# The desktop program with what makes it appear in the desktop's application list and in
# software centres: the entry under share/applications, its icon in the hicolor theme (the PNGs
# that scripts/make-hicolor-icons renders, plus the SVG as the scalable size), its manual page and
# its AppStream metadata.
if(TARGET kavrin)
    kavrin_install_program(kavrin)
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
    kavrin_install_gzipped(${_kavrin_docs}/kavrin.1 ${CMAKE_INSTALL_MANDIR}/man1)

    # The component id must not change once published: software centres keep reviews and updates
    # under it. example.org, as in the Maintainer field, stands for the project's own domain,
    # which replaces it before the first listing in a software centre.
    set(KAVRIN_APPSTREAM_ID org.example.kavrin)
    set(_kavrin_metainfo ${CMAKE_CURRENT_BINARY_DIR}/${KAVRIN_APPSTREAM_ID}.metainfo.xml)
    configure_file(${_kavrin_res}/kavrin.metainfo.xml.in ${_kavrin_metainfo} @ONLY)
    install(FILES ${_kavrin_metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()

# The command-line companion and its manual page.
if(TARGET kavrin-cli)
    kavrin_install_program(kavrin-cli)
    kavrin_install_gzipped(${_kavrin_docs}/kavrin-cli.1 ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The licence in Debian's machine-readable copyright format, and the changelog.
install(FILES ${_kavrin_res}/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
kavrin_install_gzipped(${_kavrin_changelog} ${CMAKE_INSTALL_DOCDIR})

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
# Control files with the modes dpkg-deb would give them (0644, maintainer scripts 0755).
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")

include(CPack)
