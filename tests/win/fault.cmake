# Failures of the file system itself, prepared by CTest around the Wine test.
tepo_wine_test(fault_test)
set(locked ${CMAKE_CURRENT_BINARY_DIR}/locked-folder)
string(REPLACE "/" "\\" locked_windows "Z:${locked}")
add_test(NAME win.fault_setup COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/immutable_folder.sh setup ${locked})
add_test(NAME win.fault_cleanup COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/immutable_folder.sh cleanup ${locked})
set_tests_properties(win.fault_setup PROPERTIES FIXTURES_SETUP locked_folder)
set_tests_properties(win.fault_cleanup PROPERTIES FIXTURES_CLEANUP locked_folder)
set_tests_properties(win.fault_test PROPERTIES FIXTURES_REQUIRED locked_folder
  ENVIRONMENT "TEPO_LOCKED_FOLDER=${locked_windows}")
tepo_wine_test(soak_windows_test)
set_tests_properties(win.soak_windows_test PROPERTIES LABELS soak)
