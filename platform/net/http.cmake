# The HTTP client session: one libcurl easy handle per request, GET only, bounded.
add_library(tf_http STATIC
  ${CMAKE_CURRENT_LIST_DIR}/HttpUrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HttpLineReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HttpRequest.cpp)
target_include_directories(tf_http PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tf_http PUBLIC PkgConfig::CURL)
set_target_properties(tf_http PROPERTIES AUTOMOC OFF)
