# The pager alert test with its texts, the mailer it sends through, and the tray texts.
# No Qt: the window and tfport both call it through the engine.
add_library(tf_alerts STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AlertMailer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AlertTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AlertTexts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TrayTexts.cpp)
set_target_properties(tf_alerts PROPERTIES AUTOMOC OFF)
target_include_directories(tf_alerts PUBLIC ${PROJECT_SOURCE_DIR})
# FormatAmount lives in the engine, which in turn carries the alerts: two static libraries
# that lean on each other, which CMake links in either order.
target_link_libraries(tf_alerts PUBLIC tf_mail tf_model tf_engine)
target_link_libraries(tf_engine PUBLIC tf_alerts)
