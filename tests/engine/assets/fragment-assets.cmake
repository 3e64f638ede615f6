quarn_add_test(engine_assets_tests
  SOURCES assets/ArchiveTests.cpp assets/KSFTests.cpp assets/Import3DSTests.cpp
  LIBS quarn_engine)
