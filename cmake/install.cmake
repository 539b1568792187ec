# Installing and packaging: a self-contained program folder (executable, data, help, empty user folders),
# with a desktop entry and icon. The program keeps its settings beside itself, so the folder must be
# writable by the pilot: install it under the home folder or /opt with the pilot's ownership.
include(GNUInstallDirs)

install(TARGETS rotorvane RUNTIME DESTINATION .)
foreach(dir data crashsounds help ModelGeometries canopies)
  install(DIRECTORY ${RV_PROGRAM_DIR}/${dir} DESTINATION .
          PATTERN "StartUp.par" EXCLUDE)
endforeach()
install(DIRECTORY DESTINATION models)
install(FILES "${RV_PROGRAM_DIR}/recordings/Demo Flight.rec" DESTINATION recordings)

# Icon for the desktop entry, made from the program's own icon picture.
find_program(RV_CONVERT convert)
if(RV_CONVERT)
  add_custom_command(OUTPUT ${RV_GENERATED_DIR}/rotorvane.png
    COMMAND ${RV_CONVERT} ${RV_GENERATED_DIR}/icon.bmp ${RV_GENERATED_DIR}/rotorvane.png
    DEPENDS rv_resources
    COMMENT "Desktop icon")
  add_custom_target(rv_desktop_icon ALL DEPENDS ${RV_GENERATED_DIR}/rotorvane.png)
  install(FILES ${RV_GENERATED_DIR}/rotorvane.png DESTINATION .)
endif()
install(PROGRAMS ${PROJECT_SOURCE_DIR}/resources/install-desktop-entry DESTINATION .)
# cmake --install writes a desktop entry for the folder it installs into; an archive leaves that to
# the install-desktop-entry script, run once where the archive was unpacked.
install(CODE "
  if(NOT CMAKE_INSTALL_PREFIX MATCHES \"_CPack_Packages\")
    execute_process(COMMAND \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/install-desktop-entry\" --print
                    OUTPUT_FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/rotorvane.desktop\")
  endif()")

set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME rotorvane)
set(CPACK_PACKAGE_VENDOR "Rotorvane")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Flight simulator for 450-size RC electric helicopters")
set(CPACK_PACKAGE_FILE_NAME rotorvane-${PROJECT_VERSION}-linux-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
