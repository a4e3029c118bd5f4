#include "platform/qt/ShadowImage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace glimmo {
namespace {

// One box blur of `half` pixels each side along rows (step 1) or columns (step = width), over the
// lines of the rectangle [x0, x1) x [y0, y1); outside the image counts as transparent.
void boxBlur(std::vector<float>& alpha, int width, int x0, int x1, int y0, int y1, int half, bool rows) {
    const int lines = rows ? y1 - y0 : x1 - x0;
    const int length = rows ? x1 - x0 : y1 - y0;
    std::vector<float> line(static_cast<std::size_t>(length));
    const float scale = 1.0F / static_cast<float>(2 * half + 1);
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int i) -> float& {
            return rows ? alpha[static_cast<std::size_t>((y0 + l) * width + x0 + i)]
                        : alpha[static_cast<std::size_t>((y0 + i) * width + x0 + l)];
        };
        float sum = 0;
        for (int i = 0; i <= std::min(half, length - 1); ++i) sum += at(i);
        for (int i = 0; i < length; ++i) {
            line[static_cast<std::size_t>(i)] = sum * scale;
            if (i + half + 1 < length) sum += at(i + half + 1);
            if (i - half >= 0) sum -= at(i - half);
        }
        for (int i = 0; i < length; ++i) at(i) = line[static_cast<std::size_t>(i)];
    }
}

} // namespace

QImage shadowImage(const QImage& layer, const QColor& color, double radiusInPixels) {
    const QImage source = layer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = source.width();
    const int height = source.height();
    QImage out(width, height, QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(layer.devicePixelRatio());
    out.fill(Qt::transparent);
    if (width == 0 || height == 0) return out;

    // Only the drawn part and the blur's reach around it are worked on.
    std::vector<float> alpha(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0.0F);
    int minX = width, minY = height, maxX = -1, maxY = -1;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const int a = qAlpha(row[x]);
            if (a == 0) continue;
            alpha[static_cast<std::size_t>(y * width + x)] = static_cast<float>(a) / 255.0F;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    }
    if (maxX < 0) return out;
    const int half = std::max(0, static_cast<int>(std::lround(radiusInPixels / 2)));
    const int reach = 3 * half;
    const int x0 = std::max(0, minX - reach), x1 = std::min(width, maxX + reach + 1);
    const int y0 = std::max(0, minY - reach), y1 = std::min(height, maxY + reach + 1);
    if (half > 0) {
        for (int pass = 0; pass < 3; ++pass) {
            boxBlur(alpha, width, x0, x1, y0, y1, half, true);
            boxBlur(alpha, width, x0, x1, y0, y1, half, false);
        }
    }
    const float r = static_cast<float>(color.redF()), g = static_cast<float>(color.greenF()), b = static_cast<float>(color.blueF());
    const float opacity = static_cast<float>(color.alphaF());
    for (int y = y0; y < y1; ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = x0; x < x1; ++x) {
            const float a = std::clamp(alpha[static_cast<std::size_t>(y * width + x)] * opacity, 0.0F, 1.0F);
            if (a <= 0) continue;
            auto channel = [a](float c) { return static_cast<int>(std::lround(c * a * 255.0F)); };
            row[x] = qRgba(channel(r), channel(g), channel(b), static_cast<int>(std::lround(a * 255.0F)));
        }
    }
    return out;
}

} // namespace glimmo
