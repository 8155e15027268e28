# The maintenance window under Wine.
tepo_wine_test(editor_window_test)
add_dependencies(editor_window_test tepo)
tepo_wine_test(editor_edit_test)
tepo_wine_test(editor_save_test)
