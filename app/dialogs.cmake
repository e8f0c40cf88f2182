# The preferences and pager-preferences dialogs, included by app/CMakeLists.txt (and by their
# tests when the desktop program's folder does not include it yet).
if(NOT TARGET tf_prefs_dialogs)
  add_library(tf_prefs_dialogs STATIC
    ${CMAKE_CURRENT_LIST_DIR}/PagerPrefsDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PreferencesDlg.cpp)
  target_include_directories(tf_prefs_dialogs PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(tf_prefs_dialogs PUBLIC tf_framework tf_engine tf_model)
endif()
