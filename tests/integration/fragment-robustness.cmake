# Hostile host calls through the exports; the screenshot test again under an X server (Xvfb).
quarn_add_test(robustness_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RobustnessTests.cpp
  LIBS QuarnGL ${CMAKE_DL_LIBS})
target_include_directories(robustness_tests PRIVATE ${PROJECT_SOURCE_DIR}/include)
add_test(NAME Robustness.ScreenshotsUnderAnXServer
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/run-under-xvfb.sh $<TARGET_FILE:robustness_tests>
          --gtest_filter=Robustness.ScreenshotsShowTheFrameTheWindowShows)
set_tests_properties(Robustness.ScreenshotsUnderAnXServer PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)
