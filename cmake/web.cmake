# The browser build (the `web` preset, with Debian's emscripten): the
# system's own libraries compiled for WebAssembly, drawing through the GL
# 1.1 subset layer (src/gles) on WebGL 2, which emscripten offers as
# OpenGL ES 3.0. The page's platform layer (canvas, page events, Web Audio,
# the page's clock) is not written yet: until it is, this builds everything
# that stands above the platform's face, so the system's code is held to
# compile for the browser unchanged.

# No emscripten ports: they download at build time, and the build must work
# offline. Emscripten's sysroot has the ES 3.0 headers; nothing else comes in.
elka_layer(gles)
add_library(elka_gl_subset INTERFACE)
target_include_directories(elka_gl_subset INTERFACE ${CMAKE_SOURCE_DIR}/src/gles/include)
target_link_libraries(elka_gl_subset INTERFACE elka_gles)

# The platform's face: its headers, under the same include root as in the
# native build.
set(platform_root ${CMAKE_BINARY_DIR}/layers/platform)
file(MAKE_DIRECTORY ${platform_root})
file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/platform ${platform_root}/platform SYMBOLIC)
add_library(elka_platform INTERFACE)
target_include_directories(elka_platform INTERFACE ${platform_root})

# The layers above it, linked as in the native build.
elka_layer(shared PRIVATE elka_platform)
elka_layer(resources PUBLIC elka_gl_subset PRIVATE elka_platform)
elka_layer(audio PUBLIC elka_platform)
elka_layer(effects PUBLIC elka_gl_subset PRIVATE elka_resources elka_shared)
elka_schedule_library()
elka_layer(timeline PUBLIC elka_shared elka_schedule PRIVATE elka_effects elka_resources elka_gl_subset)
elka_layer(app PUBLIC elka_platform elka_audio elka_shared PRIVATE elka_timeline elka_effects elka_resources elka_gl_subset)
