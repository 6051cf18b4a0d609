include(GoogleTest)

# Large reference recordings kept outside the repository; tests that need them skip without.
set(KINOREX_TESTDATA_DIR "${PROJECT_SOURCE_DIR}/../shared/testdata" CACHE PATH
  "Folder of the large reference recordings some tests read")

# kinorex_add_test(NAME SOURCES src... LIBS lib... [LABELS label...] [TEST_PREFIX prefix])
# One GoogleTest executable, its cases registered with CTest one by one; TEST_PREFIX keeps
# apart executables built from the same test source.
function(kinorex_add_test name)
  cmake_parse_arguments(ARG "" "TEST_PREFIX" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    KINOREX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KINOREX_TESTDATA_DIR="${KINOREX_TESTDATA_DIR}"
    KINOREX_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    KINOREX_LIB_DIR="${CMAKE_BINARY_DIR}/lib")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${ARG_TEST_PREFIX}"
    PROPERTIES LABELS "${ARG_LABELS}")
endfunction()
