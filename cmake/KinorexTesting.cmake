include(GoogleTest)

# kinorex_add_test(NAME SOURCES src... LIBS lib... [LABELS label...])
# One GoogleTest executable, its cases registered with CTest one by one.
function(kinorex_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    KINOREX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KINOREX_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/../shared/testdata"
    KINOREX_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    KINOREX_LIB_DIR="${CMAKE_BINARY_DIR}/lib")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS "${ARG_LABELS}")
endfunction()
