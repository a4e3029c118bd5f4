# Tests of the chat views, the preferences window, the journal layout and the media digest panel.
include_guard(GLOBAL)
find_package(nlohmann_json REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
find_package(PkgConfig REQUIRED)
pkg_check_modules(GLIMMO_PANELS_TEST_CMARK_GFM REQUIRED IMPORTED_TARGET libcmark-gfm)
glimmo_test(ui_panels_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PanelsTestSupport.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PanelsWorld.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChatViewTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JournalAndDigestTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JournalHeaderTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JournalLinkTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PreferencesViewTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReplyExcerptTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReplyExcerptBlocksTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../Gallery/GalleryReference.cpp
    ${PROJECT_SOURCE_DIR}/tests/platform/qt/ImageComparison.cpp
  LIBS ui platform_qt platform_window analysis test_support platform_desktop nlohmann_json::nlohmann_json Qt6::Widgets Qt6::Test
    PkgConfig::GLIMMO_PANELS_TEST_CMARK_GFM
  TIMEOUT 300)
