glimmo_test(RidadoziRI_style_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/FontPropertiesTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InlineRendererTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StyleValueTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextStyleTests.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ThemeTests.cpp
  LIBS RidadoziRI)

# Block and inline images from a loopback server; the shared loader keeps its response cache in a
# folder of the build.
find_package(PNG REQUIRED)
find_package(GIF REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(RIDADOZI_STYLE_TESTS_WEBP REQUIRED IMPORTED_TARGET libwebp libwebpmux)
glimmo_test(RidadoziRI_image_provider_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ImageProviderTests.cpp
    ${PROJECT_SOURCE_DIR}/tests/platform/imaging/TestImageFiles.cpp
  LIBS RidadoziRI test_support PNG::PNG GIF::GIF PkgConfig::RIDADOZI_STYLE_TESTS_WEBP
  ENVIRONMENT XDG_CACHE_HOME=${CMAKE_CURRENT_BINARY_DIR}/cache
  TIMEOUT 120)
