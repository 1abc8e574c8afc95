# Windows specifics of kavrin.exe and kavrin-cli.exe: the resources of res/kavrin.rc (manifest
# asking for common controls 6, the icon group "AAAA", and for kavrin.exe the toolkit's standard
# resources), the GUI subsystem for kavrin.exe, and a static C/C++ runtime so that both programs
# run without MinGW's DLLs. Included by the top-level CMakeLists.txt after the targets exist.
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

# Compiles res/kavrin.rc into an object file linked into `target`. Extra arguments go to
# windres (defines and include folders).
function(kavrin_add_windows_resources target)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}-resources.o)
    add_custom_command(
        OUTPUT ${out}
        COMMAND ${KAVRIN_WINDRES} -O coff --include-dir ${KAVRIN_RES_DIR} ${ARGN}
                -i ${KAVRIN_RES_DIR}/kavrin.rc -o ${out}
        DEPENDS ${KAVRIN_RES_DIR}/kavrin.rc ${KAVRIN_RES_DIR}/kavrin.manifest
                ${KAVRIN_RES_DIR}/ico2.ico
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
