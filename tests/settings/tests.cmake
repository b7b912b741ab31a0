# The recording stand-in for schtasks.exe and the editor (see stand_in/stand_in.cpp), built beside
# the test executables; the unit tests start it by that path, the end-to-end test puts copies of
# it in the prefix's system folders.
add_executable(settings_stand_in settings/stand_in/stand_in.cpp)
if(MINGW)
  target_link_options(settings_stand_in PRIVATE -municode)
endif()
add_dependencies(test_settings settings_stand_in)
# The real program driven under Xvfb with the stand-ins in place (environment of scripts/test).
add_test(NAME settings_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/e2e.sh $<TARGET_FILE:Tarnwick>
         $<TARGET_FILE:settings_stand_in>)
set_tests_properties(settings_e2e PROPERTIES TIMEOUT 300 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
# The Settings Center in the real program under Xvfb (needs the environment of scripts/test).
add_test(NAME settings_center_e2e COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/center_e2e.sh $<TARGET_FILE:Tarnwick>)
set_tests_properties(settings_center_e2e PROPERTIES TIMEOUT 400 ENVIRONMENT "TARNWICK_PROBE=$<TARGET_FILE:probe>")
