glimmo_test(platform_view_charts_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/BarChartLayoutTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ChartTestSupport.h
    ${CMAKE_CURRENT_LIST_DIR}/LineChartLayoutTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScalesTest.cpp
  LIBS platform_view)
