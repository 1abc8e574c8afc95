# Windows specifics of kavrin.exe and kavrin-cli.exe: the resources of res/kavrin.rc (manifest
# asking for common controls 6, the icon group "AAAA", the version, and for kavrin.exe the
# toolkit's standard resources), the GUI subsystem for kavrin.exe, and a static C/C++ runtime so
# that both programs run without MinGW's DLLs; the LICENSE and README.txt that go beside them in
# the zip and the installer, with Windows line ends; and the installer's WiX source. Included by
# the top-level CMakeLists.txt after the targets exist.
if(NOT WIN32)
    return()
endif()

set(KAVRIN_RES_DIR ${CMAKE_CURRENT_LIST_DIR}/../res)
get_filename_component(KAVRIN_RES_DIR ${KAVRIN_RES_DIR} ABSOLUTE)

if(CMAKE_RC_COMPILER)
    set(KAVRIN_WINDRES ${CMAKE_RC_COMPILER})
else()
    find_program(KAVRIN_WINDRES NAMES windres REQUIRED)
endif()

# The project's version in the manifest (four numbers) and in the version resource.
set(KAVRIN_RES_BINARY_DIR ${CMAKE_CURRENT_BINARY_DIR}/res)
set(KAVRIN_VERSION_QUAD ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
string(REPLACE "." "," KAVRIN_VERSION_NUMBERS ${KAVRIN_VERSION_QUAD})
configure_file(${KAVRIN_RES_DIR}/kavrin.manifest.in ${KAVRIN_RES_BINARY_DIR}/kavrin.manifest @ONLY)
file(CONFIGURE OUTPUT ${KAVRIN_RES_BINARY_DIR}/kavrin_version.h
     CONTENT "// Made by CMake from the project's version.
#define KAVRIN_VERSION_NUMBERS ${KAVRIN_VERSION_NUMBERS}
#define KAVRIN_VERSION_TEXT \"${PROJECT_VERSION}\"
")

# What goes beside the programs in the zip (scripts/build-windows), with CR LF line ends.
set(KAVRIN_WINDOWS_DIST_FILES_DIR ${CMAKE_CURRENT_BINARY_DIR}/dist-files)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${KAVRIN_WINDOWS_DIST_FILES_DIR}/LICENSE
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${KAVRIN_RES_DIR}/windows/README.txt.in ${KAVRIN_WINDOWS_DIST_FILES_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)

# The installer's WiX source with the icon of its shortcut and its entry among the installed
# programs; wixl finds the icon beside it. scripts/build-windows adds the catalogues and builds
# the .msi.
set(KAVRIN_WINDOWS_MSI_DIR ${CMAKE_CURRENT_BINARY_DIR}/msi)
configure_file(${KAVRIN_RES_DIR}/windows/kavrin.wxs.in ${KAVRIN_WINDOWS_MSI_DIR}/kavrin.wxs @ONLY)
configure_file(${KAVRIN_RES_DIR}/ico2.ico ${KAVRIN_WINDOWS_MSI_DIR}/kavrin.ico COPYONLY)

# Compiles res/kavrin.rc into an object file linked into `target`. Extra arguments go to
# windres (defines and include folders).
function(kavrin_add_windows_resources target)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources.o)
    add_custom_command(
        OUTPUT ${out}
        COMMAND ${KAVRIN_WINDRES} -O coff --include-dir ${KAVRIN_RES_BINARY_DIR}
                --include-dir ${KAVRIN_RES_DIR} ${ARGN} -i ${KAVRIN_RES_DIR}/kavrin.rc -o ${out}
        DEPENDS ${KAVRIN_RES_DIR}/kavrin.rc ${KAVRIN_RES_BINARY_DIR}/kavrin.manifest
                ${KAVRIN_RES_BINARY_DIR}/kavrin_version.h ${KAVRIN_RES_DIR}/ico2.ico
        COMMENT "Compiling Windows resources of ${target}"
        VERBATIM)
    add_custom_target(${target}-resources DEPENDS ${out})
    add_dependencies(${target} ${target}-resources)
    # An object file on the link line is always linked in whole.
    target_link_libraries(${target} PRIVATE ${out})
endfunction()

function(kavrin_link_static_runtime target)
    if(MINGW)
        target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
    endif()
endfunction()

if(TARGET kavrin-cli)
    kavrin_add_windows_resources(kavrin-cli)
    kavrin_link_static_runtime(kavrin-cli)
endif()

if(TARGET kavrin)
    find_package(wxWidgets REQUIRED COMPONENTS core base)
    set(wx_rc_args --define KAVRIN_WX_RESOURCES)
    foreach(dir IN LISTS wxWidgets_INCLUDE_DIRS)
        list(APPEND wx_rc_args --include-dir ${dir})
    endforeach()
    foreach(def IN LISTS wxWidgets_DEFINITIONS)
        list(APPEND wx_rc_args --define ${def})
    endforeach()
    kavrin_add_windows_resources(kavrin ${wx_rc_args})
    set_target_properties(kavrin PROPERTIES WIN32_EXECUTABLE ON)
    kavrin_link_static_runtime(kavrin)
    # The window tests run with the program's resources, manifest included, so that they see
    # the window as the program shows it (common controls 6, DPI awareness).
    if(TARGET gui_tests)
        kavrin_add_windows_resources(gui_tests ${wx_rc_args})
        kavrin_link_static_runtime(gui_tests)
    endif()
endif()
