# The real program driven under Xvfb (needs the environment of scripts/test).
add_test(NAME shell_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(shell_e2e PROPERTIES TIMEOUT 300 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
add_test(NAME content_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/content_e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(content_e2e PROPERTIES TIMEOUT 300 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
add_test(NAME chrome_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/chrome_e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(chrome_e2e PROPERTIES TIMEOUT 400 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
add_test(NAME restart_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/restart_e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(restart_e2e PROPERTIES TIMEOUT 400 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
add_test(NAME config_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/config_e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(config_e2e PROPERTIES TIMEOUT 300 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
add_test(NAME font_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/font_e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(font_e2e PROPERTIES TIMEOUT 300 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
# The committed icon is what its script draws (host Python, no Wine).
add_test(NAME icon_source COMMAND bash -c "python3 \"$1\" \"$2\" && cmp \"$2\" \"$3\"" _
         ${CMAKE_SOURCE_DIR}/src/shell/app_icon.py ${CMAKE_BINARY_DIR}/icon_source.ico ${CMAKE_SOURCE_DIR}/src/shell/Tarnwick.ico)
