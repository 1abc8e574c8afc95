# Cross build for 64-bit Windows with Debian's mingw-w64 (POSIX threads variant).
#
#   cmake -S . -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64.cmake
#
# wxWidgets comes from scripts/build-wx-mingw (its install folder in KAVRIN_WX_MINGW_PREFIX,
# default /var/cache/kavrin/wx-mingw-3.2). Header-only libraries for the Windows side (fmt,
# CLI11, nlohmann-json, Boost) are looked up under KAVRIN_MINGW_DEPS, a folder with include/
# and lib/cmake/ that scripts/build-windows lays out.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KAVRIN_MINGW_HOST x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KAVRIN_MINGW_HOST}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KAVRIN_MINGW_HOST}-g++-posix)
set(CMAKE_RC_COMPILER ${KAVRIN_MINGW_HOST}-windres)

if(NOT KAVRIN_WX_MINGW_PREFIX)
    if(DEFINED ENV{KAVRIN_WX_MINGW_PREFIX})
        set(KAVRIN_WX_MINGW_PREFIX $ENV{KAVRIN_WX_MINGW_PREFIX})
    else()
        set(KAVRIN_WX_MINGW_PREFIX /var/cache/kavrin/wx-mingw-3.2)
    endif()
endif()
if(NOT KAVRIN_MINGW_DEPS AND DEFINED ENV{KAVRIN_MINGW_DEPS})
    set(KAVRIN_MINGW_DEPS $ENV{KAVRIN_MINGW_DEPS})
endif()
# try_compile projects see these too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KAVRIN_WX_MINGW_PREFIX KAVRIN_MINGW_DEPS)

# Libraries and headers only from the MinGW sysroot, the wxWidgets build and the staged headers,
# never from the build machine's /usr; programs (wx-config, windres) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KAVRIN_MINGW_HOST} ${KAVRIN_WX_MINGW_PREFIX})
if(KAVRIN_MINGW_DEPS)
    list(APPEND CMAKE_FIND_ROOT_PATH ${KAVRIN_MINGW_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# FindwxWidgets uses wx-config when cross compiling.
set(wxWidgets_CONFIG_EXECUTABLE ${KAVRIN_WX_MINGW_PREFIX}/bin/wx-config)
