# Settings dialogs: their rules (core, no UI) and their ImGui drawing, included from app/CMakeLists.txt.
rv_module(rv_settings
  ${CMAKE_CURRENT_LIST_DIR}/settings_rules.cpp)
target_link_libraries(rv_settings PUBLIC rv_app_core rv_flight)
target_link_libraries(rotorvane_core INTERFACE rv_settings)

# The dialogs drawn with ImGui; linked into the executable (not into the core).
add_library(rv_settings_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/settings_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/helicopter_settings_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/swash_imperfections_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/curve_editor_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/exponential_rates_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gyro_settings_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/wind_settings_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/random_attitude_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/time_log_dialog.cpp)
target_include_directories(rv_settings_ui PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(rv_settings_ui PRIVATE ${RV_WARNINGS})
target_link_libraries(rv_settings_ui PUBLIC rv_settings rv_flight rv_log rv_assets rv_resources rv_platform rv_ui PkgConfig::IMGUI)
