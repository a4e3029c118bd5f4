#pragma once

// A paint device that draws nothing and records the colour of every drawing call that reaches its
// paint engine: the brush of a fill, the pen of a stroke or of text. Give each item of a display list a
// colour of its own and the colours tell which items were drawn, whatever the clip would have hidden.
// It counts the clips set too.

#include <QColor>
#include <QPaintDevice>
#include <QSize>

#include <cstddef>
#include <memory>
#include <vector>

namespace glimmo::testing {

class ColorRecordingDevice final : public QPaintDevice {
public:
    explicit ColorRecordingDevice(QSize size);
    ~ColorRecordingDevice() override;
    ColorRecordingDevice(const ColorRecordingDevice&) = delete;
    ColorRecordingDevice& operator=(const ColorRecordingDevice&) = delete;

    QPaintEngine* paintEngine() const override;
    // In the order drawn.
    const std::vector<QColor>& drawnColors() const;
    std::size_t clipsSet() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;
    QSize size_;
    std::unique_ptr<Engine> engine_;
};

} // namespace glimmo::testing
