# Text styles, block styles, the theme and the built-in themes, the inline renderers and the providers.
target_link_libraries(RidadoziRI PUBLIC platform_view RemoteImage)
