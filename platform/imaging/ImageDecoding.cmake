# Image decoders: PNG, JPEG, GIF and WebP from Debian's libraries, kept private to platform_imaging.
find_package(PNG REQUIRED)
find_package(GIF REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WEBP REQUIRED IMPORTED_TARGET libwebp)

target_sources(platform_imaging PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ImageDecoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DecodingWork.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PNGDecoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JPEGDecoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GIFDecoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WebPDecoding.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WebPChunks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WebPRows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WebPFirstFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LosslessPrefixCode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LosslessSubImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LosslessWebPHead.cpp)
target_link_libraries(platform_imaging PRIVATE PNG::PNG GIF::GIF PkgConfig::WEBP)
