# The duplicate mode in the real program under Xvfb (needs the environment of scripts/test).
add_test(NAME duplicates_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(duplicates_e2e PROPERTIES TIMEOUT 400 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
# Deleting in the duplicate mode: the copies are read at the moment of deleting, in the background.
add_test(NAME duplicates_delete_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/delete_e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(duplicates_delete_e2e PROPERTIES TIMEOUT 300 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
# Deleting while another program acts during the question (the probe, a host process).
add_test(NAME duplicates_question_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/question_e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(duplicates_question_e2e PROPERTIES TIMEOUT 300 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
