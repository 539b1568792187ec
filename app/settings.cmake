# Settings dialogs: their rules (core, no UI) and their ImGui drawing, included from app/CMakeLists.txt.
rv_module(rv_settings
  ${CMAKE_CURRENT_LIST_DIR}/settings_rules.cpp)
target_link_libraries(rv_settings PUBLIC rv_app_core rv_flight)
target_link_libraries(rotorvane_core INTERFACE rv_settings)
