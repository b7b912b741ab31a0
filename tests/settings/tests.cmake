# The Settings Center in the real program under Xvfb (needs the environment of scripts/test).
add_test(NAME settings_center_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/center_e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(settings_center_e2e PROPERTIES TIMEOUT 400 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
