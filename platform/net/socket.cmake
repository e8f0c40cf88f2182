# The blocking stream socket the mail client speaks through (POSIX, no Qt).
add_library(tf_socket STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Socket.cpp)
set_target_properties(tf_socket PROPERTIES AUTOMOC OFF)
target_include_directories(tf_socket PUBLIC ${PROJECT_SOURCE_DIR})
