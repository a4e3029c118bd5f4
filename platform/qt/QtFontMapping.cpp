#include "platform/qt/QtFontMapping.h"

#include <QImage>
#include <QPaintDevice>

#include <algorithm>
#include <cmath>

namespace glimmo {
namespace {

QFont::Capitalization capitalization(ResolvedFont::Caps caps) {
    switch (caps) {
    case ResolvedFont::Caps::normal: return QFont::MixedCase;
    case ResolvedFont::Caps::smallCaps:
    case ResolvedFont::Caps::lowercaseSmallCaps: return QFont::SmallCaps;
    // Qt has no mode that turns only the capitals into small capitals: such text is drawn as written.
    case ResolvedFont::Caps::uppercaseSmallCaps: return QFont::MixedCase;
    }
    return QFont::MixedCase;
}

} // namespace

ScaledQFont qtFont(const ResolvedFont& font, int logicalDpi) {
    QFont q(QString::fromStdString(font.family));
    const double dpi = logicalDpi > 0 ? logicalDpi : 72;
    const double size = std::max(font.pointSize, 0.01);
    const double wholeSize = std::max(1.0, std::round(size));
    q.setPointSizeF(wholeSize * 72.0 / dpi);
    q.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 1, 1000)));
    q.setItalic(font.italic);
    q.setStretch(std::clamp(static_cast<int>(std::lround(font.width * 100)), 1, 4000));
    q.setCapitalization(capitalization(font.caps));
    q.setHintingPreference(QFont::PreferNoHinting);
    q.setKerning(true);
    return {q, size / wholeSize};
}

ScaledQFont qtFont(const ResolvedFont& font, const QPaintDevice& device) { return qtFont(font, device.logicalDpiY()); }

const QPaintDevice& measuringDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        constexpr int dotsPerMeterAt72Dpi = 2835; // 72.009 dpi; Qt rounds the logical dpi to 72
        image.setDotsPerMeterX(dotsPerMeterAt72Dpi);
        image.setDotsPerMeterY(dotsPerMeterAt72Dpi);
        return image;
    }();
    return device;
}

} // namespace glimmo
