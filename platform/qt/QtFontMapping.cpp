#include "platform/qt/QtFontMapping.h"

#include "platform/qt/KitFonts.h"
#include "platform/qt/QtCaches.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

namespace glimmo {
namespace {

QFont::Capitalization capitalization(ResolvedFont::Caps caps) {
    switch (caps) {
    case ResolvedFont::Caps::normal: return QFont::MixedCase;
    case ResolvedFont::Caps::smallCaps: // with the text lowered first (textForFont)
    case ResolvedFont::Caps::lowercaseSmallCaps: return QFont::SmallCaps;
    // Qt has no mode that turns only the capitals into small capitals: such text is drawn as written.
    case ResolvedFont::Caps::uppercaseSmallCaps: return QFont::MixedCase;
    }
    return QFont::MixedCase;
}

} // namespace

ScaledQFont qtFont(const ResolvedFont& font, int logicalDpi) {
    QFont q(QString::fromStdString(font.family));
    // Characters the font lacks (emoji) come from the colour emoji font, the same on every machine.
    q.setFamilies({QString::fromStdString(font.family), QString::fromUtf8(emojiFontFamily)});
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

QString textForFont(const QString& text, const ResolvedFont& font) {
    return font.caps == ResolvedFont::Caps::smallCaps ? text.toLower() : text;
}

namespace {
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
} // namespace

std::vector<TextSegment> digitSegments(const QString& text) {
    std::vector<TextSegment> segments;
    for (const QChar c : text) {
        const bool digit = isDigit(c);
        if (segments.empty() || segments.back().digits != digit) segments.push_back({QString(), digit});
        segments.back().text.append(c);
    }
    return segments;
}

bool containsDigit(const QString& text) { return std::any_of(text.begin(), text.end(), isDigit); }

double widestDigitAdvance(const QFontMetricsF& metrics) {
    double widest = 0;
    for (char c = '0'; c <= '9'; ++c) widest = std::max(widest, metrics.horizontalAdvance(QLatin1Char(c)));
    return widest;
}

double tabularAdvance(const QString& text, const QFontMetricsF& metrics) {
    const double digit = widestDigitAdvance(metrics);
    double width = 0;
    for (const auto& segment : digitSegments(text)) {
        width += segment.digits ? digit * static_cast<double>(segment.text.size()) : metrics.horizontalAdvance(segment.text);
    }
    return width;
}

const QPaintDevice& measuringDevice() {
    // Made on first use and released with the application's other caches.
    static std::mutex mutex;
    static std::unique_ptr<QImage> device;
    static const QtCacheRegistration registration([] {
        const std::lock_guard lock(mutex);
        device.reset();
    });
    const std::lock_guard lock(mutex);
    if (!device) {
        device = std::make_unique<QImage>(1, 1, QImage::Format_ARGB32_Premultiplied);
        constexpr int dotsPerMeterAt72Dpi = 2835; // 72.009 dpi; Qt rounds the logical dpi to 72
        device->setDotsPerMeterX(dotsPerMeterAt72Dpi);
        device->setDotsPerMeterY(dotsPerMeterAt72Dpi);
    }
    return *device;
}

} // namespace glimmo
