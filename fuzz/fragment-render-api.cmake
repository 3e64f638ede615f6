# The rendering exports in sequence: programs of calls into the rendering library's exports, on
# the test window backend (no display; GL through the recording table).
if(TARGET quarn_engine)
  quarn_instrument_for_fuzzing(quarn_engine quarn_platform)
  quarn_add_fuzzer(render_api SOURCE ${CMAKE_CURRENT_LIST_DIR}/RenderApiFuzzer.cpp
    LIBS quarn_engine)
  # The programs import the asset fuzzers' seed model and scene.
  target_compile_definitions(fuzz_render_api PRIVATE
    QUARN_FUZZ_CORPUS_DIR="${CMAKE_CURRENT_LIST_DIR}/corpus")
endif()
