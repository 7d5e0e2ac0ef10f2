# Tests of the text source (kept apart from the workbook readers' tests in this folder).
add_executable(text_source_tests ${CMAKE_CURRENT_LIST_DIR}/VxI2TXTTest.cpp)
target_link_libraries(text_source_tests PRIVATE ferrovane_source_text GTest::gtest_main)
gtest_discover_tests(text_source_tests DISCOVERY_TIMEOUT 30)
