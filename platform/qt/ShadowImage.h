#pragma once

// Internal to the painter: the shadow a layer casts.

#include <QColor>
#include <QImage>

namespace glimmo {

// The coverage (alpha) of `layer` filled with `color` and blurred so that it fades out over about
// `radiusInPixels` (three box blurs, close to a Gaussian). Same size and pixel ratio as `layer`.
QImage shadowImage(const QImage& layer, const QColor& color, double radiusInPixels);

} // namespace glimmo
