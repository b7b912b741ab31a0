# The recording stand-in for schtasks.exe and the editor (see stand_in/stand_in.cpp), built beside
# the test executables; the unit tests start it by that path, the end-to-end test puts copies of
# it in the prefix's system folders.
add_executable(settings_stand_in settings/stand_in/stand_in.cpp)
if(MINGW)
  target_link_options(settings_stand_in PRIVATE -municode)
endif()
add_dependencies(test_settings settings_stand_in)
