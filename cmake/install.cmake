# Installing and packaging. Two layouts of one program:
# - the portable folder (cmake --install, the TGZ archive): executable, data, help and empty user folders
#   in one folder the pilot can write, with a desktop entry and icon; settings are kept beside the program.
# - the Debian package (cpack -G DEB, component "system"): the program and its data under
#   /usr/lib/rotorvane, a rotorvane command, desktop entry, icon, AppStream metadata, manual page and
#   copyright in their standard places; each pilot's files live in ~/.local/share/rotorvane.
include(GNUInstallDirs)

# The program folder's contents into destination, for one component.
function(rv_install_program_folder destination)
  install(TARGETS rotorvane rotorvane-fdm RUNTIME DESTINATION ${destination} ${ARGN})
  foreach(dir data crashsounds help ModelGeometries canopies helicopters)
    install(DIRECTORY ${RV_PROGRAM_DIR}/${dir} DESTINATION ${destination} ${ARGN}
            PATTERN "StartUp.par" EXCLUDE)
  endforeach()
  install(FILES "${RV_PROGRAM_DIR}/recordings/Demo Flight.rec" DESTINATION ${destination}/recordings ${ARGN})
endfunction()

rv_install_program_folder(.)
install(DIRECTORY DESTINATION models)

# Icon for the desktop entry, made from the program's own icon picture (32 x 32), and larger copies
# for the desktop's icon theme (pixels repeated, not blurred).
find_program(RV_CONVERT convert)
if(RV_CONVERT)
  set(icon_outputs ${RV_GENERATED_DIR}/rotorvane.png)
  add_custom_command(OUTPUT ${RV_GENERATED_DIR}/rotorvane.png
    COMMAND ${RV_CONVERT} ${RV_GENERATED_DIR}/icon.bmp ${RV_GENERATED_DIR}/rotorvane.png
    DEPENDS rv_resources
    COMMENT "Desktop icon")
  foreach(size 64 128)
    list(APPEND icon_outputs ${RV_GENERATED_DIR}/rotorvane-${size}.png)
    add_custom_command(OUTPUT ${RV_GENERATED_DIR}/rotorvane-${size}.png
      COMMAND ${RV_CONVERT} ${RV_GENERATED_DIR}/icon.bmp -filter point -resize ${size}x${size}
              ${RV_GENERATED_DIR}/rotorvane-${size}.png
      DEPENDS rv_resources
      COMMENT "Desktop icon ${size} x ${size}")
    install(FILES ${RV_GENERATED_DIR}/rotorvane-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME rotorvane.png
            COMPONENT system EXCLUDE_FROM_ALL)
  endforeach()
  add_custom_target(rv_desktop_icon ALL DEPENDS ${icon_outputs})
  install(FILES ${RV_GENERATED_DIR}/rotorvane.png DESTINATION .)
  install(FILES ${RV_GENERATED_DIR}/rotorvane.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps
          COMPONENT system EXCLUDE_FROM_ALL)
endif()
install(PROGRAMS ${PROJECT_SOURCE_DIR}/resources/install-desktop-entry DESTINATION .)
# cmake --install writes a desktop entry for the folder it installs into; an archive leaves that to
# the install-desktop-entry script, run once where the archive was unpacked.
install(CODE "
  if(NOT CMAKE_INSTALL_PREFIX MATCHES \"_CPack_Packages\")
    execute_process(COMMAND \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/install-desktop-entry\" --print
                    OUTPUT_FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/rotorvane.desktop\")
  endif()")

# The Debian package's layout. Its files are installed only when the "system" component is asked for.
set(deb_src ${PROJECT_SOURCE_DIR}/resources/debian)
set(deb_out ${CMAKE_BINARY_DIR}/deb)
set(rv_system_component COMPONENT system EXCLUDE_FROM_ALL)
# The package puts the program under lib/rotorvane, whatever the machine's multiarch library folder.
set(rv_system lib/rotorvane)
rv_install_program_folder(${rv_system} ${rv_system_component})
# The marker tells the program its folder belongs to the package manager, so it never writes there.
install(FILES ${deb_src}/installed-by-package DESTINATION ${rv_system} ${rv_system_component})
file(MAKE_DIRECTORY ${deb_out})
file(CREATE_LINK ../lib/rotorvane/rotorvane ${deb_out}/rotorvane SYMBOLIC)
file(CREATE_LINK ../lib/rotorvane/rotorvane-fdm ${deb_out}/rotorvane-fdm SYMBOLIC)
install(FILES ${deb_out}/rotorvane ${deb_out}/rotorvane-fdm DESTINATION ${CMAKE_INSTALL_BINDIR} ${rv_system_component})
install(FILES ${deb_src}/rotorvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications ${rv_system_component})
install(FILES ${deb_src}/rotorvane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME org.rotorvane.rotorvane.metainfo.xml ${rv_system_component})
install(FILES ${deb_src}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/rotorvane ${rv_system_component})
# The manual page and the changelog, compressed as Debian expects (no name or time stamp inside).
find_program(RV_GZIP gzip REQUIRED)
foreach(doc rotorvane.6 changelog)
  add_custom_command(OUTPUT ${deb_out}/${doc}.gz
    COMMAND ${RV_GZIP} -9nc ${deb_src}/${doc} > ${deb_out}/${doc}.gz
    DEPENDS ${deb_src}/${doc}
    COMMENT "Compressing ${doc}")
endforeach()
add_custom_target(rv_deb_docs ALL DEPENDS ${deb_out}/rotorvane.6.gz ${deb_out}/changelog.gz)
install(FILES ${deb_out}/rotorvane.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 ${rv_system_component})
install(FILES ${deb_out}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/rotorvane ${rv_system_component})

set(CPACK_GENERATOR TGZ DEB)
set(CPACK_PACKAGE_NAME rotorvane)
set(CPACK_PACKAGE_VENDOR "Rotorvane")
set(CPACK_PACKAGE_CONTACT "Rotorvane developers <rotorvane@rotorvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Flight simulator for 450-size RC electric helicopters")
set(CPACK_PACKAGE_FILE_NAME rotorvane-${PROJECT_VERSION}-linux-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Section misc: Debian keeps the "games" section for programs under /usr/games, and this one is a
# command in /usr/bin.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the description's first line; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Plug an RC transmitter in as a joystick and practise flying a 450-size
electric helicopter: spool up, hover, land and fly circuits, seen from the
edge of a grass field. The model has a motor-driven rotor, a tail gyro,
ground effect, wind and turbulence; flights can be recorded and replayed.")
# Dependencies come from the libraries the executable links (dpkg-shlibdeps), so they never drift.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Per generator: the archive holds the portable folder, the Debian package the "system" component.
configure_file(${PROJECT_SOURCE_DIR}/cmake/cpack_options.cmake.in ${CMAKE_BINARY_DIR}/CPackOptions.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackOptions.cmake)
include(CPack)
