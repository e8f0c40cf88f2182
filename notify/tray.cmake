# The notification-area icon of the desktop program, on the framework's shell service.
add_library(tf_tray STATIC ${CMAKE_CURRENT_LIST_DIR}/TrayNotifyIcon.cpp)
target_include_directories(tf_tray PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tf_tray PUBLIC tf_framework)
