# The dashboard: scores, breakdown, activity lists, the weekly and hourly charts, and the main
# window's layouts.
include_guard(GLOBAL)
find_package(nlohmann_json REQUIRED)
target_sources(ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ActivitiesListView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ActivityRow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppFocusView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BottomComponentView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ClassicContentView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ContentView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DashboardLayoutParts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DashboardRefresh.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EquatableWeeklyBarChart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ModernContentView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScoresView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimeBreakdownView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WeeklyBarChart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WeeklyChartData.cpp)
target_link_libraries(ui PRIVATE nlohmann_json::nlohmann_json)
