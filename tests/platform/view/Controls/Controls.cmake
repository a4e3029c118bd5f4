glimmo_test(platform_view_controls_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ContainersTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PickerTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PresentationLayerTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextFieldTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ToggleAndProgressTest.cpp
  LIBS platform_view)

# The gallery sheets go through the real Qt backend; they use the kit gallery's comparison and the Qt
# tests' main and support from tests/platform/qt.
glimmo_wanted(platform/qt controls_gallery_wanted)
if(controls_gallery_wanted AND TARGET platform_qt)
  glimmo_test(platform_view_controls_gallery_tests
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/ControlsGalleryTest.cpp
      ${PROJECT_SOURCE_DIR}/tests/platform/qt/ImageComparison.cpp
      ${PROJECT_SOURCE_DIR}/tests/platform/qt/QtTestMain.cpp
    LIBS platform_qt_test_support platform_qt platform_view
    TIMEOUT 120)
endif()
