# The manifest and what it brings on Windows 10/11, and the balloon's
# announcement to screen readers, in the running program.
tepo_wine_test(manifest_test)
add_dependencies(manifest_test tepo)
tepo_wine_test(announce_test)
add_dependencies(announce_test tepo)
