# `cmake --install` lays the show out as Debian lays out games; every installed file finds
# the others relative to itself, so any prefix works. CPack turns the same tree into a
# .deb and a .tar.gz (scripts/package).
set(GH_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(GH_VERSION 1.0.0)

install(TARGETS glimmerhop glimmerhop-tool RUNTIME DESTINATION lib/glimmerhop)
install(PROGRAMS ${GH_PACKAGING_DIR}/glimmerhop.sh DESTINATION games RENAME glimmerhop)
# bin/glimmerhop-tool: a relative link, which the tool follows back to its data set.
install(CODE [[
  set(bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
  file(MAKE_DIRECTORY "${bin}")
  file(CREATE_LINK ../lib/glimmerhop/glimmerhop-tool "${bin}/glimmerhop-tool" SYMBOLIC)
]])

if(TARGET tindermoot_data)
  install(DIRECTORY ${PROJECT_BINARY_DIR}/Tindermoot DESTINATION share/games/glimmerhop
          PATTERN "*.part" EXCLUDE)
  foreach(size 48 128 256)
    install(FILES ${PROJECT_BINARY_DIR}/generated/icons/glimmerhop-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME glimmerhop.png)
  endforeach()
endif()
install(FILES ${GH_PACKAGING_DIR}/glimmerhop.desktop DESTINATION share/applications)
install(FILES ${GH_PACKAGING_DIR}/org.vantroop.glimmerhop.metainfo.xml DESTINATION share/metainfo)

# Man pages and the changelog go in compressed, as Debian wants them.
set(gz_dir ${PROJECT_BINARY_DIR}/packaging)
set(gz_outputs "")
foreach(doc glimmerhop.6 glimmerhop-tool.1 changelog)
  add_custom_command(OUTPUT ${gz_dir}/${doc}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${gz_dir}
    COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${GH_PACKAGING_DIR}/${doc} ${gz_dir}/${doc}.gz
    DEPENDS ${GH_PACKAGING_DIR}/${doc} VERBATIM)
  list(APPEND gz_outputs ${gz_dir}/${doc}.gz)
endforeach()
add_custom_target(packaging_docs ALL DEPENDS ${gz_outputs})
install(FILES ${gz_dir}/glimmerhop.6.gz DESTINATION share/man/man6)
install(FILES ${gz_dir}/glimmerhop-tool.1.gz DESTINATION share/man/man1)
install(FILES ${gz_dir}/changelog.gz ${PROJECT_SOURCE_DIR}/README.md ${GH_PACKAGING_DIR}/copyright
        DESTINATION share/doc/glimmerhop)

set(CPACK_PACKAGE_NAME glimmerhop)
set(CPACK_PACKAGE_VERSION ${GH_VERSION})
set(CPACK_PACKAGE_VENDOR Vantroop)
set(CPACK_PACKAGE_CONTACT "Vantroop <glimmerhop@vantroop.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time demoscene show with music and six 3D scenes")
set(CPACK_PACKAGE_DESCRIPTION "Glimmerhop is a real-time audiovisual show by the group Vantroop, in the\ndemoscene tradition: it plays its own music and draws six 3D scenes in step\nwith it with OpenGL, then fades out the group's logo.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://vantroop.example.org/glimmerhop)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opened at run time rather than linked, so dpkg-shlibdeps cannot see them: libepoxy
# and SDL open libEGL and libGL by name, and those load the Mesa drivers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libegl1, libgl1, libegl-mesa0, libgl1-mesa-dri")
set(CPACK_ARCHIVE_FILE_NAME glimmerhop-${GH_VERSION}-linux)
set(CPACK_GENERATOR DEB TGZ)
include(CPack)
