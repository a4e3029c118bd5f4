# Text styles, block styles, the theme and the built-in themes, the inline renderers and the providers.
target_sources(RidadoziRI PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CardsTheme.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CodeSyntaxHighlighter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ColorSchemeImageFilter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Colors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Deprecations.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FontProperties.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageProviders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/InlineRenderers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListMarkers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RelativeSize.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RuledTheme.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StandardTheme.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TableStyles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextStyles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Theme.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ThemeColors.cpp)
target_link_libraries(RidadoziRI PUBLIC platform_view RemoteImage)
