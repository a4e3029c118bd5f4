glimmo_test(platform_view_controls_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PickerTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextFieldTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ToggleAndProgressTest.cpp
  LIBS platform_view)
