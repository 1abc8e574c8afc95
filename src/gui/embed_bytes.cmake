# Writes a C++ source that holds the bytes of one file:
#   cmake -DINPUT=file -DOUTPUT=source.cpp -DSYMBOL=Name -P embed_bytes.cmake
# gives `extern const unsigned char Name[]` and `extern const std::size_t NameSize`
# in namespace kavrin::gui.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
# Two hex digits per byte become "0x..,"; sixteen bytes to a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
get_filename_component(name ${INPUT} NAME)
file(WRITE ${OUTPUT}.tmp
"// Generated from ${name} at build time; do not edit.
#include <cstddef>

namespace kavrin::gui
{
extern const unsigned char ${SYMBOL}[] = {
    ${bytes}
};
extern const std::size_t ${SYMBOL}Size = ${size};
} // namespace kavrin::gui
")
# Touch the output only when it changes, so an unchanged icon rebuilds nothing.
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
