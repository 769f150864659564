# Sound output: tables, voices and mixer, audio callback, device menu.
add_executable(test_sound_tables test_sound_tables.cpp)
target_link_libraries(test_sound_tables PRIVATE player GTest::gtest_main)
periodica_gtest(test_sound_tables 60)

add_executable(test_sound_mixer test_sound_voices.cpp test_sound_mixer.cpp test_sound_mixer_random.cpp)
target_link_libraries(test_sound_mixer PRIVATE sound GTest::gtest_main)
periodica_gtest(test_sound_mixer 60)

# Hands the callback its own counting tick; links only the sound library.
add_executable(test_sound_callback test_sound_callback.cpp)
target_link_libraries(test_sound_callback PRIVATE sound GTest::gtest_main)
periodica_gtest(test_sound_callback 60)

# Hands playback its own counting tick; no sound card needed.
add_executable(test_sound_menu test_sound_menu.cpp)
target_link_libraries(test_sound_menu PRIVATE sound GTest::gtest_main)
periodica_gtest(test_sound_menu 60)
