# The maintenance window under Wine.
tepo_wine_test(editor_window_test)
add_dependencies(editor_window_test tepo)
tepo_wine_test(editor_edit_test)
tepo_wine_test(editor_save_test)
# Failures the program does not raise itself, such as memory running out.
tepo_wine_test(complaint_test)
tepo_wine_test(editor_keys_test)
add_dependencies(editor_keys_test tepo)
