# cmake -DPICTURE=in.bmp -DOUTPUT=out.cpp -P EmbedPicture.cmake
# Writes the bitmap's bytes as the C++ array behind bitmap resource 1001.
file(READ ${PICTURE} hex HEX)
file(SIZE ${PICTURE} size)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
"// Generated from ${PICTURE}.
#include <cstddef>
#include <cstdint>
extern const std::uint8_t kSetupPictureBytes[] = {
${bytes}
};
extern const std::size_t kSetupPictureSize = ${size};
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
