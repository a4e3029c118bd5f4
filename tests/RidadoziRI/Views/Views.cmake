glimmo_test(RidadoziRI_view_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/BlockSequenceTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BlockValueTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DocumentViewTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GalleryTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InlineTextTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LayoutTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableDrawingTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableGeometryTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextStyleEnvironmentTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewTestMain.cpp
    ${PROJECT_SOURCE_DIR}/tests/ui/Gallery/GalleryReference.cpp
    ${PROJECT_SOURCE_DIR}/tests/platform/qt/ImageComparison.cpp
  LIBS RidadoziRI platform_qt test_support
  ENVIRONMENT XDG_CACHE_HOME=${CMAKE_CURRENT_BINARY_DIR}/markdown-view-cache
  TIMEOUT 120)
