#include "platform/qt/FrameImage.h"

namespace glimmo {

void prepareFrameImage(QImage& frame, QSize pixels, qreal ratio) {
    if (frame.size() == pixels && frame.devicePixelRatio() == ratio) return;
    frame = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    frame.setDevicePixelRatio(ratio);
    frame.setDotsPerMeterX(2835);
    frame.setDotsPerMeterY(2835);
}

} // namespace glimmo
