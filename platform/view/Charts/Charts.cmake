target_sources(platform_view PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ChartGeometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ChartView.cpp)
