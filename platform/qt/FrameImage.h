#pragma once

// Internal to the Qt backend: the image a frame is painted into, by a window and offscreen alike.

#include <QImage>
#include <QSize>

namespace glimmo {

// Makes `frame` an image of `pixels` at `ratio` pixels per point, unless it is one already (a window
// keeps its frame from paint to paint): premultiplied ARGB at 72 dots per inch, as the measurer, so a
// font's point size is its size in points.
void prepareFrameImage(QImage& frame, QSize pixels, qreal ratio);

} // namespace glimmo
