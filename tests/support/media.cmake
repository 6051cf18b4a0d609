# Test media helpers: Annex B splitting and fixture loading. Included from
# tests/support/CMakeLists.txt; kept apart from kinorex_test_support so that
# both can grow without touching each other.
add_library(kinorex_test_media STATIC
  ${CMAKE_CURRENT_LIST_DIR}/annexb.cpp
  ${CMAKE_CURRENT_LIST_DIR}/media_files.cpp)
target_include_directories(kinorex_test_media PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(kinorex_test_media PUBLIC kinorex_engine_internals)
target_compile_definitions(kinorex_test_media PRIVATE
  KINOREX_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures")

kinorex_add_test(media_support_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/annexb_test.cpp ${CMAKE_CURRENT_LIST_DIR}/media_files_test.cpp
  LIBS kinorex_test_media
  LABELS support)
