# The WebAssembly build (emcmake cmake): the header-only libraries come from Debian's own headers.
# Emscripten has its own C and C++ library headers, so /usr/include itself must not be on the
# include path; a directory holding links to just Boost and fmt stands in for it.
set(KAVRIN_HOST_INCLUDE /usr/include CACHE PATH "Where Debian's Boost and fmt headers are")
set(_kavrin_headers ${CMAKE_BINARY_DIR}/host-headers)
foreach(library boost fmt)
    if(NOT EXISTS ${KAVRIN_HOST_INCLUDE}/${library})
        message(FATAL_ERROR "${KAVRIN_HOST_INCLUDE}/${library} is missing (libboost-dev, libfmt-dev)")
    endif()
    file(MAKE_DIRECTORY ${_kavrin_headers})
    file(CREATE_LINK ${KAVRIN_HOST_INCLUDE}/${library} ${_kavrin_headers}/${library} SYMBOLIC)
endforeach()

# Two settings keep the C++ library's locale and stream machinery, some 100 KB of WebAssembly,
# out of the module without changing any result:
# - Boost reports a rounding error (truncating an infinity or a NaN, which the cycle budget never
#   does: it truncates only quotients inside the 32-bit range) by returning the limit instead of
#   composing an exception text in a stringstream;
# - fmt takes a fixed thousands separator instead of asking std::locale; only the "L" format
#   specifier uses it, and the routine text has none.
add_library(Boost::headers INTERFACE IMPORTED)
target_include_directories(Boost::headers SYSTEM INTERFACE ${_kavrin_headers})
target_compile_definitions(Boost::headers INTERFACE BOOST_MATH_ROUNDING_ERROR_POLICY=ignore_error)
add_library(fmt::fmt INTERFACE IMPORTED)
target_include_directories(fmt::fmt SYSTEM INTERFACE ${_kavrin_headers})
target_compile_definitions(fmt::fmt INTERFACE FMT_HEADER_ONLY FMT_STATIC_THOUSANDS_SEPARATOR=',')
