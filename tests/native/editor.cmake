# The maintenance editor's table and its operations.
foreach(name editor_table_test editor_file_test)
  add_executable(${name} ${name}.cpp)
  target_link_libraries(${name} PRIVATE tepo_editor gtest_main)
  add_test(NAME ${TEPO_NATIVE_PREFIX}.${name} COMMAND ${name})
endforeach()
