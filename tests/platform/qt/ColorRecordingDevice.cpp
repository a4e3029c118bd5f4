#include "tests/platform/qt/ColorRecordingDevice.h"

#include <QPaintEngine>
#include <QPainter>

namespace glimmo::testing {

// Claims every feature, so QPainter hands each call to it as made rather than emulating one through another.
class ColorRecordingDevice::Engine final : public QPaintEngine {
public:
    Engine() : QPaintEngine(AllFeatures) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override {
        if (state.state() & (DirtyClipPath | DirtyClipRegion) && state.clipOperation() != Qt::NoClip) ++clips;
    }
    Type type() const override { return User; }

    void drawPath(const QPainterPath&) override { recordPenAndBrush(); }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override { recordPenAndBrush(); }
    void drawRects(const QRectF*, int) override { recordPenAndBrush(); }
    void drawTextItem(const QPointF&, const QTextItem&) override { colors.push_back(painter()->pen().color()); }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}

    std::vector<QColor> colors;
    std::size_t clips = 0;

private:
    void recordPenAndBrush() {
        if (painter()->pen().style() != Qt::NoPen) colors.push_back(painter()->pen().color());
        if (painter()->brush().style() != Qt::NoBrush) colors.push_back(painter()->brush().color());
    }
};

ColorRecordingDevice::ColorRecordingDevice(QSize size) : size_(size), engine_(std::make_unique<Engine>()) {}

ColorRecordingDevice::~ColorRecordingDevice() = default;

QPaintEngine* ColorRecordingDevice::paintEngine() const { return engine_.get(); }

const std::vector<QColor>& ColorRecordingDevice::drawnColors() const { return engine_->colors; }

std::size_t ColorRecordingDevice::clipsSet() const { return engine_->clips; }

// One pixel per point at 72 dpi, as the kit's offscreen images.
int ColorRecordingDevice::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmWidth: return size_.width();
    case PdmHeight: return size_.height();
    case PdmWidthMM: return size_.width() * 254 / 720;
    case PdmHeightMM: return size_.height() * 254 / 720;
    case PdmNumColors: return 0;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return 72;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
    }
    return 0;
}

} // namespace glimmo::testing
