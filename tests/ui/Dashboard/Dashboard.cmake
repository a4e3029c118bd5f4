# The dashboard views' tests, with offscreen renderings checked against docs/ui-gallery/.
include_guard(GLOBAL)
find_package(nlohmann_json REQUIRED)
glimmo_test(ui_dashboard_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/AppFocusTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChartViewsTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DashboardPiecesTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DashboardTestMain.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GalleryTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LayoutsTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewProbe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WeeklyChartDataTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../Gallery/GalleryReference.cpp
    ${PROJECT_SOURCE_DIR}/tests/platform/qt/ImageComparison.cpp
  LIBS ui platform_qt platform_desktop test_support nlohmann_json::nlohmann_json
  TIMEOUT 300)
