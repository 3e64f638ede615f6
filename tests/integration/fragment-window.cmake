# The mouse tests again on-screen under an X server (Xvfb), where the window can be moved.
add_test(NAME WindowApi.MouseUnderAnXServer
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/run-under-xvfb.sh $<TARGET_FILE:window_api_tests>
          --gtest_filter=WindowApi.EveryPressOfAFastDoubleClickReachesTheHost:WindowApi.MouseLookRecentresTheCursorInAWindowAwayFromTheOrigin:WindowApi.MouseLookWithoutPointerWarpsFollowsRelativeMotion)
set_tests_properties(WindowApi.MouseUnderAnXServer PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)
