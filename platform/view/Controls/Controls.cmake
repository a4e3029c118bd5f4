target_sources(platform_view PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Alert.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ControlParts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ControlStyles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Form.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ListControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PickerControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgressView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SettingsLink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TabViewControl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TextFieldNode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Toggle.cpp)
