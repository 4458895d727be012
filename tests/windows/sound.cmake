# The Win32 sound layer on its own (tests/windows/sound_check.cpp):
# tests/windows/sound.sh runs it under Wine and compares its decodes with
# ffmpeg's and its error codes with the desktop's.
add_executable(sound_check
  ${CMAKE_SOURCE_DIR}/tests/windows/sound_check.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/fsound_rules.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/audio_signature.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/media_files.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/song_clock.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/media_files_win32.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/fsound_win32.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/backend_state_win32.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/sound_decode_win32.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/mp3_frames.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/mp3_acm_win32.cpp)
target_include_directories(sound_check PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(sound_check PRIVATE winmm msacm32)
