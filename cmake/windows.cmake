# The Windows build (the `windows` preset, cross-compiled with Debian's
# MinGW-w64): the demo on the Win32 backend (src/platform/win32: a Win32
# window with its WGL context, GDI's fonts, waveOut and ACM's MP3 decoder,
# the performance counter), on Windows' own OpenGL 1.1 and GLU. The C++ and
# GCC runtimes are linked in, so elka.exe needs only Windows' own DLLs.
set(win32_libraries opengl32 glu32 gdi32 user32 winmm msacm32)
add_link_options(-static -static-libgcc -static-libstdc++)
# MinGW's GL/gl.h and GL/glu.h take in all of <windows.h> unless these are
# defined: the layers above the platform see GL and none of Win32's macros.
# The backend's own files include <windows.h> first (win32/win32.h).
add_compile_definitions("WINGDIAPI=__declspec(dllimport)" APIENTRY=__stdcall GLAPIENTRY=__stdcall CALLBACK=__stdcall)

elka_layer(present PRIVATE opengl32)
elka_layer(platform BACKEND win32 PRIVATE ${win32_libraries})
elka_layer(shared)
elka_layer(resources PUBLIC opengl32 PRIVATE glu32)
elka_layer(audio)
elka_layer(effects PUBLIC opengl32)
elka_schedule_library()
elka_layer(timeline PUBLIC elka_schedule PRIVATE opengl32)
elka_layer(app PRIVATE opengl32 glu32)
target_compile_definitions(elka_app PRIVATE ELKA_VERSION="${PROJECT_VERSION}")
elka_host_library(win32 PRIVATE opengl32)

# A window program (no console of its own); the manifest asks for
# per-monitor DPI awareness, so Windows does not stretch the window's
# bitmap on a 150 % display (the presenter scales the picture itself).
add_executable(elka WIN32 ${CMAKE_SOURCE_DIR}/src/app/main.cpp ${CMAKE_SOURCE_DIR}/packaging/windows/elka.rc)
target_link_libraries(elka PRIVATE elka_app)
# Stripped, and without the link's time in its header: the same sources
# make the same elka.exe, the one the zip holds.
target_link_options(elka PRIVATE -s -Wl,--no-insert-timestamp)
set_target_properties(elka PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Test programs run under Wine by the tests (tests/windows, tests/platform_face).
foreach(dir windows platform_face)
  if(EXISTS ${CMAKE_SOURCE_DIR}/tests/${dir}/CMakeLists.txt)
    add_subdirectory(${CMAKE_SOURCE_DIR}/tests/${dir} ${CMAKE_BINARY_DIR}/tests/${dir})
  endif()
endforeach()
