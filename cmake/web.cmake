# The browser build (the `web` preset, with Debian's emscripten): the demo
# compiled for WebAssembly, drawing through the GL 1.1 subset layer
# (src/gles) on WebGL 2, which emscripten offers as OpenGL ES 3.0, on the
# page's platform backend (src/platform/web: canvas, page events, Web Audio,
# the page's clock, the font reader and tessellator from npm).

# No emscripten ports: they download at build time, and the build must work
# offline. Emscripten's sysroot has the ES 3.0 headers; what the page takes
# from npm is installed by scripts/setup.sh (package.json) beforehand.
elka_layer(gles)
add_library(elka_gl_subset INTERFACE)
target_include_directories(elka_gl_subset INTERFACE ${CMAKE_SOURCE_DIR}/src/gles/include)
target_link_libraries(elka_gl_subset INTERFACE elka_gles)

# The platform layer of the page: the same face as the desktop's, the
# browser behind it. What is the browser's own is written in JavaScript
# (the *_library.js files, linked as emscripten libraries).
set(web_dir ${CMAKE_SOURCE_DIR}/src/platform/web)
elka_layer(present PRIVATE elka_gles)
target_include_directories(elka_present PRIVATE ${CMAKE_SOURCE_DIR}/src/gles/include)
target_compile_definitions(elka_present PRIVATE ELKA_GLES)
elka_layer(platform BACKEND web PRIVATE elka_gles)
set(platform_root ${CMAKE_BINARY_DIR}/layers/platform) # the include root, for the page's test programs
target_include_directories(elka_platform PRIVATE ${CMAKE_SOURCE_DIR}/src/gles/include)
target_compile_definitions(elka_platform PRIVATE ELKA_GLES)
file(GLOB web_libraries CONFIGURE_DEPENDS ${web_dir}/*_library.js)
foreach(library ${web_libraries})
  target_link_options(elka_platform INTERFACE "SHELL:--js-library ${library}")
  set_property(TARGET elka_platform APPEND PROPERTY INTERFACE_LINK_DEPENDS ${library})
endforeach()

# The layers above it, linked as in the native build (src/layers.txt).
elka_layer(shared)
elka_layer(resources PUBLIC elka_gl_subset)
elka_layer(audio)
elka_layer(effects PUBLIC elka_gl_subset)
elka_schedule_library()
elka_layer(timeline PUBLIC elka_schedule PRIVATE elka_gl_subset)
elka_layer(app PRIVATE elka_gl_subset)
target_compile_definitions(elka_app PRIVATE ELKA_VERSION="${PROJECT_VERSION}")
elka_host_library(web PRIVATE elka_gles)
target_include_directories(elka_host PRIVATE ${CMAKE_SOURCE_DIR}/src/gles/include)
target_compile_definitions(elka_host PRIVATE ELKA_GLES)

# The demo: elka.js and elka.wasm. The frame loop stays the system's own
# loop: ASYNCIFY lets a swap wait for the browser's next animation frame
# (and a message box for its answer) without leaving it.
set(web_link_options
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864
  -sENVIRONMENT=web -sEXIT_RUNTIME=1 -sINVOKE_RUN=0   # page.js starts main once the files are in
  # main's arguments (the page's ?t=) are written into the heap by page.js.
  -sEXPORTED_RUNTIME_METHODS=ccall,FS,stringToUTF8,setValue -sEXPORTED_FUNCTIONS=_main,_malloc -sFORCE_FILESYSTEM=1
  # Each canvas is asked for WebGL 2 alone, once, so emscripten's wrapper
  # of getContext for old Safaris is not needed; it names
  # WebGLRenderingContext, which a WebKit without WebGL does not define,
  # and the page would stop there instead of showing the designed boxes.
  -sGL_WORKAROUND_SAFARI_GETCONTEXT_BUG=0)
add_executable(elka ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
target_link_libraries(elka PRIVATE elka_app elka_platform)
target_link_options(elka PRIVATE ${web_link_options})
set_target_properties(elka PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Test programs of the page's platform pieces, run by node or in the browser.
foreach(dir fonts sound)
  if(EXISTS ${CMAKE_SOURCE_DIR}/tests/web/${dir}/CMakeLists.txt)
    add_subdirectory(${CMAKE_SOURCE_DIR}/tests/web/${dir} ${CMAKE_BINARY_DIR}/tests/web/${dir})
  endif()
endforeach()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/platform_face/CMakeLists.txt)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/platform_face ${CMAKE_BINARY_DIR}/tests/platform_face)
endif()
