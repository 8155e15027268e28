# The search dialog under Wine: in-process, and opened from the running program.
tepo_wine_test(search_window_test)
tepo_wine_test(search_program_test)
tepo_wine_test(search_screen_test)
add_dependencies(search_program_test tepo)

# Opens the dialog with results and holds it, for the read-me's picture; not a test.
add_executable(search_demo WIN32 search_demo.cpp)
target_link_libraries(search_demo PRIVATE tepo_winharness tepo_app)
if(NOT MSVC)
  target_link_options(search_demo PRIVATE -municode)
endif()
