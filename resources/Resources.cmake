# The program's built-in resources: the dialog template (SetupDialog.cpp) and the bytes
# of SetupPicture.bmp, turned into a C++ array at configure time. Consumers of gh_app get
# the objects directly, so that their registration always runs.
set(gh_picture ${PROJECT_SOURCE_DIR}/resources/SetupPicture.bmp)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${gh_picture})
file(READ ${gh_picture} gh_picture_hex HEX)
file(SIZE ${gh_picture} gh_picture_size)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," gh_picture_bytes "${gh_picture_hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" gh_picture_bytes "${gh_picture_bytes}")
set(gh_picture_cpp ${CMAKE_CURRENT_BINARY_DIR}/generated/SetupPictureBytes.cpp)
file(CONFIGURE OUTPUT ${gh_picture_cpp} CONTENT
"// Generated from resources/SetupPicture.bmp.
#include <cstddef>
#include <cstdint>
extern const std::uint8_t kSetupPictureBytes[] = {
@gh_picture_bytes@
};
extern const std::size_t kSetupPictureSize = @gh_picture_size@;
" @ONLY)
add_library(gh_resources OBJECT ${PROJECT_SOURCE_DIR}/resources/SetupDialog.cpp ${gh_picture_cpp})
target_include_directories(gh_resources PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(gh_resources PRIVATE gh_win32)
