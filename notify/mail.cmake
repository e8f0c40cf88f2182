# The mail message and the SMTP client (no Qt), over the blocking socket.
add_library(tf_mail STATIC
  ${CMAKE_CURRENT_LIST_DIR}/MailMessage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MailText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SmtpConnection.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SmtpReply.cpp)
set_target_properties(tf_mail PROPERTIES AUTOMOC OFF)
target_include_directories(tf_mail PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tf_mail PUBLIC tf_socket)
