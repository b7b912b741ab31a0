# The real program driven under Xvfb (needs the environment of scripts/test).
add_test(NAME analysis_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(analysis_e2e PROPERTIES TIMEOUT 400 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
