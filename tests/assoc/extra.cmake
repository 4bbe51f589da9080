# The whole-machine test loads the plug-in module.
add_dependencies(test_assoc strata_pi)
