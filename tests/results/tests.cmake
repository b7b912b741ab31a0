# Acting on results in the real program under Xvfb (needs the environment of scripts/test).
add_test(NAME results_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(results_e2e PROPERTIES TIMEOUT 300 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
add_test(NAME iconview_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/iconview_e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(iconview_e2e PROPERTIES TIMEOUT 300 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
add_test(NAME results_recycle_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/recycle_e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(results_recycle_e2e PROPERTIES TIMEOUT 300 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
