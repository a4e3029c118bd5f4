# Decoder tests: the files under test are written with the same Debian libraries' encoders.
find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)
find_package(GIF REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WEBP_ENCODING REQUIRED IMPORTED_TARGET libwebp libwebpmux)
set(image_files ${CMAKE_CURRENT_LIST_DIR}/TestImageFiles.cpp ${CMAKE_CURRENT_LIST_DIR}/DemandingImageFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LosslessWebPWriter.cpp)
set(image_file_libs platform_imaging JPEG::JPEG PNG::PNG GIF::GIF PkgConfig::WEBP_ENCODING)

glimmo_test(platform_imaging_decoding_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ImageDecodingTests.cpp ${CMAKE_CURRENT_LIST_DIR}/WebPDecodingTests.cpp ${image_files} LIBS ${image_file_libs} TIMEOUT 120)

# Large images decoded in child processes whose resident peak is measured.
glimmo_test(platform_imaging_memory_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DecodingMemoryTests.cpp ${image_files} LIBS ${image_file_libs} TIMEOUT 600)

# Not a test: writes the lossless WebP seeds of the images fuzz target (see its source).
add_executable(write_webp_seeds ${CMAKE_CURRENT_LIST_DIR}/WriteWebPSeeds.cpp ${image_files})
target_link_libraries(write_webp_seeds PRIVATE ${image_file_libs})
glimmo_warnings(write_webp_seeds)
