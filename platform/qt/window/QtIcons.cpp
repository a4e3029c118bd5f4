#include "platform/qt/OffscreenRendering.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/qt/window/QtWindowSupport.h"
#include "platform/view/View.h"
#include "platform/view/ViewHost.h"

#include <QImage>
#include <QPixmap>

namespace glimmo {

QIcon iconForImage(const Image& image, int points) {
    const CGFloat side = points;
    AnyView view = AnyView(image).font(Font::system(side * 0.75)).frame(side, side);
    ViewHost host(view, std::make_shared<QtTextMeasurer>());
    host.setSize({side, side});
    DisplayList list = host.displayList();
    list.background = {0, 0, 0, 0};
    const PixelImage pixels = renderDisplayList(list, 2);
    QImage qimage(pixels.rgba.data(), pixels.width, pixels.height, pixels.width * 4, QImage::Format_RGBA8888);
    QPixmap pixmap = QPixmap::fromImage(qimage.copy());
    pixmap.setDevicePixelRatio(2);
    return QIcon(pixmap);
}

} // namespace glimmo
