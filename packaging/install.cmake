# Installing and packaging: the program, its launcher, the desktop entry, the
# icon in the theme's sizes, the default skin and the help manual.
include(GNUInstallDirs)
# The launcher finds the program and its data next to itself, so an install
# under any prefix works.
file(RELATIVE_PATH LEX_RELATIVE_DATADIR /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_DATADIR}/lexiphon)

configure_file(${PROJECT_SOURCE_DIR}/packaging/lexiphon-launch.in ${PROJECT_BINARY_DIR}/lexiphon-launch @ONLY)

add_executable(lexiphon-iconrender ${PROJECT_SOURCE_DIR}/packaging/iconrender.cpp)
target_link_libraries(lexiphon-iconrender PRIVATE Qt6::Gui Qt6::Svg)
set(LEX_ICON_SIZES 16 22 24 32 48 64 128 256)
set(LEX_ICON_PNGS)
foreach(size ${LEX_ICON_SIZES})
  list(APPEND LEX_ICON_PNGS ${PROJECT_BINARY_DIR}/icons/lexiphon-${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${LEX_ICON_PNGS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons
  COMMAND lexiphon-iconrender ${PROJECT_SOURCE_DIR}/src/res/icons/lexiphon.svg ${PROJECT_BINARY_DIR}/icons ${LEX_ICON_SIZES}
  DEPENDS lexiphon-iconrender ${PROJECT_SOURCE_DIR}/src/res/icons/lexiphon.svg
  COMMENT "Rendering the program icon")
add_custom_target(lexiphon-icons ALL DEPENDS ${LEX_ICON_PNGS})

# The help manual: HTML compiled into a CHM when the compiler is there.
find_program(CHMCMD chmcmd)
file(GLOB LEX_MANUAL_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/manual/*)
if(CHMCMD)
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/lexiphon.chm
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/docs/manual ${PROJECT_BINARY_DIR}/manual
    COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/manual ${CHMCMD} lexiphon.hhp > ${PROJECT_BINARY_DIR}/chmcmd.log
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/manual/lexiphon.chm ${PROJECT_BINARY_DIR}/lexiphon.chm
    DEPENDS ${LEX_MANUAL_FILES}
    COMMENT "Compiling the help manual")
  add_custom_target(lexiphon-manual ALL DEPENDS ${PROJECT_BINARY_DIR}/lexiphon.chm)
  install(FILES ${PROJECT_BINARY_DIR}/lexiphon.chm DESTINATION ${CMAKE_INSTALL_DATADIR}/lexiphon)
else()
  message(STATUS "chmcmd not found: the help manual is not built")
endif()

install(TARGETS lexiphon RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${PROJECT_BINARY_DIR}/lexiphon-launch DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/src/res/skins/corona.smf DESTINATION ${CMAKE_INSTALL_DATADIR}/lexiphon)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lexiphon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/src/res/icons/lexiphon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${LEX_ICON_SIZES})
  install(FILES ${PROJECT_BINARY_DIR}/icons/lexiphon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME lexiphon.png)
endforeach()
if(TARGET lexiphon-pageserver)
  install(TARGETS lexiphon-pageserver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
# The offline dictionary (CC-CEDICT, CC BY-SA 4.0) that the page service maps,
# found next to the program's other data.
if(TARGET lexiphon-dictionary)
  get_target_property(lex_dictionary_file lexiphon-dictionary LEX_FILE)
  install(FILES ${lex_dictionary_file} DESTINATION ${CMAKE_INSTALL_DATADIR}/lexiphon)
endif()

set(CPACK_PACKAGE_NAME lexiphon)
set(CPACK_PACKAGE_VENDOR "Lexiphon developers")
set(CPACK_PACKAGE_CONTACT "Lexiphon developers <lexiphon@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "English learning assistant: read aloud and translate English and Chinese")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Runtime pieces no library link names: fonts, voices, the Qt plugins.
# libcurl4: loaded at the first translation, so the shared-library scan does not see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk, espeak-ng-data, qt6-qpa-plugins, libqt6svg6, xdg-utils, libcurl4")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse, qt6-translations-l10n, xchm")
include(CPack)
