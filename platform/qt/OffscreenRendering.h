#pragma once

// Display lists rendered to pixels and PNG files through the Qt painter, without a window. Needs a
// QGuiApplication (QT_QPA_PLATFORM=offscreen is enough) and the kit's fonts (loaded on first use).

#include "platform/runtime/ErrorValue.h"
#include "platform/view/DisplayList.h"
#include "platform/view/PixelImage.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace glimmo {

class ImageFileError : public std::runtime_error, public CopiedAcrossThreads {
public:
    using std::runtime_error::runtime_error;
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }
};

// Paints the list at `scale` pixels per point; the image is list.size x scale pixels, rounded up, and
// carries `scale` as its scale.
PixelImage renderDisplayList(const DisplayList& list, double scale = 1);

// Paints display lists as a window paints its frames: each into the one image it keeps (made again only
// for another size), at `scale` pixels per point.
class FramePainter {
public:
    explicit FramePainter(double scale = 1);
    ~FramePainter();
    FramePainter(const FramePainter&) = delete;
    FramePainter& operator=(const FramePainter&) = delete;

    void paint(const DisplayList& list);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// PNG files of straight-alpha RGBA pixels. Throw ImageFileError when the file cannot be written or read.
void writePNG(const PixelImage& image, const std::string& path);
PixelImage readPNG(const std::string& path);

} // namespace glimmo
