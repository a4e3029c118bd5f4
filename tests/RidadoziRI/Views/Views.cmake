glimmo_test(RidadoziRI_view_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/BlockSequenceTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BlockValueTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DocumentViewTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LayoutTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableGeometryTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextStyleEnvironmentTests.cpp
  LIBS RidadoziRI platform_qt)
