# Cross build for 64-bit ARM Linux with Debian's cross compiler (package g++-aarch64-linux-gnu):
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake \
#         -DKAVRIN_BUILD_GUI=OFF -DKAVRIN_BUILD_TESTS=OFF -DKAVRIN_BUILD_BENCHMARKS=OFF
# The programs run on an x86-64 machine under qemu-user: qemu-aarch64 -L /usr/aarch64-linux-gnu.
#
# No arm64 packages are needed. Debian's cross compiler searches /usr/include after its own
# headers, so the header-only libraries (Boost, CLI11, nlohmann-json) of the native -dev packages
# serve as they are, and fmt is used header-only (FMT_HEADER_ONLY) instead of linking the native
# x86-64 libfmt.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(KAVRIN_CROSS_TRIPLET aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${KAVRIN_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${KAVRIN_CROSS_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${KAVRIN_CROSS_TRIPLET})

# Libraries come from the cross toolchain's own tree only, never from the x86-64 /usr/lib;
# programs (build tools) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KAVRIN_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
# Headers and package files are searched in the host's /usr too, for the header-only libraries.
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/${KAVRIN_CROSS_TRIPLET})

# Boost: header-only use; its CMake package files under /usr/lib/x86_64-linux-gnu belong to the
# host, so Boost is located from its headers.
set(Boost_NO_BOOST_CMAKE ON CACHE BOOL "Locate Boost from its headers")

# fmt: a package file that gives fmt::fmt as the header-only library, written into the build
# directory and found before the host's one.
if(CMAKE_BINARY_DIR)
    set(KAVRIN_FMT_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/cross-packages/fmt)
    if(NOT EXISTS ${KAVRIN_FMT_HEADER_ONLY_DIR}/fmt-config.cmake)
        file(WRITE ${KAVRIN_FMT_HEADER_ONLY_DIR}/fmt-config.cmake [=[
# fmt as a header-only library for the cross build (written by the aarch64 toolchain file).
find_path(KAVRIN_FMT_INCLUDE_DIR fmt/format-inl.h)
if(NOT KAVRIN_FMT_INCLUDE_DIR)
    set(fmt_FOUND FALSE)
    set(fmt_NOT_FOUND_MESSAGE "fmt headers not found (Debian package libfmt-dev)")
    return()
endif()
if(NOT TARGET fmt::fmt)
    add_library(fmt::fmt INTERFACE IMPORTED)
    set_target_properties(fmt::fmt PROPERTIES
        INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY=1
        INTERFACE_INCLUDE_DIRECTORIES "${KAVRIN_FMT_INCLUDE_DIR}")
endif()
set(fmt_FOUND TRUE)
]=])
    endif()
    set(fmt_DIR ${KAVRIN_FMT_HEADER_ONLY_DIR} CACHE PATH "fmt used header-only" FORCE)
endif()
