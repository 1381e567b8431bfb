# What `cmake --install` puts under the prefix, and the Debian package made of
# it (`cpack -G DEB`). Files that are made rather than kept in the tree are
# made at build time into build/share (the layout the programs look for) and
# build/man.

set(share ${PROJECT_BINARY_DIR}/share)
set(picture ${PROJECT_SOURCE_DIR}/shell/resources/vexo.png)
# The build tools run under the sanitizers too; their leaks are not the
# program's.
set(tool_env ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen)

# Icon sizes and the help page, made from the program's own picture and text.
add_executable(vexo-assets ${PROJECT_SOURCE_DIR}/tools/vexo_assets.cpp)
target_link_libraries(vexo-assets PRIVATE vexo_viewer Qt6::Gui)

set(made_files "")
foreach(size 16 22 24 32 48 64 128 256)
  set(dir ${share}/icons/hicolor/${size}x${size}/apps)
  add_custom_command(OUTPUT ${dir}/vexo.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${tool_env} $<TARGET_FILE:vexo-assets> icon ${picture} ${size} ${dir}/vexo.png
    DEPENDS vexo-assets ${picture}
    COMMENT "Icon ${size}x${size}")
  list(APPEND made_files ${dir}/vexo.png)
  install(FILES ${dir}/vexo.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

add_custom_command(OUTPUT ${share}/vexo/help.htm
  COMMAND ${CMAKE_COMMAND} -E make_directory ${share}/vexo
  COMMAND ${tool_env} $<TARGET_FILE:vexo-assets> help ${share}/vexo/help.htm
  DEPENDS vexo-assets
  COMMENT "Help page")
list(APPEND made_files ${share}/vexo/help.htm)
install(FILES ${share}/vexo/help.htm DESTINATION ${CMAKE_INSTALL_DATADIR}/vexo)

# The two shipped source sets, which an installation reads.
foreach(set classic current)
  add_custom_command(OUTPUT ${share}/vexo/sources-${set}.conf
    COMMAND ${CMAKE_COMMAND} -E make_directory ${share}/vexo
    COMMAND ${tool_env} $<TARGET_FILE:vexo-assets> sources ${set} ${share}/vexo/sources-${set}.conf
    DEPENDS vexo-assets
    COMMENT "Source set ${set}")
  list(APPEND made_files ${share}/vexo/sources-${set}.conf)
  install(FILES ${share}/vexo/sources-${set}.conf DESTINATION ${CMAKE_INSTALL_DATADIR}/vexo)
endforeach()

# Manual pages from the programs' own --help and --version.
find_program(HELP2MAN help2man REQUIRED)
set(man_dir ${PROJECT_BINARY_DIR}/man)
foreach(program vexo vexo-cli)
  if(program STREQUAL "vexo")
    set(summary "keyword tracker for Chinese-language news and web pages")
  else()
    set(summary "keyword expressions, page charsets and tracking runs of Vexo from the command line")
  endif()
  add_custom_command(OUTPUT ${man_dir}/${program}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man_dir}
    COMMAND ${tool_env} ${HELP2MAN} --no-info --no-discard-stderr --section=1
      --name=${summary} --output=${man_dir}/${program}.1 $<TARGET_FILE:${program}>
    COMMAND gzip -9nf ${man_dir}/${program}.1
    DEPENDS ${program}
    COMMENT "Manual page of ${program}"
    VERBATIM)
  list(APPEND made_files ${man_dir}/${program}.1.gz)
  install(FILES ${man_dir}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

add_custom_target(vexo-desktop-files ALL DEPENDS ${made_files})

# The desktop entry and the AppStream metainfo.
configure_file(${PROJECT_SOURCE_DIR}/packaging/vexo.desktop.in
  ${share}/applications/${VEXO_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/vexo.metainfo.xml.in
  ${share}/metainfo/${VEXO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${share}/applications/${VEXO_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${share}/metainfo/${VEXO_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(TARGETS vexo vexo-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vexo_tls LIBRARY DESTINATION ${VEXO_MODULE_INSTALL_DIR})

# The Debian package: vexo_<version>_<arch>.deb, everything under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vexo Soft")
set(CPACK_PACKAGE_CONTACT "Vexo Soft <vexo@vexo-soft.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyword tracker for Chinese-language news and web pages")
set(CPACK_PACKAGE_DESCRIPTION
  "Vexo keeps querying web and news search engines and the sites they lead to for
 keywords (AND, OR, NOT and parentheses), shows every new matching result in a
 small window that pops up from the tray, and exports them as HTML pages or
 comma-separated text. A news centre shows the headlines of six portals.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.vexo-soft.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a Qt platform plugin; links open in the desktop's browser;
# the window's font is a Song/Ming one.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-arphic-uming | fonts-noto-cjk")
include(CPack)
