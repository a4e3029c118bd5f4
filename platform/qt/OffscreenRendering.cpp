#include "platform/qt/OffscreenRendering.h"

#include "platform/qt/DisplayListPainter.h"
#include "platform/qt/FrameImage.h"
#include "platform/qt/KitFonts.h"

#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QString>

#include <cmath>
#include <cstring>

namespace glimmo {
namespace {

PixelImage fromQImage(const QImage& source, double scale) {
    const QImage rgba = source.convertToFormat(QImage::Format_RGBA8888);
    PixelImage out;
    out.width = rgba.width();
    out.height = rgba.height();
    out.scale = scale;
    out.rgba.resize(static_cast<std::size_t>(out.width) * out.height * 4);
    for (int y = 0; y < out.height; ++y) {
        std::memcpy(out.rgba.data() + static_cast<std::size_t>(y) * out.width * 4, rgba.constScanLine(y),
                    static_cast<std::size_t>(out.width) * 4);
    }
    return out;
}

// The pixels a list of its size takes at `scale` pixels per point.
QSize pixelsOf(const DisplayList& list, double scale) {
    return {std::max(1, static_cast<int>(std::ceil(list.size.width * scale - 1e-9))),
            std::max(1, static_cast<int>(std::ceil(list.size.height * scale - 1e-9)))};
}

double validScale(double scale) { return scale > 0 ? scale : 1; }

} // namespace

PixelImage renderDisplayList(const DisplayList& list, double scale) {
    loadKitFonts();
    scale = validScale(scale);
    QImage image;
    prepareFrameImage(image, pixelsOf(list, scale), scale);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        paintDisplayList(list, painter);
    }
    return fromQImage(image, scale);
}

struct FramePainter::Impl {
    double scale;
    QImage frame;
};

FramePainter::FramePainter(double scale) : impl_(std::make_unique<Impl>(Impl{validScale(scale), {}})) { loadKitFonts(); }

FramePainter::~FramePainter() = default;

void FramePainter::paint(const DisplayList& list) {
    prepareFrameImage(impl_->frame, pixelsOf(list, impl_->scale), impl_->scale);
    QPainter painter(&impl_->frame);
    paintDisplayList(list, painter);
}

void writePNG(const PixelImage& image, const std::string& path) {
    if (!image.isValid()) throw ImageFileError("Cannot write an empty image to " + path);
    const QImage q(image.rgba.data(), image.width, image.height, image.width * 4, QImage::Format_RGBA8888);
    if (!q.save(QString::fromStdString(path), "PNG")) throw ImageFileError("Could not write the PNG file " + path);
}

PixelImage readPNG(const std::string& path) {
    QImageReader reader(QString::fromStdString(path), "PNG");
    const QImage q = reader.read();
    if (q.isNull()) throw ImageFileError("Could not read the PNG file " + path + ": " + reader.errorString().toStdString());
    return fromQImage(q, 1);
}

} // namespace glimmo
