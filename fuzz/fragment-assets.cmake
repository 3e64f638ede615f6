# The asset file readers: packed archives, KSF scenes, and 3DS models with the mesh converter.
quarn_instrument_for_fuzzing(quarn_assetfiles)
quarn_add_fuzzer(archive SOURCE ${CMAKE_CURRENT_LIST_DIR}/ArchiveFuzzer.cpp LIBS quarn_assetfiles)
quarn_add_fuzzer(ksf SOURCE ${CMAKE_CURRENT_LIST_DIR}/KSFFuzzer.cpp LIBS quarn_assetfiles)
quarn_add_fuzzer(file3ds SOURCE ${CMAKE_CURRENT_LIST_DIR}/File3DSFuzzer.cpp LIBS quarn_assetfiles)
