# The browser build (the web preset, through scripts/web.sh): the game as marrowgast.js,
# .wasm and .data for the page under web/, and the replay tool for node on the host's files.

# Sound starts when the page first gets a key and the audio callbacks are called through dynCall;
# both are JavaScript library functions whose names begin with `$`, which CMake would mangle on
# a command line, so they go through a response file.
set(MARROWGAST_WEB_RESPONSE ${CMAKE_BINARY_DIR}/web-library-functions.rsp)
file(WRITE ${MARROWGAST_WEB_RESPONSE} "-sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=$autoResumeAudioContext,$dynCall\n")

# Exceptions stay off (smaller and faster): an allocation that fails aborts, and the page says
# the game has stopped. Memory grows as the rooms need it.
target_link_options(marrowgast PRIVATE
  @${MARROWGAST_WEB_RESPONSE}
  -sENVIRONMENT=web
  -sALLOW_MEMORY_GROWTH=1
  -sEXIT_RUNTIME=1
  -sEXPORTED_RUNTIME_METHODS=FS
  --preload-file ${CMAKE_SOURCE_DIR}/res@/res)
set_property(TARGET marrowgast APPEND PROPERTY LINK_DEPENDS ${MARROWGAST_WEB_RESPONSE})

# The replay tool reads and writes the host's files directly (NODERAWFS) under node. Its
# WebAssembly is compiled as it loads: the asynchronous way fetches it as a URL, which node's
# fetch refuses for a file name.
if(TARGET marrowgast-replay)
  target_link_options(marrowgast-replay PRIVATE
    -sENVIRONMENT=node
    -sWASM_ASYNC_COMPILATION=0
    -sNODERAWFS=1
    -sALLOW_MEMORY_GROWTH=1
    -sEXIT_RUNTIME=1)
endif()
