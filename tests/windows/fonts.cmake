# The Windows font reader's glyph dump (tests/web/fonts/glyph_dump.cpp on
# GDI): tests/windows/fonts.sh runs it under Wine and compares it with the
# desktop's. Named glyph_dump.exe, as the script looks for it.
add_executable(glyph_dump_win
  ${CMAKE_SOURCE_DIR}/tests/web/fonts/glyph_dump.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/font_faces_win32.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/glyph_outlines_win32.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/font_rules.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/font_queries.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/backend_state_win32.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/win32/media_files_win32.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/outline_flattening.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/contours_in_64ths.cpp)
target_include_directories(glyph_dump_win PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(glyph_dump_win PRIVATE gdi32 user32)
set_target_properties(glyph_dump_win PROPERTIES OUTPUT_NAME glyph_dump)
