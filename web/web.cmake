# web.cmake - the web page's build, included by the top-level CMakeLists.txt under Emscripten
# (scripts/build-web.sh configures it). What the native build made comes in by path:
#
#   TAVRINE_OPENMPT_DIR   libopenmpt for WebAssembly (include/, lib/libopenmpt.a; web/libopenmpt)
#   TAVRINE_WEB_CONTENT   the content pack made by `tavrine-tool make-content`
#   TAVRINE_GLYPH_ATLAS   the show's face made by `tavrine-tool glyph-atlas`
#
# and out come, in TAVRINE_PAGE_DIR (the build folder unless given): index.html, page.js,
# audio-worklet.js, tavrine.js, tavrine.wasm and tavrine.data (the content and the atlas);
# and in the build folder golden_frames_node.js (the golden frames checked under Node) and
# song_fingerprint_node.js (the song's samples, held against the native library's).
foreach(input TAVRINE_OPENMPT_DIR TAVRINE_WEB_CONTENT TAVRINE_GLYPH_ATLAS)
  if(NOT ${input} OR NOT EXISTS ${${input}})
    message(FATAL_ERROR "${input} must name what the native build made (see scripts/build-web.sh)")
  endif()
endforeach()

# The show ends through an exception from deep inside (ProcessExit), and libopenmpt throws
# inside itself: both need exceptions that can be caught.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)
add_compile_options("SHELL:-include ${CMAKE_SOURCE_DIR}/web/compat/bit_cast.h")

add_library(tavrine_openmpt_web STATIC IMPORTED)
set_target_properties(tavrine_openmpt_web PROPERTIES
  IMPORTED_LOCATION ${TAVRINE_OPENMPT_DIR}/lib/libopenmpt.a
  INTERFACE_INCLUDE_DIRECTORIES ${TAVRINE_OPENMPT_DIR}/include)

set(TAVRINE_PAGE_DIR ${CMAKE_BINARY_DIR} CACHE PATH "where the page goes")

function(web_page)
  # The page's own files, copied whenever they change.
  set(page_files)
  foreach(file index.html page.js audio-worklet.js)
    add_custom_command(OUTPUT ${TAVRINE_PAGE_DIR}/${file}
      COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/web/${file} ${TAVRINE_PAGE_DIR}/${file}
      DEPENDS ${CMAKE_SOURCE_DIR}/web/${file})
    list(APPEND page_files ${TAVRINE_PAGE_DIR}/${file})
  endforeach()
  add_custom_target(page_files ALL DEPENDS ${page_files})

  file(GLOB_RECURSE content_files CONFIGURE_DEPENDS ${TAVRINE_WEB_CONTENT}/*)
  add_executable(tavrine src/demo/web_main.cpp)
  target_link_libraries(tavrine PRIVATE tavrine_demo)
  # Each presented frame waits for the browser's next one: the wait unwinds the show's stack
  # to the browser and winds it back (Asyncify).
  target_link_options(tavrine PRIVATE
    -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
    -sENVIRONMENT=web -sINITIAL_MEMORY=67108864 -sALLOW_MEMORY_GROWTH=1
    "SHELL:--preload-file ${TAVRINE_WEB_CONTENT}@/content"
    "SHELL:--preload-file ${TAVRINE_GLYPH_ATLAS}@/fonts/show.atlas"
    "SHELL:--exclude-file ${TAVRINE_WEB_CONTENT}/.complete")
  set_target_properties(tavrine PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${TAVRINE_PAGE_DIR}
                                           LINK_DEPENDS "${TAVRINE_GLYPH_ATLAS};${content_files}")

  add_executable(golden_frames_node tests/web/golden_frames_node.cpp tests/support/golden_frames.cpp)
  target_include_directories(golden_frames_node PRIVATE tests)
  target_link_libraries(golden_frames_node PRIVATE tavrine_demo)
  target_link_options(golden_frames_node PRIVATE
    -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1 -sINITIAL_MEMORY=67108864 -sALLOW_MEMORY_GROWTH=1)
  set_target_properties(golden_frames_node PROPERTIES SUFFIX ".js")

  add_executable(song_fingerprint_node tests/web/song_fingerprint.cpp)
  target_link_libraries(song_fingerprint_node PRIVATE tavrine_openmpt_web)
  target_link_options(song_fingerprint_node PRIVATE
    -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1 -sINITIAL_MEMORY=67108864 -sALLOW_MEMORY_GROWTH=1)
  set_target_properties(song_fingerprint_node PROPERTIES SUFFIX ".js")
endfunction()
