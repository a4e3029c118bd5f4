glimmo_test(RidadoziRI_style_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/FontPropertiesTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InlineRendererTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StyleValueTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextStyleTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ThemeTests.cpp
  LIBS RidadoziRI)
