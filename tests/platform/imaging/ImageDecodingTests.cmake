# Decoder tests: the files under test are written with the same Debian libraries' encoders.
find_package(PNG REQUIRED)
find_package(GIF REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WEBP_ENCODING REQUIRED IMPORTED_TARGET libwebp libwebpmux)

glimmo_test(platform_imaging_decoding_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ImageDecodingTests.cpp ${CMAKE_CURRENT_LIST_DIR}/TestImageFiles.cpp
  LIBS platform_imaging PNG::PNG GIF::GIF PkgConfig::WEBP_ENCODING
  TIMEOUT 120)
