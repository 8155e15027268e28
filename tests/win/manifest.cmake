# The manifest and what it brings on Windows 10/11, and the balloon's
# announcement to screen readers, in the running program.
tepo_wine_test(manifest_test)
add_dependencies(manifest_test tepo)
tepo_wine_test(announce_test)
add_dependencies(announce_test tepo)

# Wine's desktop with a taskbar: an X-level click on the icon there shows the
# balloon over the taskbar. A prefix and a screen of its own.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(desktop_arch win64)
else()
  set(desktop_arch win32)
endif()
add_test(NAME win.desktop_tray_test
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/desktop_tray_test.sh $<TARGET_FILE:tepo> ${CMAKE_BINARY_DIR}/desktop-test
          ${desktop_arch})
set_tests_properties(win.desktop_tray_test PROPERTIES RESOURCE_LOCK desktop)
if(NOT TEPO_WINE_TEST_SET STREQUAL "all")
  set_tests_properties(win.desktop_tray_test PROPERTIES DISABLED TRUE)
endif()
