# The search dialog's match rule and scan.
add_executable(search_match_test search_match_test.cpp)
target_link_libraries(search_match_test PRIVATE tepo_search tepo_messages gtest_main)
add_test(NAME ${TEPO_NATIVE_PREFIX}.search_match_test COMMAND search_match_test)
