# The program's built-in resources: the dialog template (SetupDialog.cpp) and the
# picture shown in it, a 24-bit .bmp whose bytes become a C++ array at build time. The
# picture is the one the data-set generator draws (generated/setup.bmp) when it is part
# of the build, and SetupPicture.bmp beside this file otherwise. Consumers of gh_app
# get the objects directly, so that their registration always runs.
if(GH_DATA_SET AND EXISTS ${PROJECT_SOURCE_DIR}/tools/assetgen/CMakeLists.txt)
  set(gh_setup_picture ${PROJECT_BINARY_DIR}/generated/setup.bmp)
else()
  set(gh_setup_picture ${PROJECT_SOURCE_DIR}/resources/SetupPicture.bmp)
endif()
set(gh_picture_cpp ${CMAKE_CURRENT_BINARY_DIR}/generated/SetupPictureBytes.cpp)
add_custom_command(
  OUTPUT ${gh_picture_cpp}
  COMMAND ${CMAKE_COMMAND} -DPICTURE=${gh_setup_picture} -DOUTPUT=${gh_picture_cpp}
          -P ${PROJECT_SOURCE_DIR}/resources/EmbedPicture.cmake
  DEPENDS ${gh_setup_picture} ${PROJECT_SOURCE_DIR}/resources/EmbedPicture.cmake
  COMMENT "Embedding the setup dialog's picture"
  VERBATIM)
add_library(gh_resources OBJECT ${PROJECT_SOURCE_DIR}/resources/SetupDialog.cpp ${gh_picture_cpp})
target_include_directories(gh_resources PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(gh_resources PRIVATE gh_win32)

# The generator's target is defined after this folder; order the two once all exist.
function(gh_order_resources_after_data)
  if(TARGET tindermoot_data)
    add_dependencies(gh_resources tindermoot_data)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL gh_order_resources_after_data)
