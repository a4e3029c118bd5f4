# The Markdown views, their layouts and the values they pass up and down the view tree.
find_package(PkgConfig REQUIRED)
pkg_check_modules(GLIMMO_VIEWS_ICU REQUIRED IMPORTED_TARGET icu-uc)

target_sources(RidadoziRI PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/BlockMargin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BlockNodeView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CodeBlockView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FlowLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HeadingId.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HeadingViews.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageFlow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageFlowItem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InlineText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListViews.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Markdown.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MarkdownEnvironment.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MarkdownModifiers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ParagraphView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RawImageData.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ResizeToFit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RomanNumerals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableBounds.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TaskListViews.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextStyleAttributesReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ThemeKey.cpp)
target_link_libraries(RidadoziRI PUBLIC platform_view RemoteImage PRIVATE PkgConfig::GLIMMO_VIEWS_ICU)
